// Field readers and writers shared by the JSON entity codec: JSON values checked against
// the expected kind and range, with the first problem kept as a one-line message.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/geometry/vec2.h"
#include "host/io/bytes.h"

namespace qlhost::io {

using Json = nlohmann::ordered_json;

// Reads the fields of one JSON object; after the first failure every read returns a
// default and ok() is false.
class FieldReader {
public:
    explicit FieldReader(const Json& object) : object_(object) {}

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    void Fail(const std::string& message);
    bool Has(const char* name) const;
    // The field's JSON value, or null when absent.
    const Json* Find(const char* name) const;

    double Number(const char* name);
    double Number(const char* name, double fallback);
    int64_t Integer(const char* name, int64_t min, int64_t max);
    int64_t Integer(const char* name, int64_t min, int64_t max, int64_t fallback);
    Pt Point(const char* name);
    Pt Point(const char* name, Pt fallback);
    std::vector<Pt> Points(const char* name, size_t minCount, size_t maxCount);
    std::vector<double> Numbers(const char* name, size_t count);
    // A string given as "name" (UTF-8) or as "name_hex" (raw bytes); false when neither.
    bool Text(const char* name, std::string& out, bool required = true);
    // Hex bytes of exactly size bytes; zeros when absent and not required.
    Bytes Hex(const char* name, size_t size, bool required = false);

private:
    const Json* Field(const char* name, bool required);
    const Json& object_;
    std::string error_;
};

// Whether JSON can hold the double (not NaN, not infinite).
bool Finite(double value);
Json PointJson(Pt p);
// Writes a string as "name" when it is valid UTF-8 without NUL, else as "name_hex".
void PutText(Json& object, const std::string& name, const std::string& bytes);
bool ValidUtf8(const std::string& text);

}  // namespace qlhost::io
