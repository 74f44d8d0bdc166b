// JSON form of entity records. Every type the host lays out gets named fields; a record the
// named fields cannot reproduce exactly (odd lengths, bytes past a string's end, values JSON
// cannot hold) is written whole as "raw" hex, so saving never loses a byte.
#include "host/io/json_entities.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "host/geometry/geometry.h"
#include "host/io/json_print.h"
#include "host/io/json_types.h"

namespace qlhost::io {
namespace L = qlhost::layout;
namespace {

void EncodeFields(Json& j, const Bytes& r, const std::vector<Field>& fields) {
    for (const Field& f : fields) {
        switch (f.kind) {
        case Kind::Point: j[f.name] = PointJson({Get<double>(r, f.offset), Get<double>(r, f.offset + 8)}); break;
        case Kind::Double: j[f.name] = Get<double>(r, f.offset); break;
        case Kind::U8:
            if (!f.optional || r[f.offset]) j[f.name] = r[f.offset];
            break;
        case Kind::U16:
            if (!f.optional || Get<uint16_t>(r, f.offset)) j[f.name] = Get<uint16_t>(r, f.offset);
            break;
        case Kind::U32:
            if (!f.optional || Get<uint32_t>(r, f.offset)) j[f.name] = Get<uint32_t>(r, f.offset);
            break;
        case Kind::Hex:
            if (!f.optional || !AllZero(r.data() + f.offset, f.size)) j[f.name] = ToHex(r.data() + f.offset, f.size);
            break;
        }
    }
}

// A float as the shortest decimal that reads back as the same float (0.15, not
// 0.15000000596046448).
Json FloatJson(float value) {
    char buffer[32];
    auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    double shortest = 0;
    auto read = std::from_chars(buffer, written.ptr, shortest);
    if (written.ec != std::errc() || read.ec != std::errc() || static_cast<float>(shortest) != value ||
        std::signbit(shortest) != std::signbit(value))
        return static_cast<double>(value);
    return shortest;
}

void EncodeTextData(Json& j, const Bytes& r, size_t base) {
    j["pos"] = PointJson({Get<double>(r, base + L::kDataX), Get<double>(r, base + L::kDataY)});
    j["height"] = FloatJson(Get<float>(r, base + L::kDataHeight));
    j["width"] = FloatJson(Get<float>(r, base + L::kDataWidth));
    j["angle"] = FloatJson(Get<float>(r, base + L::kDataAngle));
    j["spacing"] = FloatJson(Get<float>(r, base + L::kDataSpacing));
    j["font"] = Get<uint16_t>(r, base + L::kDataFont);
    j["style"] = Get<uint16_t>(r, base + L::kDataStyle);
    j["flags"] = r[base + L::kDataFlags];
    j["justification"] = r[base + L::kDataJustify];
    if (r[base + L::kDataLayout]) j["layout"] = r[base + L::kDataLayout];
    if (r[base + L::kDataCopied]) j["copied"] = r[base + L::kDataCopied];
    if (!AllZero(r.data() + base + 16, 32)) j["data"] = ToHex(r.data() + base + 16, 32);
}

void EncodePoints(Json& j, const Bytes& r, size_t countOffset, size_t pointsOffset) {
    uint16_t count = Get<uint16_t>(r, countOffset);
    Json points = Json::array();
    for (size_t i = 0; i < count && pointsOffset + 16 * (i + 1) <= r.size(); ++i)
        points.push_back(PointJson({Get<double>(r, pointsOffset + 16 * i), Get<double>(r, pointsOffset + 16 * i + 8)}));
    j["points"] = std::move(points);
}

void EncodeSymbolDefinition(Json& j, const Bytes& r, bool withName) {
    const unsigned char* def = FindSymbolDefinition(Get<uint32_t>(r, L::kSymHandle));
    if (!def) {
        j["base"] = nullptr;
        return;
    }
    uint32_t defLength = L::LengthOf(def);
    std::string defName;
    if (defLength > L::kDefName)
        defName.assign(reinterpret_cast<const char*>(def + L::kDefName), strnlen(reinterpret_cast<const char*>(def + L::kDefName), defLength - L::kDefName));
    bool terminated;
    if (withName || defName != ReadString(r, L::kSymName, terminated)) PutText(j, "definition", defName);
    j["base"] = PointJson({L::Get<double>(def, defLength, L::kDefBaseX), L::Get<double>(def, defLength, L::kDefBaseY)});
    j["handle"] = Get<uint32_t>(r, L::kSymHandle);
}

// Named fields of the record (no members); the caller checks that they reproduce it.
Json EncodeNamed(const Bytes& r) {
    int type = r[L::kType];
    Json j;
    j["type"] = TypeName(type);
    if (IsDimension(type)) j["dim"] = DimName(type);
    if (type == L::kClosedCurve) j["closed"] = true;
    j["layer"] = Get<uint16_t>(r, L::kLayer);
    j["color"] = Get<uint32_t>(r, kHdrColor);
    if (Get<uint16_t>(r, L::kLineStyle)) j["line_style"] = Get<uint16_t>(r, L::kLineStyle);
    if (Get<uint16_t>(r, L::kFillStyle)) j["fill_style"] = Get<uint16_t>(r, L::kFillStyle);
    if (Get<uint32_t>(r, kHdrFillColor)) j["fill_color"] = Get<uint32_t>(r, kHdrFillColor);
    if (Get<int8_t>(r, kHdrWidth)) j["line_width"] = Get<int8_t>(r, kHdrWidth);
    if (Get<uint32_t>(r, kHdrFillParam)) j["fill_param"] = Get<uint32_t>(r, kHdrFillParam);
    Bytes attrs(r.begin() + L::kAttr5, r.begin() + L::kHeaderSize);
    for (const NamedHeaderField& named : kNamedHeader) std::memset(attrs.data() + named.offset - L::kAttr5, 0, named.width);
    if (!AllZero(attrs.data(), attrs.size())) j["attrs"] = ToHex(attrs);

    bool terminated = true;
    if (const FixedType* fixed = FixedTypeOf(type); fixed && r.size() == fixed->length) {
        if (IsDimension(type)) j["style"] = ToHex(r.data() + L::kDimStyle, L::kDimStyleSize);
        EncodeFields(j, r, fixed->fields);
        // Written even when zero: a path container read without it takes the current arrowheads.
        if (type == L::kPathContainer) j["host"] = ToHex(r.data() + L::kHeaderSize, kArrowBytes);
    } else if ((type == L::kPath || type == L::kPolygon) && r.size() >= L::kPolyPoints) {
        EncodePoints(j, r, L::kPolyCount, L::kPolyPoints);
    } else if (type == L::kBezier && r.size() >= L::kBezPoints) {
        EncodePoints(j, r, L::kBezCount, L::kBezPoints);
    } else if ((type == L::kCurve || type == L::kClosedCurve) && r.size() >= L::kCurvePoints) {
        uint16_t count = Get<uint16_t>(r, L::kCurveCount);
        j["subtype"] = r[L::kCurveSubtype];
        EncodePoints(j, r, L::kCurveCount, L::kCurvePoints);
        if (r[L::kCurveSteps] != kDefaultCurveSteps) j["steps"] = r[L::kCurveSteps];
        float f1 = Get<float>(r, L::kCurveF1), f2 = Get<float>(r, L::kCurveF2);
        if (f1 != 0 || f2 != 0 || std::signbit(f1) || std::signbit(f2)) j["params"] = Json::array({FloatJson(f1), FloatJson(f2)});
        double spans = Get<double>(r, L::kCurveSpans);
        if (count == 0 || spans != count - 1.0) j["spans"] = spans;
    } else if (type == L::kText && r.size() > L::kTextString) {
        PutText(j, "string", ReadString(r, L::kTextString, terminated));
        EncodeTextData(j, r, L::kTextData);
    } else if (type == L::kTextBearing && r.size() > L::kTbString) {
        j["anchor"] = PointJson({Get<double>(r, L::kTbAnchor), Get<double>(r, L::kTbAnchor + 8)});
        if (!AllZero(r.data() + L::kTbAnchor + 16, 16)) j["host"] = ToHex(r.data() + L::kTbAnchor + 16, 16);
        PutText(j, "string", ReadString(r, L::kTbString, terminated));
        EncodeTextData(j, r, L::kTbData);
    } else if (type == L::kAttribute && r.size() >= L::kAttVariable) {
        if (Get<uint16_t>(r, L::kAttFlags)) j["attribute_flags"] = Get<uint16_t>(r, L::kAttFlags);
        PutText(j, "tag", ReadString(r, Get<uint32_t>(r, L::kAttPart1), terminated));
        if (uint32_t value = Get<uint32_t>(r, L::kAttString)) PutText(j, "value", ReadString(r, value, terminated));
        PutText(j, "prompt", ReadString(r, Get<uint32_t>(r, L::kAttPart2), terminated));
        EncodeTextData(j, r, L::kAttData);
    } else if (type == L::kSymbolRef && r.size() > L::kSymName) {
        PutText(j, "name", ReadString(r, L::kSymName, terminated));
        EncodeSymbolDefinition(j, r, false);
        Json matrix = Json::array();
        for (int i = 0; i < 12; ++i) matrix.push_back(Get<double>(r, L::kSymMatrix + 8 * i));
        j["matrix"] = std::move(matrix);
    } else {
        j = Json{{"type", "raw"}};
    }
    return j;
}

Json RawForm(const Bytes& r) {
    int type = r[L::kType];
    Json j;
    j["type"] = TypeName(type);
    if (IsDimension(type)) j["dim"] = DimName(type);
    if (type == L::kClosedCurve) j["closed"] = true;
    j["raw"] = ToHex(r);
    if (type == L::kSymbolRef && r.size() > L::kSymName) EncodeSymbolDefinition(j, r, true);
    return j;
}

// Whether the value reads back from its JSON text as the very same value: no number that JSON
// cannot hold (written as null) and only ASCII strings (other bytes might be replaced).
bool SurvivesText(const Json& value) {
    switch (value.type()) {
    case Json::value_t::number_float: return std::isfinite(value.get<double>());
    case Json::value_t::string:
        for (const char c : value.get_ref<const std::string&>())
            if (static_cast<unsigned char>(c) >= 0x80) return false;
        return true;
    case Json::value_t::array:
    case Json::value_t::object:
        for (const Json& item : value)
            if (!SurvivesText(item)) return false;
        return true;
    case Json::value_t::binary:
    case Json::value_t::discarded: return false;
    default: return true;
    }
}

}  // namespace

Json EncodeEntity(const Node& node) {
    Bytes record(node.record(), node.record() + node.length());
    Json j = EncodeNamed(record);
    // The named fields must give back the very same bytes, else the record goes raw.
    DecodeEnv check;
    uint32_t handle = record.size() > L::kSymName ? Get<uint32_t>(record, L::kSymHandle) : 0;
    check.resolveSymbol = [&](const std::string&, std::optional<Pt>, uint32_t) { return handle; };
    Bytes again;
    std::string ignored;
    // The check reads what the file will hold: the object itself when its text gives it back
    // unchanged, else the object read back from its text.
    bool same = false;
    if (j["type"] != "raw") {
        if (SurvivesText(j)) {
            same = DecodeRecord(j, check, again, ignored) && again == record;
        } else {
            Json reread = Json::parse(j.dump(-1, ' ', false, Json::error_handler_t::replace), nullptr, false);
            same = DecodeRecord(reread, check, again, ignored) && again == record;
        }
    }
    if (!same) j = RawForm(record);
    if (node.children || HasMemberList(node.type())) {
        Json members = Json::array();
        if (node.children)
            for (const Node* member = node.children->head; member; member = member->next)
                if (!member->deleted()) members.push_back(EncodeEntity(*member));
        j["members"] = std::move(members);
    }
    return j;
}

namespace {

// A real as AppendScalar prints it (nlohmann's shortest round-trip form); the value is finite.
void AppendReal(double value, std::string& out) {
    char buffer[64];
    const char* end = nlohmann::detail::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, static_cast<size_t>(end - buffer));
}

template <class Integer>
void AppendWhole(Integer value, std::string& out) {
    char buffer[24];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, written.ptr);
}

}  // namespace

