// The JSON drawing format's text layout, written straight into a string: scalars formatted as
// nlohmann's dump() formats them (its shortest round-trip doubles), without a string per value.
#include "host/io/json_print.h"

#include <charconv>
#include <cmath>

namespace qlhost::io {
namespace {

// Plain printable ASCII needs no escaping in a JSON string.
bool Plain(const std::string& text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7e || c == '"' || c == '\\') return false;
    }
    return true;
}

void AppendString(const std::string& text, std::string& out) {
    if (Plain(text)) {
        out += '"';
        out += text;
        out += '"';
        return;
    }
    out += Json(text).dump(-1, ' ', false, Json::error_handler_t::replace);
}

template <class Integer>
void AppendInteger(Integer value, std::string& out) {
    char buffer[24];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, written.ptr);
}

bool Nested(const Json& value) {
    return value.is_object() && (value.contains("members") || value.contains("entities"));
}

bool OwnKey(const std::string& key) {
    return key == "members" || key == "entities";
}

// Appends value on one line; false (the text cut short) once what stands after start is longer
// than limit. The layout only asks whether a value fits in a line, so giving up early keeps
// printing linear in the size of the drawing however deeply its groups are nested.
bool AppendCompactWithin(const Json& value, size_t limit, size_t start, std::string& out) {
    if (!value.is_object() && !value.is_array()) {
        AppendScalar(value, out);
        return out.size() - start <= limit;
    }
    const bool object = value.is_object();
    out += object ? '{' : '[';
    bool first = true;
    for (auto it = value.begin(); it != value.end(); ++it) {
        if (!first) out += ", ";
        first = false;
        if (object) {
            AppendString(it.key(), out);
            out += ": ";
        }
        if (out.size() - start > limit || !AppendCompactWithin(*it, limit, start, out)) return false;
    }
    out += object ? '}' : ']';
    return out.size() - start <= limit;
}

// The room left in a line after width characters (none when they fill it already).
size_t RoomAfter(size_t width) { return width < kCompactWidth ? kCompactWidth - width : 0; }

}  // namespace

void AppendScalar(const Json& value, std::string& out) {
    switch (value.type()) {
    case Json::value_t::null: out += "null"; return;
    case Json::value_t::boolean: out += value.get<bool>() ? "true" : "false"; return;
    case Json::value_t::number_integer: AppendInteger(value.get<int64_t>(), out); return;
    case Json::value_t::number_unsigned: AppendInteger(value.get<uint64_t>(), out); return;
    case Json::value_t::number_float: {
        const double number = value.get<double>();
        if (!std::isfinite(number)) {
            out += "null";
            return;
        }
        char buffer[64];
        const char* end = nlohmann::detail::to_chars(buffer, buffer + sizeof buffer, number);
        out.append(buffer, static_cast<size_t>(end - buffer));
        return;
    }
    case Json::value_t::string: AppendString(value.get_ref<const std::string&>(), out); return;
    default: out += value.dump(-1, ' ', false, Json::error_handler_t::replace); return;
    }
}

void AppendKey(const std::string& key, std::string& out) {
    AppendString(key, out);
}

void AppendCompact(const Json& value, std::string& out) {
    AppendCompactWithin(value, std::string::npos, out.size(), out);
}

void ItemLines::Short(const std::string& item, bool last) {
    if (!line_.empty() && pad_.size() + line_.size() + 2 + item.size() > kCompactWidth) Flush();
    if (!line_.empty()) line_ += ", ";
    line_ += item;
    if (last) {
        out_ += pad_;
        out_ += line_;
        out_ += '\n';
        line_.clear();
    }
}

void ItemLines::Flush() {
    if (line_.empty()) return;
    out_ += pad_;
    out_ += line_;
    out_ += ",\n";
    line_.clear();
}

void AppendPrinted(const Json& value, size_t indent, std::string& out) {
    const size_t start = out.size();
    const bool fits = AppendCompactWithin(value, RoomAfter(indent), start, out);
    if ((!value.is_object() && !value.is_array()) || value.empty()) return;
    if (fits && !Nested(value)) return;
    out.resize(start);

    const bool object = value.is_object();
    out += object ? "{\n" : "[\n";
    ItemLines lines(out, indent);
    std::string key, item;
    size_t i = 0;
    for (auto it = value.begin(); it != value.end(); ++it, ++i) {
        key.clear();
        if (object) {
            AppendString(it.key(), key);
            key += ": ";
        }
        item = key;
        const bool fitsLine = AppendCompactWithin(*it, RoomAfter(lines.pad().size()), 0, item);
        const bool own = (it->is_object() || it->is_array()) && (!fitsLine || (object && OwnKey(it.key())));
        const bool last = i + 1 == value.size();
        if (own || (it->is_object() && !object)) {
            lines.Flush();
            out += lines.pad();
            out += key;
            AppendPrinted(*it, indent + 2, out);
            out += last ? "\n" : ",\n";
            continue;
        }
        lines.Short(item, last);
    }
    out.append(indent, ' ');
    out += object ? '}' : ']';
}

}  // namespace qlhost::io
