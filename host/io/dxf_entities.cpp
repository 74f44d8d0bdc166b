// Hatches, the fill styles they stand for, and host records in extended data
// (host/io/dxf_entities.h).
#include "host/io/dxf_entities.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "host/drawing/tables.h"
#include "host/io/bytes.h"
#include "host/drawing/layouts.h"
#include "host/geometry/records.h"

namespace qlhost::io {
namespace {

namespace L = layout;

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegree = kPi / 180;
constexpr size_t kMaxPathPoints = 65535;
constexpr double kChordStep = kPi / 32;  // largest angle of one chord of a flattened arc
constexpr int kMaxFamilies = 64;
constexpr int kMaxDashes = 64;
constexpr int kMaxShiftCopies = 16;  // families a line with an along-line shift may become
constexpr double kSameLine = 1e-5;   // relative difference of pattern lines that are the same
constexpr size_t kRecordChunk = 127;  // bytes of one 1004 group
constexpr uint32_t kMaxCarriedRecord = 1 << 16;

bool ParseDouble(const std::string& text, double& value) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    while (begin < end && (*begin == ' ' || *begin == '\t')) ++begin;
    if (begin < end && *begin == '+') ++begin;
    auto [stop, ec] = std::from_chars(begin, end, value);
    return ec == std::errc() && begin != stop && std::isfinite(value);
}

// Reads the groups of a chunk in order.
class Cursor {
public:
    explicit Cursor(const std::vector<DxfPair>& pairs) : pairs_(pairs) {}
    bool AtEnd() const { return i_ >= pairs_.size(); }
    int Code() const { return AtEnd() ? -1 : pairs_[i_].code; }
    // Moves on to the next group of the code; false when there is none before a stop code.
    bool Seek(int code, std::initializer_list<int> stops = {}) {
        for (; !AtEnd(); ++i_) {
            if (pairs_[i_].code == code) return true;
            for (int stop : stops)
                if (pairs_[i_].code == stop) return false;
        }
        return false;
    }
    double Real() {
        double value = 0;
        if (!AtEnd()) ParseDouble(pairs_[i_++].value, value);
        return value;
    }
    // A count or flag; -1 for values no count can be.
    long long Whole() {
        const double value = Real();
        return std::fabs(value) < 1e15 ? static_cast<long long>(value) : -1;
    }
    // The value of the group of this code if it comes next, else the fallback.
    double Next(int code, double fallback) { return Code() == code ? Real() : fallback; }
    void Skip() { ++i_; }

private:
    const std::vector<DxfPair>& pairs_;
    size_t i_ = 0;
};

DxfGroup Text(int code, std::string text) { return {DxfGroup::kText, code, std::move(text)}; }
DxfGroup RealGroup(int code, double value) {
    DxfGroup g{DxfGroup::kReal, code, {}};
    g.real = value;
    return g;
}
DxfGroup Whole(int code, long long value) {
    DxfGroup g{DxfGroup::kWhole, code, {}};
    g.whole = value;
    return g;
}

void AddArcPoints(std::vector<Pt>& points, Pt centre, double radius, double start, double sweep) {
    int chords = std::clamp(static_cast<int>(std::ceil(std::fabs(sweep) / kChordStep)), 1, 256);
    for (int k = 0; k <= chords; ++k) points.push_back(Polar(centre, radius, start + sweep * k / chords));
}

// The points of an edge from its start to its end.
void AddEdgePoints(std::vector<Pt>& points, const HatchEdge& e) {
    switch (e.kind) {
    case HatchEdge::kLine:
        points.push_back(e.a);
        points.push_back(e.b);
        break;
    case HatchEdge::kArc: {
        double sweep = std::fmod(e.end - e.start, 360.0);
        if (sweep <= 0) sweep += 360;
        double start = e.start;
        if (!e.counterClockwise) start = -e.start, sweep = -sweep;  // clockwise edges give their angles mirrored
        AddArcPoints(points, e.a, e.radius, start * kDegree, sweep * kDegree);
        break;
    }
    case HatchEdge::kEllipse: {
        double sweep = std::fmod(e.end - e.start, 360.0);
        if (sweep <= 0) sweep += 360;
        double start = e.start;
        if (!e.counterClockwise) start = -e.start, sweep = -sweep;
        Pt major = e.b, minor = Perp(e.b) * e.radius;
        int chords = std::clamp(static_cast<int>(std::ceil(std::fabs(sweep * kDegree) / kChordStep)), 1, 256);
        for (int k = 0; k <= chords; ++k) {
            double t = (start + sweep * k / chords) * kDegree;
            points.push_back(e.a + major * std::cos(t) + minor * std::sin(t));
        }
        break;
    }
    case HatchEdge::kSpline: points.insert(points.end(), e.controls.begin(), e.controls.end()); break;
    }
}

bool FullTurn(const HatchEdge& e) {
    return std::fabs(std::fabs(e.end - e.start) - 360) < 1e-9;
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

struct Family {
    float angle, ox, oy, cycle, spacing;
    std::vector<float> dashes;
};

// The families of a fill style entry's pattern data, and its own scale.
bool ReadFamilies(const unsigned char* entry, std::vector<Family>& families, float& scale) {
    const uint32_t length = L::LengthOf(entry);
    if (length <= kStyleName || entry[kStyleKind] != kFillPattern) return false;
    const size_t data = entry[kStylePatternOffset];
    auto get = [&](size_t offset, auto zero) { return L::Get<decltype(zero)>(entry, length, data + offset); };
    const int32_t count = get(8, int32_t{});
    scale = get(12, float{});
    if (count <= 0 || count > kMaxFamilies || data + 16 > length) return false;
    size_t offset = 16;
    for (int32_t i = 0; i < count; ++i) {
        Family f{get(offset, float{}), get(offset + 4, float{}), get(offset + 8, float{}), get(offset + 12, float{}),
                 get(offset + 16, float{}), {}};
        const int32_t dashes = get(offset + 20, int32_t{});
        if (dashes < 0 || dashes > kMaxDashes || data + offset + 24 + 4 * static_cast<size_t>(dashes) > length)
            return false;
        for (int32_t k = 0; k < dashes; ++k) f.dashes.push_back(get(offset + 24 + 4 * k, float{}));
        offset += 24 + 4 * static_cast<size_t>(dashes);
        families.push_back(std::move(f));
    }
    return true;
}

// The host families (own scale 1) that draw a pattern line: one, or, for a dashed line whose
// dashes shift along it from line to line, one per line until the shift comes round.
void FamiliesOfLine(const PatternLine& line, std::vector<Family>& out) {
    // Values a single-precision family cannot hold leave the line out.
    constexpr double kLargest = 1e30;
    bool fits = std::fabs(line.angle) < kLargest && Norm(line.base) < kLargest && Norm(line.offset) < kLargest;
    for (double dash : line.dashes) fits &= std::fabs(dash) < kLargest;
    if (!fits) return;
    const double angle = line.angle * kDegree;
    const Pt d{std::cos(angle), std::sin(angle)}, n = Perp(d);
    double spacing = Dot(line.offset, n), shift = Dot(line.offset, d);
    Pt step = line.offset;
    if (spacing < 0) spacing = -spacing, shift = -shift, step = step * -1;
    double cycle = 0;
    for (double dash : line.dashes) cycle += std::fabs(dash);
    int copies = 1;
    if (cycle > 0 && shift != 0) {
        const double turn = shift / cycle;
        for (int m = 1; m <= kMaxShiftCopies; ++m)
            if (std::fabs(m * turn - std::round(m * turn)) < 1e-6) {
                copies = m;
                break;
            }
    }
    for (int j = 0; j < copies; ++j) {
        const Pt origin = line.base + step * j;
        Family f{static_cast<float>(angle), static_cast<float>(-origin.y), static_cast<float>(origin.x),
                 static_cast<float>(cycle), static_cast<float>(spacing * copies), {}};
        for (double dash : line.dashes) f.dashes.push_back(static_cast<float>(dash));
        out.push_back(std::move(f));
    }
}

bool Near(double a, double b) { return std::fabs(a - b) <= kSameLine * std::max({1.0, std::fabs(a), std::fabs(b)}); }

bool SameFamilies(const std::vector<Family>& a, const std::vector<Family>& b, float scaleB) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const Family &x = a[i], &y = b[i];
        double turn = std::remainder(static_cast<double>(x.angle) - y.angle, 2 * kPi);
        if (!Near(turn, 0) || !Near(x.ox, y.ox * scaleB) || !Near(x.oy, y.oy * scaleB) ||
            !Near(x.spacing, y.spacing * scaleB) || x.dashes.size() != y.dashes.size())
            return false;
        for (size_t k = 0; k < x.dashes.size(); ++k)
            if (!Near(x.dashes[k], y.dashes[k] * scaleB)) return false;
    }
    return true;
}