bool AppendEntityText(const Node& node, size_t indent, std::string& out) {
    if (node.children) return false;
    const int type = node.type();
    const FixedType* fixed = FixedTypeOf(type);
    const uint32_t length = node.length();
    if (!fixed || length != fixed->length || length > kDirectMaxLength || !DirectType(*fixed)) return false;
    const unsigned char* r = node.record();
    // Non-finite reals are written as null and cannot give the record back: the object path
    // writes such a record raw.
    for (const Field& f : fixed->fields) {
        if (!std::isfinite(Get<double>(r, f.offset))) return false;
        if (f.kind == Kind::Point && !std::isfinite(Get<double>(r, f.offset + 8))) return false;
    }
    // The check EncodeEntity makes, field by field: the record the decoder builds from the
    // fields written below (a zeroed record of the type's length, the header from "attrs" and
    // the named header fields, then each field) must be the record itself.
    unsigned char again[kDirectMaxLength] = {};
    std::memcpy(again + L::kLength, &length, sizeof length);
    again[L::kType] = static_cast<unsigned char>(type);
    std::memcpy(again + L::kAttr5, r + L::kAttr5, L::kHeaderSize - L::kAttr5);
    for (const Field& f : fixed->fields)
        std::memcpy(again + f.offset, r + f.offset, f.kind == Kind::Point ? 16 : 8);
    if (std::memcmp(again, r, length) != 0) return false;

    // The object on one line, each item's place noted for the wrapped layout.
    const size_t start = out.size();
    constexpr size_t kMaxItems = 24;
    size_t begins[kMaxItems], ends[kMaxItems];
    bool points[kMaxItems] = {};
    size_t count = 0;
    auto key = [&](const char* name) {
        if (count) out += ", ";
        begins[count] = out.size();
        out += '"';
        out += name;
        out += "\": ";
    };
    auto done = [&] { ends[count++] = out.size(); };
    out += '{';
    key("type");
    out += '"';
    out += TypeName(type);
    out += '"';
    done();
    key("layer");
    AppendWhole(Get<uint16_t>(r, L::kLayer), out);
    done();
    key("color");
    AppendWhole(Get<uint32_t>(r, kHdrColor), out);
    done();
    if (const auto v = Get<uint16_t>(r, L::kLineStyle)) key("line_style"), AppendWhole(v, out), done();
    if (const auto v = Get<uint16_t>(r, L::kFillStyle)) key("fill_style"), AppendWhole(v, out), done();
    if (const auto v = Get<uint32_t>(r, kHdrFillColor)) key("fill_color"), AppendWhole(v, out), done();
    if (const auto v = Get<int8_t>(r, kHdrWidth)) key("line_width"), AppendWhole(static_cast<int>(v), out), done();
    if (const auto v = Get<uint32_t>(r, kHdrFillParam)) key("fill_param"), AppendWhole(v, out), done();
    unsigned char attrs[L::kHeaderSize - L::kAttr5];
    std::memcpy(attrs, r + L::kAttr5, sizeof attrs);
    for (const NamedHeaderField& named : kNamedHeader) std::memset(attrs + named.offset - L::kAttr5, 0, named.width);
    if (!AllZero(attrs, sizeof attrs)) {
        key("attrs");
        out += '"';
        out += ToHex(attrs, sizeof attrs);
        out += '"';
        done();
    }
    for (const Field& f : fixed->fields) {
        key(f.name);
        if (f.kind == Kind::Point) {
            points[count] = true;
            out += '[';
            AppendReal(Get<double>(r, f.offset), out);
            out += ", ";
            AppendReal(Get<double>(r, f.offset + 8), out);
            out += ']';
        } else {
            AppendReal(Get<double>(r, f.offset), out);
        }
        done();
    }
    out += '}';
    if (indent < kCompactWidth && out.size() - start <= kCompactWidth - indent) return true;

    // Too long for one line: the items share lines as the printer wraps an object's items.
    // A point too long for a line of its own would be laid out further; the object path
    // does that (a scalar stays on its line however long).
    const size_t itemRoom = indent + 2 < kCompactWidth ? kCompactWidth - indent - 2 : 0;
    for (size_t i = 0; i < count; ++i) {
        if (points[i] && ends[i] - begins[i] > itemRoom) {
            out.resize(start);
            return false;
        }
    }
    const std::string compact = out.substr(start);
    out.resize(start);
    out += "{\n";
    ItemLines lines(out, indent);
    for (size_t i = 0; i < count; ++i)
        lines.Short(compact.substr(begins[i] - start, ends[i] - begins[i]), i + 1 == count);
    out.append(indent, ' ');
    out += '}';
    return true;
}

}  // namespace qlhost::io
