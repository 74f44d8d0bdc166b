// Entity type names and field tables of the JSON drawing format.
#include "host/io/json_types.h"

#include <cstring>

#include "host/io/json_entities.h"

namespace qlhost::io {
namespace L = qlhost::layout;
namespace {

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
         {{"host", L::kHeaderSize, K::Hex, kArrowBytes, true},
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

const FixedType* FixedTypeOf(int code) {
    for (const FixedType& type : FixedTypes())
        if (type.code == code) return &type;
    return nullptr;
}

bool DirectType(const FixedType& fixed) {
    if (fixed.fields.empty() || IsDimension(fixed.code) || HasMemberList(fixed.code) || fixed.length > kDirectMaxLength)
        return false;
    for (const Field& f : fixed.fields)
        if (f.kind != Kind::Point && f.kind != Kind::Double) return false;
    return true;
}

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

Bytes Sized(int type, size_t length) {
    Bytes r(length, 0);
    Put(r, L::kLength, static_cast<uint32_t>(length));
    r[L::kType] = static_cast<unsigned char>(type);
    return r;
}

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

}  // namespace qlhost::io