template <typename T>
void Append(std::vector<unsigned char>& bytes, T value) {
    unsigned char raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    bytes.insert(bytes.end(), raw, raw + sizeof(T));
}

}  // namespace

std::string DxfChunk::Text(int code, const std::string& fallback) const {
    for (const DxfPair& p : pairs)
        if (p.code == code) return p.value;
    return fallback;
}

double DxfChunk::Real(int code, double fallback) const {
    for (const DxfPair& p : pairs)
        if (p.code == code) {
            double value = 0;
            return ParseDouble(p.value, value) ? value : fallback;
        }
    return fallback;
}

long long DxfChunk::Whole(int code, long long fallback) const {
    double value = Real(code, static_cast<double>(fallback));
    return std::fabs(value) < 9e18 ? static_cast<long long>(value) : fallback;
}

std::vector<DxfPair> DxfChunk::ExtendedData(const std::string& app) const {
    std::vector<DxfPair> out;
    bool inside = false;
    for (const DxfPair& p : pairs) {
        if (p.code == 1001) {
            inside = p.value == app;
            continue;
        }
        if (inside) out.push_back(p);
    }
    return out;
}

// ---------------------------------------------------------------------------------------
// Hatches

bool ParseHatch(const DxfChunk& chunk, DxfHatch& hatch) {
    hatch.pattern = chunk.Text(2);
    hatch.solid = chunk.Whole(70) & 1;
    const long long limit = static_cast<long long>(chunk.pairs.size());
    Cursor c(chunk.pairs);
    if (!c.Seek(91)) return false;
    const long long paths = c.Whole();
    if (paths < 0 || paths > limit) return false;
    auto point = [&c](Pt& p, int code) {
        if (c.Code() != code) return false;
        p.x = c.Real();
        if (c.Code() != code + 10) return false;
        p.y = c.Real();
        if (c.Code() == code + 20) c.Skip();
        return true;
    };
    for (long long p = 0; p < paths; ++p) {
        if (!c.Seek(92)) return false;
        HatchPath path;
        path.flags = static_cast<uint32_t>(c.Whole());
        if (path.Polyline()) {
            const bool bulged = c.Next(72, 0) != 0;
            path.closed = c.Next(73, 1) != 0;
            if (c.Code() != 93) return false;
            const long long count = c.Whole();
            if (count < 0 || count > limit) return false;
            for (long long k = 0; k < count; ++k) {
                Pt v;
                if (!point(v, 10)) return false;
                path.points.push_back(v);
                path.bulges.push_back(bulged ? c.Next(42, 0) : 0);
            }
        } else {
            if (c.Code() != 93) return false;
            const long long count = c.Whole();
            if (count < 0 || count > limit) return false;
            for (long long k = 0; k < count; ++k) {
                if (c.Code() != 72) return false;
                HatchEdge e;
                const long long kind = c.Whole();
                if (kind == HatchEdge::kLine) {
                    if (!point(e.a, 10) || !point(e.b, 11)) return false;
                } else if (kind == HatchEdge::kArc || kind == HatchEdge::kEllipse) {
                    e.kind = static_cast<HatchEdge::Kind>(kind);
                    if (!point(e.a, 10)) return false;
                    if (kind == HatchEdge::kEllipse && !point(e.b, 11)) return false;
                    e.radius = c.Next(40, 0);
                    e.start = c.Next(50, 0);
                    e.end = c.Next(51, 360);
                    e.counterClockwise = c.Next(73, 1) != 0;
                } else if (kind == HatchEdge::kSpline) {
                    e.kind = HatchEdge::kSpline;
                    // Control points only: the curve is drawn as its control polygon.
                    while (!c.AtEnd() && c.Code() != 72 && c.Code() != 97 && c.Code() != 92) {
                        Pt v;
                        if (c.Code() == 10 && point(v, 10)) e.controls.push_back(v);
                        else c.Skip();
                    }
                } else {
                    return false;
                }
                path.edges.push_back(std::move(e));
            }
        }
        hatch.paths.push_back(std::move(path));
    }
    if (c.Seek(76, {98})) hatch.patternType = static_cast<int>(c.Whole());
    if (!hatch.solid) {
        hatch.angle = chunk.Real(52, 0);
        hatch.scale = chunk.Real(41, 1);
        if (c.Seek(78, {98})) {
            const long long lines = c.Whole();
            if (lines < 0 || lines > limit) return false;
            for (long long i = 0; i < lines; ++i) {
                PatternLine line;
                if (c.Code() != 53) return false;
                line.angle = c.Real();
                line.base.x = c.Next(43, 0);
                line.base.y = c.Next(44, 0);
                line.offset.x = c.Next(45, 0);
                line.offset.y = c.Next(46, 0);
                const long long dashes = c.Code() == 79 ? c.Whole() : 0;
                if (dashes < 0 || dashes > limit) return false;
                for (long long k = 0; k < dashes; ++k) {
                    if (c.Code() != 49) return false;
                    line.dashes.push_back(c.Real());
                }
                hatch.lines.push_back(std::move(line));
            }
        }
    }
    return true;
}

