// JSON form of entity records. Every type the host lays out gets named fields; a record the
// named fields cannot reproduce exactly (odd lengths, bytes past a string's end, values JSON
// cannot hold) is written whole as "raw" hex, so saving never loses a byte.
#include "host/io/json_entities.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "host/drawing/tables.h"
#include "host/geometry/geometry.h"
#include "host/geometry/layouts.h"

namespace qlhost::io {
namespace L = qlhost::layout;
namespace {

constexpr size_t kMaxPoints = 65535;
constexpr size_t kMaxNesting = 64;  // member lists inside member lists
constexpr double kDefaultTextHeight = 2.5;
constexpr int kDefaultFont = 1;
constexpr float kDefaultSpacing = 150;
constexpr int kDefaultCurveSteps = 8;

enum class Kind { Point, Double, U8, U16, U32, Hex };

struct Field {
    const char* name;
    size_t offset;
    Kind kind;
    size_t size = 0;        // Hex
    bool optional = false;  // zero when absent; written only when not zero
};

struct FixedType {
    int code;
    uint32_t length;
    std::vector<Field> fields;
};

const std::vector<FixedType>& FixedTypes() {
    using K = Kind;
    static const std::vector<FixedType> types = {
        {L::kPoint, L::kPointLength, {{"pos", L::kPointX, K::Point}}},
        {L::kLine, L::kLineLength, {{"p1", L::kLineStart, K::Point}, {"p2", L::kLineEnd, K::Point}}},
        {L::kCircle, L::kCircleLength,
         {{"center", L::kCircleCentre, K::Point}, {"radius", L::kCircleRadius, K::Double}}},
        {L::kArc, L::kArcLength,
         {{"center", L::kArcCentre, K::Point},
          {"radius", L::kArcRadius, K::Double},
          {"start", L::kArcStart, K::Double},
          {"sweep", L::kArcSweep, K::Double}}},
        {L::kEllipse, L::kEllipseLength,
         {{"center", L::kEllCentre, K::Point}, {"axis", L::kEllAxis, K::Point}, {"ratio", L::kEllRatio, K::Double}}},
        {L::kEllipseArc, L::kEllipseArcLength,
         {{"center", L::kEllCentre, K::Point},
          {"axis", L::kEllAxis, K::Point},
          {"ratio", L::kEllRatio, K::Double},
          {"start", L::kEllStart, K::Double},
          {"sweep", L::kEllSweep, K::Double}}},
        {L::kGroup, L::kGroupLength, {}},
        {L::kMarker, L::kMarkerLength, {{"kind", L::kMarkerKind, K::U32}}},
        {L::kFilledContainer, L::kGroupLength, {}},
        {L::kPathContainer, L::kPathContainerLength,
         {{"host", L::kHeaderSize, K::Hex, L::kPathContFlags - L::kHeaderSize, true},
          {"flags", L::kPathContFlags, K::U32, 0, true}}},
        {L::kContainer, L::kContainerLength, {{"flags", L::kContFlags, K::U32, 0, true}}},
        {L::kWall, L::kWallLength,
         {{"p1", L::kWallStart, K::Point}, {"p2", L::kWallEnd, K::Point}, {"thickness", L::kWallThickness, K::Double}}},
        {L::kDimLinear, L::kDim28Length,
         {{"p1", L::kDim28P1, K::Point},
          {"p2", L::kDim28P2, K::Point},
          {"line", L::kDim28Line, K::Point},
          {"text", L::kDim28Text, K::Point},
          {"flags", L::kDim28Flags, K::U8, 0, true}}},
        {L::kDimAngular, L::kDim29Length,
         {{"vertex", L::kDim29Vertex, K::Point},
          {"p1", L::kDim29P1, K::Point},
          {"p2", L::kDim29P2, K::Point},
          {"arc", L::kDim29Arc, K::Point},
          {"text", L::kDim29Text, K::Point},
          {"flags", L::kDim29Flags, K::U8, 0, true}}},
        {L::kDimArc, L::kDim30Length,
         {{"center", L::kDim30Centre, K::Point},
          {"radius", L::kDim30Radius, K::Double},
          {"start", L::kDim30Start, K::Double},
          {"sweep", L::kDim30Sweep, K::Double},
          {"dist1", L::kDim30Dist1, K::Double},
          {"dist2", L::kDim30Dist2, K::Double},
          {"text", L::kDim30Text, K::Point},
          {"reserved", L::kDim30Text + 16, K::Hex, 8, true},
          {"outside", L::kDim30Outside, K::U8, 0, true},
          {"flags", L::kDim30Flags, K::U8, 0, true},
          {"last", L::kDim30Flags + 1, K::U8, 0, true}}},
        {L::kDimRadial, L::kDim31Length,
         {{"center", L::kDim31Centre, K::Point},
          {"point", L::kDim31Point, K::Point},
          {"text", L::kDim31Text, K::Point},
          {"flags", L::kDim31Flags, K::U8, 0, true}}},
    };
    return types;
}

// Header fields with names of their own; "attrs" carries the remaining header bytes.
struct NamedHeaderField {
    size_t offset;
    size_t width;
};
constexpr NamedHeaderField kNamedHeader[] = {
    {kHdrWidth, 1}, {kHdrColor, 4}, {kHdrFillColor, 4}, {L::kFillStyle, 2}, {L::kLineStyle, 2}, {L::kLayer, 2}, {kHdrFillParam, 4},
};

const FixedType* FixedTypeOf(int code) {
    for (const FixedType& type : FixedTypes())
        if (type.code == code) return &type;
    return nullptr;
}

bool IsDimension(int type) { return type >= L::kDimLinear && type <= L::kDimRadial; }

const char* DimName(int type) {
    static const char* const kNames[] = {"linear", "angular", "arc", "radial"};
    return kNames[type - L::kDimLinear];
}

std::string ReadString(const Bytes& record, size_t offset, bool& terminated) {
    terminated = false;
    if (offset >= record.size()) return {};
    const char* start = reinterpret_cast<const char*>(record.data() + offset);
    size_t n = strnlen(start, record.size() - offset);
    terminated = offset + n < record.size();
    return std::string(start, n);
}

void WriteString(Bytes& record, size_t offset, const std::string& text) {
    std::memcpy(record.data() + offset, text.data(), text.size());
    record[offset + text.size()] = 0;
}

// ---------------------------------------------------------------------------------------
// Encoding

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

// ---------------------------------------------------------------------------------------
// Decoding

void DecodeFields(FieldReader& in, Bytes& r, const std::vector<Field>& fields) {
    for (const Field& f : fields) {
        if (f.optional && !in.Has(f.name)) continue;
        switch (f.kind) {
        case Kind::Point: {
            Pt p = in.Point(f.name);
            Put(r, f.offset, p.x);
            Put(r, f.offset + 8, p.y);
            break;
        }
        case Kind::Double: Put(r, f.offset, in.Number(f.name)); break;
        case Kind::U8: r[f.offset] = static_cast<unsigned char>(in.Integer(f.name, 0, 255)); break;
        case Kind::U16: Put(r, f.offset, static_cast<uint16_t>(in.Integer(f.name, 0, 65535))); break;
        case Kind::U32: Put(r, f.offset, static_cast<uint32_t>(in.Integer(f.name, 0, UINT32_MAX))); break;
        case Kind::Hex: {
            Bytes bytes = in.Hex(f.name, f.size, true);
            std::memcpy(r.data() + f.offset, bytes.data(), f.size);
            break;
        }
        }
    }
}

void DecodeTextData(FieldReader& in, Bytes& r, size_t base, const DecodeEnv& env) {
    Pt pos = in.Point("pos");
    Put(r, base + L::kDataX, pos.x);
    Put(r, base + L::kDataY, pos.y);
    double height = env.tables ? CurrentTextHeight(*env.tables) : kDefaultTextHeight;
    Put(r, base + L::kDataHeight, static_cast<float>(in.Number("height", height)));
    Put(r, base + L::kDataWidth, static_cast<float>(in.Number("width", 1.0)));
    Put(r, base + L::kDataAngle, static_cast<float>(in.Number("angle", 0.0)));
    Put(r, base + L::kDataSpacing, static_cast<float>(in.Number("spacing", kDefaultSpacing)));
    Put(r, base + L::kDataFont, static_cast<uint16_t>(in.Integer("font", 0, 65535, kDefaultFont)));
    Put(r, base + L::kDataStyle, static_cast<uint16_t>(in.Integer("style", 0, 65535, 0)));
    r[base + L::kDataFlags] = static_cast<unsigned char>(in.Integer("flags", 0, 255, 0));
    r[base + L::kDataJustify] = static_cast<unsigned char>(in.Integer("justification", 0, 255, 0));
    r[base + L::kDataLayout] = static_cast<unsigned char>(in.Integer("layout", 0, 255, 0));
    r[base + L::kDataCopied] = static_cast<unsigned char>(in.Integer("copied", 0, 255, 0));
    Bytes data = in.Hex("data", 32);
    std::memcpy(r.data() + base + 16, data.data(), 32);
}

std::vector<Pt> DecodePoints(FieldReader& in) { return in.Points("points", 0, kMaxPoints); }

void PutPoints(Bytes& r, size_t countOffset, size_t pointsOffset, const std::vector<Pt>& points) {
    Put(r, countOffset, static_cast<uint16_t>(points.size()));
    for (size_t i = 0; i < points.size(); ++i) {
        Put(r, pointsOffset + 16 * i, points[i].x);
        Put(r, pointsOffset + 16 * i + 8, points[i].y);
    }
}

Bytes Sized(int type, size_t length) {
    Bytes r(length, 0);
    Put(r, L::kLength, static_cast<uint32_t>(length));
    r[L::kType] = static_cast<unsigned char>(type);
    return r;
}

// The fields of the type; the header is filled in afterwards.
bool DecodeBody(FieldReader& in, int type, const DecodeEnv& env, Bytes& r) {
    if (const FixedType* fixed = FixedTypeOf(type)) {
        r = Sized(type, fixed->length);
        if (IsDimension(type)) {
            Bytes style(L::kDimStyleSize, 0);
            if (in.Has("style")) {
                style = in.Hex("style", L::kDimStyleSize, true);
            } else if (env.tables) {
                if (const unsigned char* entry = CurrentEntry(env.tables->dimStyles, kTableEntries))
                    std::memcpy(style.data(), entry + 4, L::kDimStyleSize);
            }
            std::memcpy(r.data() + L::kDimStyle, style.data(), style.size());
        }
        DecodeFields(in, r, fixed->fields);
        return in.ok();
    }
    switch (type) {
    case L::kPath:
    case L::kPolygon:
    case L::kBezier: {
        std::vector<Pt> points = DecodePoints(in);
        r = Sized(type, L::PolyLength(points.size()));
        PutPoints(r, L::kPolyCount, L::kPolyPoints, points);
        return in.ok();
    }
    case L::kCurve:
    case L::kClosedCurve: {
        int subtype = static_cast<int>(in.Integer("subtype", 0, 255, 0));
        std::vector<Pt> points = DecodePoints(in);
        r = Sized(type, L::CurveLength(points.size()));
        r[L::kCurveSubtype] = static_cast<unsigned char>(subtype);
        r[L::kCurveSteps] = static_cast<unsigned char>(in.Integer("steps", 0, 255, kDefaultCurveSteps));
        if (in.Has("params")) {
            std::vector<double> params = in.Numbers("params", 2);
            Put(r, L::kCurveF1, static_cast<float>(params[0]));
            Put(r, L::kCurveF2, static_cast<float>(params[1]));
        }
        Put(r, L::kCurveSpans, in.Number("spans", points.empty() ? 0.0 : points.size() - 1.0));
        PutPoints(r, L::kCurveCount, L::kCurvePoints, points);
        return in.ok();
    }
    case L::kText:
    case L::kTextBearing: {
        std::string text;
        in.Text("string", text);
        size_t data = type == L::kText ? L::kTextData : L::kTbData;
        size_t string = type == L::kText ? L::kTextString : L::kTbString;
        r = Sized(type, string + text.size() + 1);
        if (type == L::kTextBearing) {
            Pt anchor = in.Point("anchor");
            Put(r, L::kTbAnchor, anchor.x);
            Put(r, L::kTbAnchor + 8, anchor.y);
            Bytes host = in.Hex("host", 16);
            std::memcpy(r.data() + L::kTbAnchor + 16, host.data(), 16);
        }
        DecodeTextData(in, r, data, env);
        WriteString(r, string, text);
        return in.ok();
    }
    case L::kAttribute: {
        std::string value, tag, prompt;
        bool hasValue = in.Text("value", value, false);
        in.Text("tag", tag, false);
        in.Text("prompt", prompt, false);
        size_t length = L::kAttVariable + (hasValue ? value.size() + 1 : 0) + tag.size() + 1 + prompt.size() + 1;
        r = Sized(type, length);
        Put(r, L::kAttFlags, static_cast<uint16_t>(in.Integer("attribute_flags", 0, 65535, 0)));
        size_t offset = L::kAttVariable;
        if (hasValue) {
            Put(r, L::kAttString, static_cast<uint32_t>(offset));
            WriteString(r, offset, value);
            offset += value.size() + 1;
        }
        Put(r, L::kAttPart1, static_cast<uint32_t>(offset));
        WriteString(r, offset, tag);
        offset += tag.size() + 1;
        Put(r, L::kAttPart2, static_cast<uint32_t>(offset));
        WriteString(r, offset, prompt);
        DecodeTextData(in, r, L::kAttData, env);
        return in.ok();
    }
    case L::kSymbolRef: {
        std::string name;
        in.Text("name", name);
        r = Sized(type, L::SymbolRefLength(name.size()));
        std::vector<double> matrix = in.Numbers("matrix", 12);
        for (int i = 0; i < 12; ++i) Put(r, L::kSymMatrix + 8 * i, matrix[i]);
        WriteString(r, L::kSymName, name);
        return in.ok();
    }
    default: in.Fail("type has no named fields; give its record as \"raw\""); return false;
    }
}

// Definition handle of a symbol reference from "definition" (or "name") and "base".
void DecodeSymbolHandle(FieldReader& in, const DecodeEnv& env, Bytes& r) {
    std::string name;
    if (!in.Text("definition", name, false)) {
        bool terminated;
        name = ReadString(r, L::kSymName, terminated);
    }
    std::optional<Pt> base;
    const Json* baseValue = in.Find("base");
    if (!baseValue) base = Pt{};
    else if (!baseValue->is_null()) base = in.Point("base");
    uint32_t hint = static_cast<uint32_t>(in.Integer("handle", 0, UINT32_MAX, 0));
    if (!in.ok()) return;
    uint32_t handle = env.resolveSymbol ? env.resolveSymbol(name, base, hint) : 0;
    Put(r, L::kSymHandle, handle);
}

void DecodeHeader(FieldReader& in, const DecodeEnv& env, Bytes& r) {
    Bytes attrs = in.Hex("attrs", L::kHeaderSize - L::kAttr5);
    std::memcpy(r.data() + L::kAttr5, attrs.data(), attrs.size());
    Put(r, kHdrColor, static_cast<uint32_t>(in.Integer("color", 0, UINT32_MAX, 0)));
    if (in.Has("fill_color")) Put(r, kHdrFillColor, static_cast<uint32_t>(in.Integer("fill_color", 0, UINT32_MAX)));
    if (in.Has("line_width")) Put(r, kHdrWidth, static_cast<int8_t>(in.Integer("line_width", -128, 127)));
    if (in.Has("fill_param")) Put(r, kHdrFillParam, static_cast<uint32_t>(in.Integer("fill_param", 0, UINT32_MAX)));
    Put(r, L::kLineStyle, static_cast<uint16_t>(in.Integer("line_style", 0, 65535, 0)));
    Put(r, L::kFillStyle, static_cast<uint16_t>(in.Integer("fill_style", 0, 65535, 0)));
    int layer = env.defaultLayer;
    bool mapped = false;
    if (const Json* value = in.Find("layer"); value && value->is_string()) {
        const unsigned char* entry =
            env.tables ? FindLayerByName(*env.tables, value->get<std::string>()) : nullptr;
        if (!entry) return in.Fail("unknown layer \"" + value->get<std::string>() + "\"");
        uint16_t number;
        std::memcpy(&number, entry + kEntryNumber, 2);
        layer = number;
        mapped = true;
    } else if (value) {
        layer = static_cast<int>(in.Integer("layer", 0, 65535));
    }
    if (!mapped && env.mapLayer) layer = env.mapLayer(layer);
    Put(r, L::kLayer, static_cast<uint16_t>(layer));
}

bool DecodeRaw(FieldReader& in, int type, const DecodeEnv& env, Bytes& r) {
    const Json* raw = in.Find("raw");
    auto bytes = raw->is_string() ? FromHex(raw->get<std::string>()) : std::nullopt;
    if (!bytes) {
        in.Fail("field \"raw\" must be a string of hexadecimal digit pairs");
        return false;
    }
    if (bytes->size() < kMinRecordLength || bytes->size() > kMaxRecordLength) {
        in.Fail("field \"raw\" must hold a whole record (" + std::to_string(bytes->size()) + " bytes)");
        return false;
    }
    if (Get<uint32_t>(*bytes, L::kLength) != bytes->size()) {
        in.Fail("field \"raw\": the record length " + std::to_string(Get<uint32_t>(*bytes, L::kLength)) +
                " does not match its " + std::to_string(bytes->size()) + " bytes");
        return false;
    }
    if (type >= 0 && (*bytes)[L::kType] != type) {
        in.Fail("field \"raw\" holds a record of type " + std::to_string((*bytes)[L::kType]) +
                ", not of the type named");
        return false;
    }
    r = std::move(*bytes);
    if (r[L::kType] == L::kSymbolRef && r.size() > L::kSymName) DecodeSymbolHandle(in, env, r);
    return in.ok();
}

struct TypeNameEntry {
    int code;
    const char* name;
};

constexpr TypeNameEntry kTypeNames[] = {
    {L::kPoint, "point"},       {L::kLine, "line"},
    {L::kPath, "path"},         {L::kPolygon, "polygon"},
    {L::kText, "text"},         {L::kCircle, "circle"},
    {L::kArc, "arc"},           {L::kEllipse, "ellipse"},
    {L::kEllipseArc, "ellipse_arc"}, {L::kGroup, "group"},
    {L::kMarker, "marker"},     {L::kSymbolRef, "symbol"},
    {L::kFilledContainer, "filled"}, {L::kCurve, "curve"},
    {L::kClosedCurve, "curve"}, {L::kDimLinear, "dimension"},
    {L::kDimAngular, "dimension"}, {L::kDimArc, "dimension"},
    {L::kDimRadial, "dimension"}, {L::kTextBearing, "text_bearing"},
    {L::kPathContainer, "path_container"}, {L::kContainer, "container"},
    {L::kAttribute, "attribute"}, {L::kWall, "wall"},
    {L::kBezier, "bezier"},
};

}  // namespace

const char* TypeName(int type) {
    for (const TypeNameEntry& entry : kTypeNames)
        if (entry.code == type) return entry.name;
    return "raw";
}

int TypeCodeOf(const Json& object) {
    auto it = object.find("type");
    if (it == object.end() || !it->is_string()) return -1;
    std::string name = it->get<std::string>();
    if (name == "dimension") {
        auto dim = object.find("dim");
        if (dim == object.end() || !dim->is_string()) return -1;
        for (int type = L::kDimLinear; type <= L::kDimRadial; ++type)
            if (*dim == DimName(type)) return type;
        return -1;
    }
    if (name == "curve") {
        auto closed = object.find("closed");
        bool isClosed = closed != object.end() && closed->is_boolean() && closed->get<bool>();
        return isClosed ? L::kClosedCurve : L::kCurve;
    }
    for (const TypeNameEntry& entry : kTypeNames)
        if (name == entry.name) return entry.code;
    return -1;
}

bool DecodeRecord(const Json& object, const DecodeEnv& env, Bytes& record, std::string& error) {
    if (!object.is_object()) {
        error = "must be an object";
        return false;
    }
    auto typeField = object.find("type");
    if (typeField == object.end() || !typeField->is_string()) {
        error = "missing field \"type\"";
        return false;
    }
    bool rawType = *typeField == "raw";
    int type = rawType ? -1 : TypeCodeOf(object);
    if (!rawType && type < 0) {
        error = "unknown type \"" + typeField->get<std::string>() + "\"";
        if (*typeField == "dimension") error += " (\"dim\" must be linear, angular, arc or radial)";
        return false;
    }
    FieldReader in(object);
    bool ok;
    if (in.Has("raw")) {
        ok = DecodeRaw(in, type, env, record);
    } else if (rawType) {
        in.Fail("missing field \"raw\"");
        ok = false;
    } else {
        ok = DecodeBody(in, type, env, record);
        if (ok && record.size() > kMaxRecordLength) in.Fail("record too long");
        if (ok) DecodeHeader(in, env, record);
        if (ok && type == L::kSymbolRef) DecodeSymbolHandle(in, env, record);
        ok = in.ok();
    }
    if (!ok) error = in.error();
    return ok;
}

Json EncodeEntity(const Node& node) {
    Bytes record(node.record(), node.record() + node.length());
    Json j = EncodeNamed(record);
    // The named fields must give back the very same bytes, else the record goes raw.
    DecodeEnv check;
    uint32_t handle = record.size() > L::kSymName ? Get<uint32_t>(record, L::kSymHandle) : 0;
    check.resolveSymbol = [&](const std::string&, std::optional<Pt>, uint32_t) { return handle; };
    Bytes again;
    std::string ignored;
    Json reread = Json::parse(j.dump(-1, ' ', false, Json::error_handler_t::replace), nullptr, false);
    if (j["type"] == "raw" || !DecodeRecord(reread, check, again, ignored) || again != record) j = RawForm(record);
    if (node.children || HasMemberList(node.type())) {
        Json members = Json::array();
        if (node.children)
            for (const Node* member = node.children->head; member; member = member->next)
                if (!member->deleted()) members.push_back(EncodeEntity(*member));
        j["members"] = std::move(members);
    }
    return j;
}

bool DecodeEntity(const Json& object, HostList& list, const DecodeEnv& env, const std::string& where,
                  std::string& error) {
    if (static_cast<size_t>(std::count(where.begin(), where.end(), '.')) >= kMaxNesting) {
        error = where + ": members nested deeper than " + std::to_string(kMaxNesting) + " levels";
        return false;
    }
    Bytes record;
    std::string problem;
    if (!DecodeRecord(object, env, record, problem)) {
        error = where + ": " + problem;
        return false;
    }
    const Json* members = nullptr;
    if (auto it = object.find("members"); it != object.end()) {
        if (!it->is_array()) {
            error = where + ": field \"members\" must be an array";
            return false;
        }
        if (!HasMemberList(record[L::kType])) {
            error = where + ": a " + std::string(TypeName(record[L::kType])) + " has no members";
            return false;
        }
        members = &*it;
    }
    Node* node = list.Append(record.data(), static_cast<uint32_t>(record.size()));
    if (!node) {
        error = where + ": the drawing refused the record";
        return false;
    }
    if (!members) return true;
    HostList* children = list.Children(node);
    for (size_t i = 0; i < members->size(); ++i)
        if (!DecodeEntity((*members)[i], *children, env, where + "." + std::to_string(i), error)) return false;
    return true;
}

}  // namespace qlhost::io
