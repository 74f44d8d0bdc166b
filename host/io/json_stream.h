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

class StreamingDocument {
public:
    // Called when the top-level field named `field` begins as an array, with the document read
    // so far; true streams its elements to take(), false keeps them in the document.
    using Start = std::function<bool(const Json& head)>;
    // Takes one element and its index; false stops the reading (aborted()).
    using Take = std::function<bool(const Json& element, size_t index)>;

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

    // Parser events (nlohmann's SAX interface).
    bool null() { return Value(Json(nullptr)); }
    bool boolean(bool value) { return Value(Json(value)); }
    bool number_integer(Json::number_integer_t value) { return Value(Json(value)); }
    bool number_unsigned(Json::number_unsigned_t value) { return Value(Json(value)); }
    bool number_float(Json::number_float_t value, const std::string&) { return Value(Json(value)); }
    bool string(std::string& value) { return Value(Json(std::move(value))); }
    bool binary(Json::binary_t& value) { return Value(Json::binary(std::move(value))); }
    bool start_object(std::size_t);
    bool key(std::string& name);
    bool end_object();
    bool start_array(std::size_t);
    bool end_array();
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) { return false; }

private:
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
};

}  // namespace qlhost::io