std::vector<DxfGroup> HatchGroups(const DxfHatch& hatch) {
    std::vector<DxfGroup> g = {Text(100, "AcDbHatch"), RealGroup(10, 0), RealGroup(20, 0), RealGroup(30, 0),
                               RealGroup(210, 0), RealGroup(220, 0), RealGroup(230, 1),
                               Text(2, hatch.solid ? "SOLID" : hatch.pattern), Whole(70, hatch.solid ? 1 : 0),
                               Whole(71, 0), Whole(91, static_cast<long long>(hatch.paths.size()))};
    for (const HatchPath& path : hatch.paths) {
        g.push_back(Whole(92, path.flags));
        if (path.Polyline()) {
            bool bulged = std::any_of(path.bulges.begin(), path.bulges.end(), [](double b) { return b != 0; });
            g.push_back(Whole(72, bulged ? 1 : 0));
            g.push_back(Whole(73, path.closed ? 1 : 0));
            g.push_back(Whole(93, static_cast<long long>(path.points.size())));
            for (size_t i = 0; i < path.points.size(); ++i) {
                g.push_back(RealGroup(10, path.points[i].x));
                g.push_back(RealGroup(20, path.points[i].y));
                if (bulged) g.push_back(RealGroup(42, i < path.bulges.size() ? path.bulges[i] : 0));
            }
        } else {
            g.push_back(Whole(93, static_cast<long long>(path.edges.size())));
            for (const HatchEdge& e : path.edges) {
                g.push_back(Whole(72, e.kind));
                if (e.kind == HatchEdge::kLine) {
                    g.insert(g.end(), {RealGroup(10, e.a.x), RealGroup(20, e.a.y), RealGroup(11, e.b.x),
                                       RealGroup(21, e.b.y)});
                    continue;
                }
                g.push_back(RealGroup(10, e.a.x));
                g.push_back(RealGroup(20, e.a.y));
                if (e.kind == HatchEdge::kEllipse) {
                    g.push_back(RealGroup(11, e.b.x));
                    g.push_back(RealGroup(21, e.b.y));
                }
                g.insert(g.end(), {RealGroup(40, e.radius), RealGroup(50, e.start), RealGroup(51, e.end),
                                   Whole(73, e.counterClockwise ? 1 : 0)});
            }
        }
        g.push_back(Whole(97, 0));
    }
    g.push_back(Whole(75, 0));  // odd parity: paths inside paths are islands
    g.push_back(Whole(76, hatch.solid ? 1 : hatch.patternType));
    if (!hatch.solid) {
        g.insert(g.end(), {RealGroup(52, hatch.angle), RealGroup(41, hatch.scale), Whole(77, 0),
                           Whole(78, static_cast<long long>(hatch.lines.size()))});
        for (const PatternLine& line : hatch.lines) {
            g.insert(g.end(), {RealGroup(53, line.angle), RealGroup(43, line.base.x), RealGroup(44, line.base.y),
                               RealGroup(45, line.offset.x), RealGroup(46, line.offset.y),
                               Whole(79, static_cast<long long>(line.dashes.size()))});
            for (double dash : line.dashes) g.push_back(RealGroup(49, dash));
        }
    }
    g.push_back(Whole(98, 0));
    return g;
}

