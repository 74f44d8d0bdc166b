// Format codes: values shown as text and texts read back as values.
#include "host/ui/format.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <numbers>

#include "core/host_api.h"
#include "host/ui/env.h"
#include "host/ui/ui.h"

namespace qlhost {
namespace {

constexpr double kDegreesPerRadian = 180.0 / std::numbers::pi;

int Decimals(int precision) {
    if (precision < 0 || precision >= kDefaultPrecision) return kDefaultDecimals;
    return precision > kMaxPrecision ? kMaxPrecision : precision;
}

std::string Fixed(double v, int precision) {
    char buf[512];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, Decimals(precision));
    if (r.ec != std::errc()) return "?";
    std::string s(buf, r.ptr);
    // "-0.0000" reads as a sign error to the user; a value that rounds to zero is shown unsigned.
    if (s.size() > 1 && s[0] == '-' && s.find_first_not_of("0.", 1) == std::string::npos) s.erase(0, 1);
    return s;
}

std::string Whole(int32_t v, int precision) {
    int64_t wide = v;
    std::string digits = std::to_string(wide < 0 ? -wide : wide);
    if (precision != kDefaultPrecision && precision >= 0) {
        size_t minimum = static_cast<size_t>(precision > kMaxPrecision ? kMaxPrecision : precision);
        if (digits.size() < minimum) digits.insert(0, minimum - digits.size(), '0');
    }
    return wide < 0 ? "-" + digits : digits;
}

template <typename T>
T Load(const void* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// A whole text as one finite double (an optional leading '+' allowed).
bool ReadDouble(const std::string& text, double& v) {
    std::string t = Trim(text);
    if (!t.empty() && t[0] == '+') t.erase(0, 1);
    if (t.empty()) return false;
    auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    return r.ec == std::errc() && r.ptr == t.data() + t.size() && std::isfinite(v);
}

bool ReadInt(const std::string& text, int32_t& v) {
    std::string t = Trim(text);
    if (!t.empty() && t[0] == '+') t.erase(0, 1);
    if (t.empty()) return false;
    auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    return r.ec == std::errc() && r.ptr == t.data() + t.size();
}

// "x,y", "x y" or "x, y".
bool ReadPoint(const std::string& text, double& x, double& y) {
    std::string t = Trim(text);
    size_t sep = t.find(',');
    if (sep == std::string::npos) sep = t.find_first_of(" \t");
    if (sep == std::string::npos) return false;
    return ReadDouble(t.substr(0, sep), x) && ReadDouble(t.substr(sep + 1), y);
}

}  // namespace

bool IsFormatCode(int format) {
    switch (format) {
        case kFormatText: case kFormatInt: case kFormatInt2: case kFormatFloat: case kFormatDouble:
        case kFormatPoint: case kFormatDistance: case kFormatAngle: case kFormatAngle2:
            return true;
        default:
            return false;
    }
}

bool FormatValueChecked(const void* value, int format, int precision, std::string& text) {
    text.clear();
    if (!IsFormatCode(format)) return false;
    if (value == nullptr) return true;
    switch (format) {
        case kFormatText: text = static_cast<const char*>(value); break;
        case kFormatInt: case kFormatInt2: text = Whole(Load<int32_t>(value), precision); break;
        case kFormatFloat: text = Fixed(Load<float>(value), precision); break;
        case kFormatDouble: case kFormatDistance: text = Fixed(Load<double>(value), precision); break;
        case kFormatPoint: {
            double p[2];
            std::memcpy(p, value, sizeof p);
            text = Fixed(p[0], precision) + "," + Fixed(p[1], precision);
            break;
        }
        default: text = Fixed(Load<double>(value) * kDegreesPerRadian, precision); break;
    }
    return true;
}

std::string FormatValue(const void* value, int format, int precision) {
    std::string text;
    FormatValueChecked(value, format, precision, text);
    return text;
}

bool ParseValue(const std::string& text, int format, void* value) {
    if (value == nullptr || !IsFormatCode(format)) return false;
    switch (format) {
        case kFormatText:
            std::memcpy(value, text.c_str(), text.size() + 1);
            return true;
        case kFormatInt: case kFormatInt2: {
            int32_t v;
            if (!ReadInt(text, v)) return false;
            std::memcpy(value, &v, sizeof v);
            return true;
        }
        case kFormatFloat: {
            double d;
            if (!ReadDouble(text, d) || std::fabs(d) > 3.4e38) return false;
            float f = static_cast<float>(d);
            std::memcpy(value, &f, sizeof f);
            return true;
        }
        case kFormatPoint: {
            double p[2];
            if (!ReadPoint(text, p[0], p[1])) return false;
            std::memcpy(value, p, sizeof p);
            return true;
        }
        default: {
            double d;
            if (!ReadDouble(text, d)) return false;
            if (format == kFormatAngle || format == kFormatAngle2) d /= kDegreesPerRadian;
            std::memcpy(value, &d, sizeof d);
            return true;
        }
    }
}

std::string FillPromptRecord(const void* record, std::string& error) {
    error.clear();
    if (record == nullptr) return {};
    const auto* base = static_cast<const unsigned char*>(record);
    const char* tmpl = Load<const char*>(base + offsetof(PromptRec, text));
    if (tmpl == nullptr) return {};
    std::string out;
    for (const char* p = tmpl; *p != '\0'; ++p) {
        if (p[0] == '!' && p[1] == '0' && p[2] >= '1' && p[2] <= '9') {
            int n = p[2] - '0';
            PromptField f = Load<PromptField>(base + offsetof(PromptRec, field) + (n - 1) * sizeof(PromptField));
            std::string piece;
            if (!FormatValueChecked(f.value, f.format, f.precision, piece) && error.empty())
                error = "prompt record field " + std::to_string(n) + " has the unknown format code " +
                        std::to_string(f.format);
            out += piece;
            p += 2;
        } else {
            out += *p;
        }
    }
    return out;
}

std::string FormatPrompt(const void* prompt, uint32_t flags) {
    if (flags & REQ_FLAG_RECORD) {
        std::string error;
        std::string text = FillPromptRecord(prompt, error);
        if (!error.empty()) ScriptFault(error);
        return text;
    }
    auto number = reinterpret_cast<uintptr_t>(prompt);
    if (number == 0) return {};
    if (number < 0x10000) {
        switch (number) {
            case 0x1065: return "Select entities:";
            case 0x108d: return "Base point:";
            case 0x108e: return "Next point:";
            case 0x10ac: return "Copy from point:";
            default: {
                char buf[32];
                std::snprintf(buf, sizeof buf, "[host prompt 0x%lx]", static_cast<unsigned long>(number));
                return buf;
            }
        }
    }
    return static_cast<const char*>(prompt);
}

}  // namespace qlhost
