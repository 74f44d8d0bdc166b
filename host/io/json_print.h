// The layout of the JSON drawing format's text: short values on one line, a space after every
// comma and colon; longer objects and arrays wrap their short items into lines of at most
// kCompactWidth characters and give long ones lines of their own. Values are appended to a
// string, so a writer can print one entity at a time and pass the text on in chunks.
#pragma once

#include <cstddef>
#include <string>

#include "host/io/json_fields.h"

namespace qlhost::io {

constexpr size_t kCompactWidth = 120;

// A scalar (or an empty object or array) exactly as nlohmann's dump() writes it with invalid
// UTF-8 replaced.
void AppendScalar(const Json& value, std::string& out);
// A key as a JSON string.
void AppendKey(const std::string& key, std::string& out);
// The value on one line.
void AppendCompact(const Json& value, std::string& out);
// The value laid out for a line indented by indent spaces (the first line's indentation is the
// caller's).
void AppendPrinted(const Json& value, size_t indent, std::string& out);

// The line joining of an object's or array's items, for a caller that produces the items
// itself: short items share lines of at most kCompactWidth characters; Own() items get lines
// of their own.
class ItemLines {
public:
    ItemLines(std::string& out, size_t indent) : out_(out), pad_(indent + 2, ' ') {}
    const std::string& pad() const { return pad_; }
    // A short item (key and compact value); last closes the item list.
    void Short(const std::string& item, bool last);
    // Ends the pending line before an item that gets lines of its own.
    void Flush();

private:
    std::string& out_;
    std::string pad_;
    std::string line_;
};

}  // namespace qlhost::io
