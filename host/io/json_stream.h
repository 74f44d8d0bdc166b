// A JSON reader that builds the document as nlohmann's own parser does, except that it can hand
// over the elements of one array field of the top-level object as each element completes, so
// a drawing's entities are decoded one by one and never held as one tree.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "host/io/json_fields.h"

namespace qlhost::io {

// One parser event of a streamed element, kept so the element can be decoded without a JSON
// value, or built into one afterwards exactly as if it had been built at once.
struct StreamEvent {
    enum Kind : unsigned char {
        Null, Boolean, Integer, Unsigned, Float, String, Key, StartObject, EndObject, StartArray, EndArray
    };
    Kind kind = Null;
    bool boolean = false;
    int64_t integer = 0;
    uint64_t unsigned_ = 0;
    double real = 0;
    std::string text;  // String and Key
};

class StreamingDocument {
public:
    // Called when the top-level field named `field` begins as an array, with the document read
    // so far; true streams its elements to take(), false keeps them in the document.
    using Start = std::function<bool(const Json& head)>;
    // Takes one element and its index; false stops the reading (aborted()).
    using Take = std::function<bool(const Json& element, size_t index)>;

    // Offered an object element whose values are all scalars, arrays of scalars or arrays of
    // those, as its events (the first opens it, the last closes it); true when it took the
    // element, false hands the element to take() as a JSON value.
    using TakeEvents = std::function<bool(const StreamEvent* events, size_t count)>;

    StreamingDocument(std::string field, Start start, Take take)
        : field_(std::move(field)), start_(std::move(start)), take_(std::move(take)) {}

    // False when the text is not valid JSON or the reading was stopped.
    bool Parse(const std::string& text);
    // Stopped: take() refused an element, or a field the stream's start depended on (any
    // field named in lateFields) came after the streamed array.
    bool aborted() const { return aborted_; }
    bool streamed() const { return streaming_ || streamedDone_; }
    Json& document() { return root_; }
    void SetLateFields(std::vector<std::string> names) { lateFields_ = std::move(names); }
    void SetTakeEvents(TakeEvents takeEvents) { takeEvents_ = std::move(takeEvents); }

    // Parser events (nlohmann's SAX interface).
    bool null() { return Handle(Pending(StreamEvent::Null)); }
    bool boolean(bool value) {
        Pending(StreamEvent::Boolean).boolean = value;
        return Handle(pending_);
    }
    bool number_integer(Json::number_integer_t value) {
        Pending(StreamEvent::Integer).integer = value;
        return Handle(pending_);
    }
    bool number_unsigned(Json::number_unsigned_t value) {
        Pending(StreamEvent::Unsigned).unsigned_ = value;
        return Handle(pending_);
    }
    bool number_float(Json::number_float_t value, const std::string&) {
        Pending(StreamEvent::Float).real = value;
        return Handle(pending_);
    }
    bool string(std::string& value) {
        Pending(StreamEvent::String).text.assign(value);
        return Handle(pending_);
    }
    bool binary(Json::binary_t& value) {
        if (recording_) Materialize();
        return Value(Json::binary(std::move(value)));
    }
    bool start_object(std::size_t) { return Handle(Pending(StreamEvent::StartObject)); }
    bool key(std::string& name) {
        Pending(StreamEvent::Key).text.assign(name);
        return Handle(pending_);
    }
    bool end_object() { return Handle(Pending(StreamEvent::EndObject)); }
    bool start_array(std::size_t) { return Handle(Pending(StreamEvent::StartArray)); }
    bool end_array() { return Handle(Pending(StreamEvent::EndArray)); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) { return false; }

private:
    StreamEvent& Pending(StreamEvent::Kind kind) {
        pending_.kind = kind;
        return pending_;
    }
    // Records the event of an element being kept as events, or applies it.
    bool Handle(StreamEvent& event);
    // Builds the JSON value of the events kept so far and goes on building it.
    void Materialize();
    // The element kept as events is complete: offered to takeEvents(), else built and taken.
    bool Finish();
    // The event's effect on the document being built.
    bool Apply(StreamEvent& event);
    bool StartObject();
    bool KeyEvent(std::string& name);
    bool StartArray();

    // Places a value at the current position; containers become the new position.
    Json* Place(Json&& value);
    bool Value(Json&& value);
    bool Close();

    std::string field_;
    Start start_;
    Take take_;
    std::vector<std::string> lateFields_;
    Json root_;
    std::vector<Json*> stack_;  // open containers; stack_[0] is the root
    std::string key_;           // key of the next value in an open object
    Json element_;              // the streamed element being read
    bool streaming_ = false;    // inside the streamed array
    bool streamedDone_ = false;
    bool aborted_ = false;
    size_t index_ = 0;
    size_t arrayDepth_ = 0;     // stack depth of the streamed array
    TakeEvents takeEvents_;
    StreamEvent pending_;
    std::vector<StreamEvent> events_;  // the element kept as events; the first used_ are its
    size_t used_ = 0;
    bool recording_ = false;
    size_t depth_ = 0;          // open containers of the element kept as events
};

}  // namespace qlhost::io
