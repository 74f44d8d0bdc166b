// Reading entity records from their JSON form: named fields with defaults for what a hand-
// written file leaves out, raw records, layers by number or name, symbol definitions.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <string_view>
#include <utility>

#include "host/io/json_entities.h"
#include "host/io/json_types.h"

namespace qlhost::io {
namespace L = qlhost::layout;
namespace {

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
        if (type == L::kPathContainer && !in.Has("host") && env.tables)
            CopyCurrentArrowheads(*env.tables, r.data() + L::kHeaderSize);
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

}  // namespace

bool DecodeRecord(const Json& object, const DecodeEnv& env, Bytes& record, std::string& error) {
    if (!object.is_object()) {
        error = "must be an object";
        return false;
    }
    auto typeField = object.find("type");
    if (typeField == object.end()) {
        error = "missing field \"type\"";
        return false;
    }
    if (!typeField->is_string()) {
        error = "field \"type\" must be a string naming the entity type";
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

namespace {

bool Numeric(const StreamEvent& e) {
    return e.kind == StreamEvent::Integer || e.kind == StreamEvent::Unsigned || e.kind == StreamEvent::Float;
}

// A number as get<double>() gives it.
double Real(const StreamEvent& e) {
    if (e.kind == StreamEvent::Integer) return static_cast<double>(e.integer);
    if (e.kind == StreamEvent::Unsigned) return static_cast<double>(e.unsigned_);
    return e.real;
}

// A whole number in range, as FieldReader::Integer accepts it.
bool Whole(const StreamEvent& e, int64_t min, int64_t max, int64_t& out) {
    if (e.kind == StreamEvent::Integer) out = e.integer;
    else if (e.kind == StreamEvent::Unsigned && e.unsigned_ <= static_cast<uint64_t>(INT64_MAX))
        out = static_cast<int64_t>(e.unsigned_);
    else return false;
    return out >= min && out <= max;
}

// The header fields the direct reader knows, in slot order; the type's fields follow them.
constexpr std::string_view kHeaderKeys[] = {"type",       "layer",      "color",      "line_style", "fill_style",
                                       "fill_color", "line_width", "fill_param", "attrs"};
enum HeaderSlot { kTypeSlot, kLayerSlot, kColor, kLineStyleSlot, kFillStyleSlot, kFillColor, kLineWidth, kFillParam, kAttrs };
constexpr size_t kHeaderSlots = std::size(kHeaderKeys);
constexpr size_t kMaxSlots = 16;

// The direct types by name.
const FixedType* DirectTypeNamed(const std::string& name) {
    static const std::vector<std::pair<std::string, const FixedType*>> types = [] {
        std::vector<std::pair<std::string, const FixedType*>> list;
        for (int code = 0; code < 256; ++code)
            if (const FixedType* fixed = FixedTypeOf(code); fixed && DirectType(*fixed))
                list.emplace_back(TypeName(code), fixed);
        return list;
    }();
    for (const auto& [typeName, fixed] : types)
        if (typeName == name) return fixed;
    return nullptr;
}

}  // namespace

bool DecodeEntityEvents(const StreamEvent* events, size_t count, HostList& list, const DecodeEnv& env) {
    if (count < 2 || events[0].kind != StreamEvent::StartObject || events[count - 1].kind != StreamEvent::EndObject)
        return false;
    // The fields: a key and a scalar, a key and an array of exactly two numbers (a point), or a
    // key and an array of such points.
    enum Shape { kScalar, kPoint, kPointList };
    struct Item {
        const std::string* key;
        const StreamEvent* value;  // the scalar, the point's first number, the list's first event
        Shape shape;
        size_t points = 0;         // of a list
    };
    auto isPoint = [&](size_t at) {
        return at + 3 < count && events[at].kind == StreamEvent::StartArray && Numeric(events[at + 1]) &&
               Numeric(events[at + 2]) && events[at + 3].kind == StreamEvent::EndArray;
    };
    Item items[kMaxSlots];
    size_t itemCount = 0;
    for (size_t i = 1; i + 1 < count;) {
        if (events[i].kind != StreamEvent::Key || itemCount == kMaxSlots) return false;
        const StreamEvent& value = events[i + 1];
        if (isPoint(i + 1)) {
            items[itemCount++] = {&events[i].text, &events[i + 2], kPoint};
            i += 5;
        } else if (value.kind == StreamEvent::StartArray) {
            size_t at = i + 2, points = 0;
            while (isPoint(at)) at += 4, ++points;
            if (at >= count || events[at].kind != StreamEvent::EndArray) return false;
            items[itemCount++] = {&events[i].text, &events[i + 2], kPointList, points};
            i = at + 1;
        } else if (value.kind != StreamEvent::Key && value.kind != StreamEvent::EndObject &&
                   value.kind != StreamEvent::StartObject && value.kind != StreamEvent::EndArray) {
            items[itemCount++] = {&events[i].text, &value, kScalar};
            i += 2;
        } else {
            return false;
        }
    }
    // The type: a direct fixed-layout one, or a path, polygon or bezier (its "points").
    const FixedType* fixed = nullptr;
    int type = -1;
    for (size_t i = 0; i < itemCount && type < 0; ++i) {
        if (*items[i].key != "type") continue;
        if (items[i].shape != kScalar || items[i].value->kind != StreamEvent::String) return false;
        const std::string& name = items[i].value->text;
        fixed = DirectTypeNamed(name);
        if (fixed) type = fixed->code;
        else if (name == "path") type = L::kPath;
        else if (name == "polygon") type = L::kPolygon;
        else if (name == "bezier") type = L::kBezier;
        else return false;
    }
    if (type < 0) return false;
    const size_t bodyFields = fixed ? fixed->fields.size() : 1;
    if (kHeaderSlots + bodyFields > kMaxSlots) return false;
    // Each field in its slot; an unknown or repeated field leaves the entity to DecodeEntity.
    const Item* slots[kMaxSlots] = {};
    for (size_t i = 0; i < itemCount; ++i) {
        size_t slot = 0;
        while (slot < kHeaderSlots && *items[i].key != kHeaderKeys[slot]) ++slot;
        if (slot == kHeaderSlots) {
            size_t field = 0;
            while (field < bodyFields && *items[i].key != (fixed ? fixed->fields[field].name : "points")) ++field;
            if (field == bodyFields) return false;
            slot += field;
        }
        if (slots[slot]) return false;
        slots[slot] = &items[i];
    }

    // The record as DecodeRecord builds it: the body's fields, then the header.
    constexpr size_t kRoom = 1024;
    unsigned char r[kRoom] = {};
    uint32_t length = 0;
    if (fixed) {
        length = fixed->length;
        for (size_t field = 0; field < fixed->fields.size(); ++field) {
            const Field& f = fixed->fields[field];
            const Item* item = slots[kHeaderSlots + field];
            if (!item || item->shape != (f.kind == Kind::Point ? kPoint : kScalar) ||
                (item->shape == kScalar && !Numeric(*item->value)))
                return false;
            const double x = Real(item->value[0]);
            std::memcpy(r + f.offset, &x, 8);
            if (item->shape == kPoint) {
                const double y = Real(item->value[1]);
                std::memcpy(r + f.offset + 8, &y, 8);
            }
        }
    } else {
        const Item* item = slots[kHeaderSlots];
        if (!item || item->shape != kPointList || L::PolyLength(item->points) > kRoom) return false;
        length = static_cast<uint32_t>(L::PolyLength(item->points));
        const uint16_t points = static_cast<uint16_t>(item->points);
        std::memcpy(r + L::kPolyCount, &points, sizeof points);
        for (size_t k = 0; k < item->points; ++k) {
            const double x = Real(item->value[4 * k + 1]), y = Real(item->value[4 * k + 2]);
            std::memcpy(r + L::kPolyPoints + 16 * k, &x, 8);
            std::memcpy(r + L::kPolyPoints + 16 * k + 8, &y, 8);
        }
    }
    std::memcpy(r + L::kLength, &length, sizeof length);
    r[L::kType] = static_cast<unsigned char>(type);
    if (const Item* attrs = slots[kAttrs]) {
        if (attrs->shape != kScalar || attrs->value->kind != StreamEvent::String) return false;
        auto bytes = FromHex(attrs->value->text);
        if (!bytes || bytes->size() != L::kHeaderSize - L::kAttr5) return false;
        std::memcpy(r + L::kAttr5, bytes->data(), bytes->size());
    }
    // A header field: absent gives fallback (or keeps the bytes when fallback < 0).
    auto whole = [&](size_t slot, int64_t min, int64_t max, int64_t fallback, int64_t& out) {
        const Item* item = slots[slot];
        if (!item) {
            out = fallback;
            return true;
        }
        return item->shape == kScalar && Whole(*item->value, min, max, out);
    };
    int64_t color, fillColor, width, fillParam, lineStyle, fillStyle, layer;
    if (!whole(kColor, 0, UINT32_MAX, 0, color) || !whole(kFillColor, 0, UINT32_MAX, -1, fillColor) ||
        !whole(kLineWidth, -128, 127, INT64_MIN, width) || !whole(kFillParam, 0, UINT32_MAX, -1, fillParam) ||
        !whole(kLineStyleSlot, 0, 65535, 0, lineStyle) || !whole(kFillStyleSlot, 0, 65535, 0, fillStyle) ||
        !whole(kLayerSlot, 0, 65535, env.defaultLayer, layer))
        return false;
    auto put = [&](size_t offset, auto value) { std::memcpy(r + offset, &value, sizeof value); };
    put(kHdrColor, static_cast<uint32_t>(color));
    if (slots[kFillColor]) put(kHdrFillColor, static_cast<uint32_t>(fillColor));
    if (slots[kLineWidth]) put(kHdrWidth, static_cast<int8_t>(width));
    if (slots[kFillParam]) put(kHdrFillParam, static_cast<uint32_t>(fillParam));
    put(L::kLineStyle, static_cast<uint16_t>(lineStyle));
    put(L::kFillStyle, static_cast<uint16_t>(fillStyle));
    int layerNumber = static_cast<int>(layer);
    if (env.mapLayer) layerNumber = env.mapLayer(layerNumber);
    put(L::kLayer, static_cast<uint16_t>(layerNumber));
    return list.Append(r, length) != nullptr;
}

}  // namespace qlhost::io