Record PathRecord(const HatchPath& path) {
    if (!path.Polyline() && path.edges.size() == 1 && FullTurn(path.edges[0])) {
        const HatchEdge& e = path.edges[0];
        if (e.kind == HatchEdge::kArc) return MakeCircle(e.a.x, e.a.y, e.radius);
        if (e.kind == HatchEdge::kEllipse && e.radius > 0 && e.radius <= 1)
            return MakeEllipse(e.a.x, e.a.y, e.b.x, e.b.y, e.radius);
    }
    std::vector<Pt> points;
    if (path.Polyline()) {
        const size_t n = path.points.size();
        for (size_t i = 0; i < n; ++i) {
            const double bulge = i < path.bulges.size() ? path.bulges[i] : 0;
            if (bulge == 0 || (i + 1 == n && !path.closed)) {
                points.push_back(path.points[i]);
                continue;
            }
            // An arc of angle 4 atan(bulge) to the next vertex, left of the chord for a
            // positive bulge; its end is the next vertex itself.
            const Pt a = path.points[i], b = path.points[(i + 1) % n];
            const double theta = 4 * std::atan(bulge), d = Norm(b - a);
            if (d == 0 || !std::isfinite(theta)) {
                points.push_back(a);
                continue;
            }
            const Pt centre = Lerp(a, b, 0.5) + Perp(b - a) * (1 / d) * ((d / 2) / std::tan(theta / 2));
            std::vector<Pt> arc;
            AddArcPoints(arc, centre, Norm(a - centre), std::atan2(a.y - centre.y, a.x - centre.x), theta);
            arc.pop_back();
            points.insert(points.end(), arc.begin(), arc.end());
        }
    } else {
        for (const HatchEdge& e : path.edges) {
            std::vector<Pt> piece;
            AddEdgePoints(piece, e);
            // Edges follow one another: the start of one is the end of the one before.
            if (!points.empty() && !piece.empty() && Norm(piece.front() - points.back()) < 1e-12) piece.erase(piece.begin());
            points.insert(points.end(), piece.begin(), piece.end());
        }
        if (points.size() > 2 && Norm(points.front() - points.back()) < 1e-12) points.pop_back();
    }
    if (points.size() > kMaxPathPoints) points.resize(kMaxPathPoints);
    return MakePath(points, true);
}

