// Checked reading of JSON fields for the drawing format.
#include "host/io/json_fields.h"

#include <cmath>

namespace qlhost::io {

void FieldReader::Fail(const std::string& message) {
    if (error_.empty()) error_ = message;
}

bool FieldReader::Has(const char* name) const { return object_.contains(name); }

const Json* FieldReader::Find(const char* name) const {
    auto it = object_.find(name);
    return it == object_.end() ? nullptr : &*it;
}

const Json* FieldReader::Field(const char* name, bool required) {
    if (!ok()) return nullptr;
    auto it = object_.find(name);
    if (it == object_.end()) {
        if (required) Fail(std::string("missing field \"") + name + "\"");
        return nullptr;
    }
    return &*it;
}

double FieldReader::Number(const char* name) {
    const Json* value = Field(name, true);
    if (!value) return 0;
    if (!value->is_number()) {
        Fail(std::string("field \"") + name + "\" must be a number");
        return 0;
    }
    return value->get<double>();
}

double FieldReader::Number(const char* name, double fallback) {
    return Has(name) ? Number(name) : fallback;
}

int64_t FieldReader::Integer(const char* name, int64_t min, int64_t max) {
    const Json* value = Field(name, true);
    if (!value) return 0;
    bool whole = value->is_number_integer();
    int64_t number = 0;
    if (whole && value->is_number_unsigned()) {
        uint64_t u = value->get<uint64_t>();
        whole = u <= static_cast<uint64_t>(INT64_MAX);
        number = static_cast<int64_t>(u);
    } else if (whole) {
        number = value->get<int64_t>();
    }
    if (!whole || number < min || number > max) {
        Fail(std::string("field \"") + name + "\" must be a whole number from " + std::to_string(min) + " to " +
             std::to_string(max));
        return 0;
    }
    return number;
}

int64_t FieldReader::Integer(const char* name, int64_t min, int64_t max, int64_t fallback) {
    return Has(name) ? Integer(name, min, max) : fallback;
}

std::vector<double> FieldReader::Numbers(const char* name, size_t count) {
    const Json* value = Field(name, true);
    std::vector<double> numbers;
    if (!value) return std::vector<double>(count, 0.0);
    if (!value->is_array() || value->size() != count) {
        Fail(std::string("field \"") + name + "\" must be an array of " + std::to_string(count) + " numbers");
        return std::vector<double>(count, 0.0);
    }
    for (const Json& item : *value) {
        if (!item.is_number()) {
            Fail(std::string("field \"") + name + "\" must be an array of " + std::to_string(count) + " numbers");
            return std::vector<double>(count, 0.0);
        }
        numbers.push_back(item.get<double>());
    }
    return numbers;
}

Pt FieldReader::Point(const char* name) {
    const Json* value = Field(name, true);
    if (!value) return {};
    if (!value->is_array() || value->size() != 2 || !(*value)[0].is_number() || !(*value)[1].is_number()) {
        Fail(std::string("field \"") + name + "\" must be a point [x, y]");
        return {};
    }
    return {(*value)[0].get<double>(), (*value)[1].get<double>()};
}

Pt FieldReader::Point(const char* name, Pt fallback) { return Has(name) ? Point(name) : fallback; }

std::vector<Pt> FieldReader::Points(const char* name, size_t minCount, size_t maxCount) {
    const Json* value = Field(name, true);
    std::vector<Pt> points;
    if (!value) return points;
    if (!value->is_array() || value->size() < minCount || value->size() > maxCount) {
        Fail(std::string("field \"") + name + "\" must be an array of " + std::to_string(minCount) + " to " +
             std::to_string(maxCount) + " points");
        return points;
    }
    for (const Json& item : *value) {
        if (!item.is_array() || item.size() != 2 || !item[0].is_number() || !item[1].is_number()) {
            Fail(std::string("field \"") + name + "\" point " + std::to_string(points.size()) +
                 " must be [x, y]");
            return {};
        }
        points.push_back({item[0].get<double>(), item[1].get<double>()});
    }
    return points;
}

bool FieldReader::Text(const char* name, std::string& out, bool required) {
    if (!ok()) return false;
    std::string hexName = std::string(name) + "_hex";
    if (const Json* hex = Field(hexName.c_str(), false)) {
        auto bytes = hex->is_string() ? FromHex(hex->get<std::string>()) : std::nullopt;
        if (!bytes) {
            Fail("field \"" + hexName + "\" must be a string of hexadecimal digit pairs");
            return false;
        }
        out.assign(bytes->begin(), bytes->end());
    } else if (const Json* text = Field(name, false)) {
        if (!text->is_string()) {
            Fail(std::string("field \"") + name + "\" must be a string");
            return false;
        }
        out = text->get<std::string>();
    } else {
        if (required) Fail(std::string("missing field \"") + name + "\"");
        return false;
    }
    if (out.find('\0') != std::string::npos) {
        Fail(std::string("field \"") + name + "\" must not contain NUL");
        return false;
    }
    return true;
}

Bytes FieldReader::Hex(const char* name, size_t size, bool required) {
    const Json* value = Field(name, required);
    if (!value) return Bytes(size, 0);
    auto bytes = value->is_string() ? FromHex(value->get<std::string>()) : std::nullopt;
    if (!bytes || bytes->size() != size) {
        Fail(std::string("field \"") + name + "\" must be " + std::to_string(size) + " bytes in hexadecimal (" +
             std::to_string(2 * size) + " digits)");
        return Bytes(size, 0);
    }
    return *bytes;
}

bool Finite(double value) { return std::isfinite(value); }

Json PointJson(Pt p) { return Json::array({p.x, p.y}); }

bool ValidUtf8(const std::string& text) {
    size_t i = 0, n = text.size();
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        size_t extra;
        uint32_t code;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xe0) == 0xc0) {
            extra = 1, code = c & 0x1f;
        } else if ((c & 0xf0) == 0xe0) {
            extra = 2, code = c & 0x0f;
        } else if ((c & 0xf8) == 0xf0) {
            extra = 3, code = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= n) return false;
        for (size_t k = 1; k <= extra; ++k) {
            unsigned char d = static_cast<unsigned char>(text[i + k]);
            if ((d & 0xc0) != 0x80) return false;
            code = (code << 6) | (d & 0x3f);
        }
        static const uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (code < kMin[extra] || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff)) return false;
        i += extra + 1;
    }
    return true;
}

void PutText(Json& object, const std::string& name, const std::string& bytes) {
    if (ValidUtf8(bytes) && bytes.find('\0') == std::string::npos)
        object[name] = bytes;
    else
        object[name + "_hex"] = ToHex(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

}  // namespace qlhost::io
