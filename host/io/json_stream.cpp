// The streaming JSON reader: a stack of open containers as nlohmann's DOM parser keeps one;
// the streamed array is a null entry on the stack, its elements are built on their own.
#include "host/io/json_stream.h"

#include <algorithm>

namespace qlhost::io {

bool StreamingDocument::Parse(const std::string& text) {
    return Json::sax_parse(text, this, nlohmann::detail::input_format_t::json, true, false) && !aborted_;
}

Json* StreamingDocument::Place(Json&& value) {
    const bool container = value.is_object() || value.is_array();
    Json* placed = nullptr;
    if (stack_.empty()) {
        root_ = std::move(value);
        placed = &root_;
    } else if (stack_.back() == nullptr) {
        // An element of the streamed array: scalars go over at once, containers once closed.
        if (!container) {
            if (!take_(value, index_++)) aborted_ = true;
            return nullptr;
        }
        element_ = std::move(value);
        placed = &element_;
    } else if (stack_.back()->is_array()) {
        stack_.back()->push_back(std::move(value));
        placed = &stack_.back()->back();
    } else {
        Json& slot = (*stack_.back())[key_];
        slot = std::move(value);
        placed = &slot;
    }
    if (container) stack_.push_back(placed);
    return placed;
}

bool StreamingDocument::Value(Json&& value) {
    Place(std::move(value));
    return !aborted_;
}

bool StreamingDocument::StartObject() {
    Place(Json::object());
    return !aborted_;
}

bool StreamingDocument::KeyEvent(std::string& name) {
    if (stack_.size() == 1 && streamedDone_ &&
        std::find(lateFields_.begin(), lateFields_.end(), name) != lateFields_.end()) {
        aborted_ = true;
        return false;
    }
    key_ = std::move(name);
    return true;
}

bool StreamingDocument::StartArray() {
    if (stack_.size() == 1 && stack_[0]->is_object() && key_ == field_ && !streamedDone_ && start_(root_)) {
        streaming_ = true;
        stack_.push_back(nullptr);
        return true;
    }
    Place(Json::array());
    return !aborted_;
}

bool StreamingDocument::Apply(StreamEvent& event) {
    switch (event.kind) {
    case StreamEvent::Null: return Value(Json(nullptr));
    case StreamEvent::Boolean: return Value(Json(event.boolean));
    case StreamEvent::Integer: return Value(Json(static_cast<Json::number_integer_t>(event.integer)));
    case StreamEvent::Unsigned: return Value(Json(static_cast<Json::number_unsigned_t>(event.unsigned_)));
    case StreamEvent::Float: return Value(Json(static_cast<Json::number_float_t>(event.real)));
    case StreamEvent::String: return Value(Json(std::move(event.text)));
    case StreamEvent::Key: return KeyEvent(event.text);
    case StreamEvent::StartObject: return StartObject();
    case StreamEvent::EndObject:
    case StreamEvent::EndArray: return Close();
    case StreamEvent::StartArray: return StartArray();
    }
    return false;
}

// Elements of the streamed array that are objects of scalars, arrays of scalars and arrays of
// those are kept as events (at most kMaxEvents, a path of about 40 points) until they close;
// anything else is built as a JSON value.
constexpr size_t kMaxEvents = 192;

bool StreamingDocument::Handle(StreamEvent& event) {
    if (!recording_) {
        if (takeEvents_ && event.kind == StreamEvent::StartObject && streaming_ && !stack_.empty() &&
            stack_.back() == nullptr) {
            recording_ = true;
            used_ = 0;
            depth_ = 0;
        } else {
            return Apply(event);
        }
    }
    bool fits = used_ < kMaxEvents;
    if (fits && (event.kind == StreamEvent::StartObject || event.kind == StreamEvent::StartArray))
        fits = event.kind == StreamEvent::StartObject ? depth_ == 0 : depth_ == 1 || depth_ == 2;
    if (!fits) {
        Materialize();
        return Apply(event);
    }
    if (used_ == events_.size()) events_.emplace_back();
    StreamEvent& kept = events_[used_++];
    kept.kind = event.kind;
    kept.boolean = event.boolean;
    kept.integer = event.integer;
    kept.unsigned_ = event.unsigned_;
    kept.real = event.real;
    if (event.kind == StreamEvent::String || event.kind == StreamEvent::Key) kept.text.swap(event.text);
    if (event.kind == StreamEvent::StartObject || event.kind == StreamEvent::StartArray) ++depth_;
    if (event.kind == StreamEvent::EndObject || event.kind == StreamEvent::EndArray) --depth_;
    return depth_ == 0 ? Finish() : true;
}

void StreamingDocument::Materialize() {
    recording_ = false;
    for (size_t i = 0; i < used_; ++i) Apply(events_[i]);
    used_ = 0;
}

bool StreamingDocument::Finish() {
    recording_ = false;
    if (takeEvents_(events_.data(), used_)) {
        ++index_;
        used_ = 0;
        return true;
    }
    for (size_t i = 0; i < used_ && !aborted_; ++i) Apply(events_[i]);
    used_ = 0;
    return !aborted_;
}

bool StreamingDocument::Close() {
    if (stack_.empty()) return false;
    const Json* closed = stack_.back();
    stack_.pop_back();
    if (closed == nullptr) {
        streaming_ = false;
        streamedDone_ = true;
        return true;
    }
    if (closed == &element_) {
        if (!take_(element_, index_++)) aborted_ = true;
        element_ = Json();
    }
    return !aborted_;
}

}  // namespace qlhost::io