std::vector<Pt> OutlineCorners(const unsigned char* r) {
    const uint32_t n = L::LengthOf(r);
    std::vector<Pt> points;
    if (n < L::kHeaderSize) return points;
    auto point = [&](size_t offset) { return Pt{L::Get<double>(r, n, offset), L::Get<double>(r, n, offset + 8)}; };
    if (r[L::kType] == L::kPolygon || r[L::kType] == L::kPath) {
        const size_t count = L::Get<uint16_t>(r, n, L::kPolyCount);
        for (size_t i = 0; i < count && L::kPolyPoints + 16 * (i + 1) <= n; ++i) points.push_back(point(L::kPolyPoints + 16 * i));
    } else if (r[L::kType] == L::kWall) {
        if (n < L::kWallLength) return points;
        const Pt a = point(L::kWallStart), b = point(L::kWallEnd);
        const double half = L::Get<double>(r, n, L::kWallThickness) / 2, length = Norm(b - a);
        const Pt side = length > 0 ? Perp(b - a) * (half / length) : Pt{};
        points = {a + side, b + side, b - side, a - side};
    } else {
        std::vector<std::vector<Pt>> pieces = FlattenEntity(r);
        if (pieces.size() != 1) return points;
        points = std::move(pieces[0]);
    }
    if (points.size() > 2 && points.front().x == points.back().x && points.front().y == points.back().y) points.pop_back();
    return points;
}

