// The host's annotation commands: symbol references by name, dimensions in the current
// dimension style, and lines, paths, arcs and splines with arrowheads (path containers).
#include <cmath>
#include <cstring>
#include <numbers>

#include "host/commands/commands.h"
#include "host/drawing/layouts.h"
#include "host/drawing/tables.h"
#include "host/geometry/geometry.h"
#include "host/state/events.h"

namespace qlhost {
namespace {

using namespace layout;

constexpr int kFree = 4, kRubber = 5;
constexpr const char* kNext = "Next point (Enter to end):";
constexpr uint32_t kArrowStart = 1, kArrowEnd = 2;

// ---------------------------------------------------------------------------------------
// SYMBOL

Node* FindReference(HostList& list, uint32_t handle) {
    for (Node* node = list.head; node != nullptr; node = node->next) {
        if (node->deleted()) continue;
        if (node->type() == kSymbolRef && Get<uint32_t>(node->record(), node->length(), kSymHandle) == handle)
            return node;
        if (node->children != nullptr)
            if (Node* found = FindReference(*node->children, handle)) return found;
    }
    return nullptr;
}

bool SymbolKnown(const Answers& a) {
    if (FindSymbolDefinitionByName(a.text) != 0) return true;
    Transcript("SYMBOL: no symbol named \"" + a.text + "\"");
    return false;
}

// A new reference at the insertion point, with the members of a reference already placed.
void Symbol(const Answers& a) {
    const uint32_t handle = FindSymbolDefinitionByName(a.text);
    const Pt at = a.points[0];
    Node* source = FindReference(*WorkList(), handle);
    Node* reference = AddDrawn(WorkList(), MakeSymbolRef(handle, at.x, at.y, 0, 1, a.text));
    if (reference == nullptr || source == nullptr || source->children == nullptr) return;
    HostList* members = reference->owner->Children(reference);
    for (Node* member = source->children->head; member != nullptr; member = member->next)
        if (!member->deleted()) members->AppendCopy(member);
}

// ---------------------------------------------------------------------------------------
// Dimensions

Record Dimension(int type, uint32_t length) {
    Record r = MakeHeader(type, length);
    Tables& tables = TheDrawing().tables;
    const unsigned char* entry = CurrentEntry(tables.dimStyles, kTableEntries);
    uint32_t entryLength = 0;
    if (entry != nullptr) std::memcpy(&entryLength, entry, sizeof entryLength);
    if (entry != nullptr && entryLength >= 4 + layout::kDimStyleSize)
        std::memcpy(r.data() + kDimStyle, entry + 4, layout::kDimStyleSize);
    return r;
}

void PutPt(Record& r, size_t offset, Pt p) {
    Put<double>(r.data(), r.size(), offset, p.x);
    Put<double>(r.data(), r.size(), offset + 8, p.y);
}

template <uint8_t Flags>
void Linear(const Answers& a) {
    const Pt p1 = a.points[0], p2 = a.points[1], line = a.points[2];
    const double length = Norm(p2 - p1);
    if (length == 0) return;
    const Pt normal = Perp(p2 - p1) * (1 / length);
    Record r = Dimension(kDimLinear, kDim28Length);
    PutPt(r, kDim28P1, p1);
    PutPt(r, kDim28P2, p2);
    PutPt(r, kDim28Line, line);
    PutPt(r, kDim28Text, Lerp(p1, p2, 0.5) + normal * Dot(line - p1, normal));
    Put<uint8_t>(r.data(), r.size(), kDim28Flags, Flags);
    AddDrawn(WorkList(), std::move(r));
}

template <uint8_t Flags>
void Angular(const Answers& a) {
    Record r = Dimension(kDimAngular, kDim29Length);
    PutPt(r, kDim29Vertex, a.points[0]);
    PutPt(r, kDim29P1, a.points[1]);
    PutPt(r, kDim29P2, a.points[2]);
    PutPt(r, kDim29Arc, a.points[3]);
    PutPt(r, kDim29Text, a.points[3]);
    Put<uint8_t>(r.data(), r.size(), kDim29Flags, Flags);
    AddDrawn(WorkList(), std::move(r));
}

void ArcDimension(const Answers& a) {
    const Pt centre = a.points[0];
    const double radius = Norm(a.points[1] - centre), distance = Norm(a.points[3] - centre);
    if (radius == 0 || distance == 0) return;
    const double twoPi = 2 * std::numbers::pi;
    double start = std::atan2(a.points[1].y - centre.y, a.points[1].x - centre.x);
    if (start < 0) start += twoPi;
    double sweep = std::fmod(std::atan2(a.points[2].y - centre.y, a.points[2].x - centre.x) - start + 2 * twoPi, twoPi);
    if (sweep == 0) return;
    Record style = Dimension(kDimArc, kDim30Length);
    AddDrawn(WorkList(), MakeArcDimension(style.data() + kDimStyle, centre, radius, start, sweep, distance, distance,
                                          Polar(centre, distance, start + sweep / 2)));
}

void Radial(const Answers& a) {
    Record r = Dimension(kDimRadial, kDim31Length);
    PutPt(r, kDim31Centre, a.points[0]);
    PutPt(r, kDim31Point, a.points[1]);
    PutPt(r, kDim31Text, a.points[2]);
    AddDrawn(WorkList(), std::move(r));
}

// ---------------------------------------------------------------------------------------
// Path containers: the arrowhead settings come from the attribute settings at 201.

void WithArrows(uint32_t flags, Record member) {
    Record container = MakeContainer(kPathContainer, flags);
    CopyCurrentArrowheads(TheDrawing().tables, container.data() + kHeaderSize);
    Node* node = AddDrawn(WorkList(), std::move(container));
    if (node != nullptr) AddDrawn(node->owner->Children(node), std::move(member));
}

template <uint32_t Flags>
void LineArrows(const Answers& a) {
    WithArrows(Flags, MakeLine(a.points[0].x, a.points[0].y, a.points[1].x, a.points[1].y));
}

template <uint32_t Flags>
void PathArrows(const Answers& a) {
    WithArrows(Flags, MakePath(a.points, false));
}

template <uint32_t Flags>
void SplineArrows(const Answers& a) {
    WithArrows(Flags, MakeCurve(kCurve, 1, a.points));
}

template <uint32_t Flags>
void ArcArrows(const Answers& a) {
    Pt centre;
    double radius, start, sweep;
    if (ArcThrough(a.points[0], a.points[1], a.points[2], centre, radius, start, sweep))
        WithArrows(Flags, MakeArc(centre.x, centre.y, radius, start, sweep));
}

const std::vector<Step> kTwoPoints = {{Ask::kPoint, "Start point:", kFree}, {Ask::kPoint, "End point:", kRubber}};
const std::vector<Step> kArcPoints = {{Ask::kPoint, "Start point:", kFree},
                                      {Ask::kPoint, "Point on arc:", kRubber},
                                      {Ask::kPoint, "End point:", kRubber}};
const std::vector<Step> kFirstPoint = {{Ask::kPoint, "First point:", kFree}};

}  // namespace

const std::vector<CommandDef>& AnnotationCommands() {
    static const std::vector<Step> linear = {{Ask::kPoint, "First point:", kFree},
                                             {Ask::kPoint, "Second point:", kRubber},
                                             {Ask::kPoint, "Dimension line location:", kRubber}};
    static const std::vector<Step> angular = {{Ask::kPoint, "Vertex:", kFree},
                                              {Ask::kPoint, "Point on first leg:", kRubber},
                                              {Ask::kPoint, "Point on second leg:", kRubber},
                                              {Ask::kPoint, "Arc location:", kRubber}};
    static const std::vector<CommandDef> commands = {
        {"SYMBOL", {{Ask::kText, "Symbol name:", 1, SymbolKnown}, {Ask::kPoint, "Insertion point:", kFree}}, nullptr, 0,
         Symbol},
        {"DIML", linear, nullptr, 0, Linear<0>},
        {"DIMP", linear, nullptr, 0, Linear<1>},
        {"DIMD", angular, nullptr, 0, Angular<0>},
        {"DIMR", angular, nullptr, 0, Angular<2>},
        {"DIMAQ",
         {{Ask::kPoint, "Arc centre:", kFree}, {Ask::kPoint, "Start point:", kRubber},
          {Ask::kPoint, "End point:", kRubber}, {Ask::kPoint, "Dimension location:", kRubber}},
         nullptr, 0, ArcDimension},
        {"DIMO",
         {{Ask::kPoint, "Centre:", kFree}, {Ask::kPoint, "Point on circle:", kRubber},
          {Ask::kPoint, "Text position:", kRubber}},
         nullptr, 0, Radial},
        {"LINEA", kTwoPoints, nullptr, 0, LineArrows<kArrowEnd>},
        {"LINEDA", kTwoPoints, nullptr, 0, LineArrows<kArrowStart | kArrowEnd>},
        {"PATHA", kFirstPoint, kNext, 2, PathArrows<kArrowEnd>},
        {"PATHDA", kFirstPoint, kNext, 2, PathArrows<kArrowStart | kArrowEnd>},
        {"ARCA", kArcPoints, nullptr, 0, ArcArrows<kArrowEnd>},
        {"ARCAS", kArcPoints, nullptr, 0, ArcArrows<kArrowStart>},
        {"ARCDA", kArcPoints, nullptr, 0, ArcArrows<kArrowStart | kArrowEnd>},
        {"SPLINEA", kFirstPoint, kNext, 3, SplineArrows<kArrowEnd>},
        {"SPLINEDA", kFirstPoint, kNext, 3, SplineArrows<kArrowStart | kArrowEnd>},
    };
    return commands;
}

}  // namespace qlhost
