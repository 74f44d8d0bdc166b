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

bool StreamingDocument::start_object(std::size_t) {
    Place(Json::object());
    return !aborted_;
}

bool StreamingDocument::key(std::string& name) {
    if (stack_.size() == 1 && streamedDone_ &&
        std::find(lateFields_.begin(), lateFields_.end(), name) != lateFields_.end()) {
        aborted_ = true;
        return false;
    }
    key_ = std::move(name);
    return true;
}

bool StreamingDocument::start_array(std::size_t) {
    if (stack_.size() == 1 && stack_[0]->is_object() && key_ == field_ && !streamedDone_ && start_(root_)) {
        streaming_ = true;
        stack_.push_back(nullptr);
        return true;
    }
    Place(Json::array());
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

bool StreamingDocument::end_object() { return Close(); }

bool StreamingDocument::end_array() { return Close(); }

}  // namespace qlhost::io