// ---------------------------------------------------------------------------------------
// Fill styles <-> hatch patterns

std::vector<PatternLine> FillStyleLines(const unsigned char* entry) {
    std::vector<Family> families;
    float scale = 1;
    if (!entry || !ReadFamilies(entry, families, scale) || !(scale > 0)) return {};
    std::vector<PatternLine> lines;
    for (const Family& f : families) {
        PatternLine line;
        const double angle = f.angle;
        line.angle = angle / kDegree;
        // Stored origins are turned a quarter turn: (x, y) stands for the point (y, -x).
        line.base = Pt{f.oy, -f.ox} * scale;
        line.offset = Perp({std::cos(angle), std::sin(angle)}) * (static_cast<double>(f.spacing) * scale);
        for (float dash : f.dashes) line.dashes.push_back(static_cast<double>(dash) * scale);
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string FillStyleName(const unsigned char* entry) {
    const uint32_t length = L::LengthOf(entry);
    if (!entry || length <= kStyleName) return {};
    const char* name = reinterpret_cast<const char*>(entry + kStyleName);
    return std::string(name, strnlen(name, length - kStyleName));
}

double FillStyleScale(const unsigned char* entry) {
    std::vector<Family> families;
    float scale = 1;
    return entry && ReadFamilies(entry, families, scale) && scale > 0 && std::isfinite(scale) ? scale : 1.0;
}

int FillStyleKind(const unsigned char* entry) {
    return entry && L::LengthOf(entry) > kStyleKind ? entry[kStyleKind] : kFillNone;
}

int FillStyleIndex::Number(const DxfHatch& hatch) {
    std::vector<TableEntry> entries = TableEntries(tables_.fillStyles, kTableEntries);
    auto entryAt = [&](const TableEntry& e) { return tables_.fillStyles.data() + e.offset; };
    if (hatch.solid) {
        for (const TableEntry& e : entries)
            if (FillStyleKind(entryAt(e)) == kFillSolid) return EntryNumber(tables_.fillStyles, e);
        return 1;
    }
    std::vector<Family> wanted;
    for (const PatternLine& line : hatch.lines) FamiliesOfLine(line, wanted);
    if (wanted.empty() || wanted.size() > kMaxFamilies) {
        // No lines the host can draw: a pattern of the drawing by that name, else solid.
        if (unsigned char* entry = FindFillStyleByName(tables_, hatch.pattern)) return L::Get<uint16_t>(entry, L::LengthOf(entry), kEntryNumber);
        for (const TableEntry& e : entries)
            if (FillStyleKind(entryAt(e)) == kFillSolid) return EntryNumber(tables_.fillStyles, e);
        return 1;
    }
    auto same = [&](const std::string& name, const unsigned char* entry) {
        std::vector<Family> have;
        float scale = 1;
        return SameName(FillStyleName(entry), name) && ReadFamilies(entry, have, scale) && SameFamilies(wanted, have, scale);
    };
    int highest = 0;
    for (const TableEntry& e : entries) {
        highest = std::max(highest, EntryNumber(tables_.fillStyles, e));
        if (same(hatch.pattern, entryAt(e))) return EntryNumber(tables_.fillStyles, e);
    }
    for (const Added& a : added_) {
        highest = std::max(highest, a.number);
        std::vector<Family> have;
        for (const PatternLine& line : a.lines) FamiliesOfLine(line, have);
        if (SameName(a.name, hatch.pattern) && SameFamilies(wanted, have, 1)) return a.number;
    }
    if (highest + 1 > 65535) return 1;
    // A new name: the pattern's own, or with a number when the drawing has that name already.
    std::string name = hatch.pattern.empty() ? std::string("Pattern") : hatch.pattern;
    auto taken = [&](const std::string& n) {
        if (FindFillStyleByName(tables_, n)) return true;
        for (const Added& a : added_)
            if (SameName(a.name, n)) return true;
        return false;
    };
    std::string unique = name;
    for (int k = 2; taken(unique); ++k) unique = name + " (" + std::to_string(k) + ")";
    added_.push_back({highest + 1, unique, hatch.lines});
    return highest + 1;
}

void FillStyleIndex::Apply() const {
    std::vector<std::vector<unsigned char>> entries;
    for (const Added& a : added_) {
        std::vector<Family> families;
        for (const PatternLine& line : a.lines) FamiliesOfLine(line, families);
        std::vector<unsigned char> data;  // from entry byte 4
        Append<uint16_t>(data, static_cast<uint16_t>(a.number));
        data.push_back(kFillPattern);
        data.push_back(0);
        data.push_back(0);
        // The name and its terminator, padded to the next eight-byte boundary of the entry.
        const size_t nameAt = data.size();
        data.resize(nameAt + a.name.size() + 1, 0);
        if (!a.name.empty()) std::memcpy(data.data() + nameAt, a.name.data(), a.name.size());
        while ((data.size() + 4) % 8 != 0) data.push_back(0);
        data[kStylePatternOffset - 4] = static_cast<unsigned char>(std::min<size_t>(data.size() + 4, 255));
        if (data.size() + 4 > 255) continue;  // the offset is one byte: a name this long does not fit
        Append<double>(data, 2.0);
        Append<int32_t>(data, static_cast<int32_t>(families.size()));
        Append<float>(data, 1.0f);
        for (const Family& f : families) {
            for (float v : {f.angle, f.ox, f.oy, f.cycle, f.spacing}) Append<float>(data, v);
            Append<int32_t>(data, static_cast<int32_t>(f.dashes.size()));
            for (float dash : f.dashes) Append<float>(data, dash);
        }
        entries.push_back(std::move(data));
    }
    AppendEntries(tables_.fillStyles, entries);
}

// ---------------------------------------------------------------------------------------
// Host records in extended data

std::vector<DxfGroup> RecordGroups(const unsigned char* record, uint32_t length) {
    std::vector<DxfGroup> g = {Text(1001, kQuilletApp), Text(1000, "RECORD")};
    static const char kHex[] = "0123456789ABCDEF";
    for (uint32_t at = 0; at < length; at += kRecordChunk) {
        std::string hex;
        for (uint32_t i = at; i < std::min<uint32_t>(length, at + kRecordChunk); ++i) {
            hex += kHex[record[i] >> 4];
            hex += kHex[record[i] & 15];
        }
        g.push_back(Text(1004, hex));
    }
    return g;
}

Record RecordFromChunk(const DxfChunk& chunk) {
    std::vector<DxfPair> data = chunk.ExtendedData(kQuilletApp);
    if (data.empty() || data[0].code != 1000 || data[0].value != "RECORD") return {};
    Record record;
    for (size_t i = 1; i < data.size() && data[i].code == 1004; ++i) {
        const std::string& hex = data[i].value;
        if (hex.size() % 2 != 0) return {};
        for (size_t k = 0; k < hex.size(); k += 2) {
            const int high = HexDigit(hex[k]), low = HexDigit(hex[k + 1]);
            if (high < 0 || low < 0 || record.size() >= kMaxCarriedRecord) return {};
            record.push_back(static_cast<unsigned char>(high * 16 + low));
        }
    }
    if (record.size() < L::kHeaderSize || L::LengthOf(record.data()) != record.size()) return {};
    return record;
}

}  // namespace qlhost::io
