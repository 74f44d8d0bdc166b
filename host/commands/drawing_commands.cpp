// The host's shape commands: points, lines, paths, polygons, boxes, regular polygons,
// circles, arcs, ellipses, curves and walls, each a short chain of prompts.
#include <cmath>
#include <numbers>

#include "host/commands/commands.h"
#include "host/state/events.h"

namespace qlhost {
namespace {

constexpr int kFree = 4, kRubber = 5, kRubberBox = 6, kPlain = 1;
constexpr int kLeastSides = 3, kMostSides = 1024;
constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr const char* kNext = "Next point (Enter to end):";

void Draw(Record record) { AddDrawn(WorkList(), std::move(record)); }

// A closed polyline as the host stores a drawn one: the first point again at the end.
Record ClosedPolyline(std::vector<Pt> points) {
    points.push_back(points.front());
    return MakePath(points, true);
}

bool SidesInRange(const Answers& a) {
    const double sides = a.numbers.back();
    if (sides >= kLeastSides && sides <= kMostSides) return true;
    Transcript("RPOLY: the number of sides must lie between 3 and 1024");
    return false;
}

void RegularPolygon(const Answers& a) {
    const int sides = static_cast<int>(a.numbers[0]);
    const Pt centre = a.points[0];
    const double radius = Norm(a.points[1] - centre);
    if (radius == 0) return;
    const double first = std::atan2(a.points[1].y - centre.y, a.points[1].x - centre.x);
    std::vector<Pt> corners;
    for (int k = 0; k < sides; ++k) corners.push_back(Polar(centre, radius, first + kTwoPi * k / sides));
    Draw(ClosedPolyline(corners));
}

// The ellipse through a centre, a major axis end and a point at the other axis's distance.
bool EllipseAxes(const Answers& a, Pt& axis, double& ratio) {
    const Pt centre = a.points[0];
    axis = a.points[1] - centre;
    const double major = Norm(axis);
    if (major == 0) return false;
    const double minor = std::fabs(Cross(axis, a.points[2] - centre)) / major;
    if (minor == 0) return false;
    if (minor > major) {
        axis = Perp(axis) * (minor / major);
        ratio = major / minor;
    } else {
        ratio = minor / major;
    }
    return true;
}

double EllipseParameter(Pt centre, Pt axis, double ratio, Pt p) {
    const double length = Norm(axis);
    const Pt u = axis * (1 / length);
    const Pt d = p - centre;
    const double t = std::atan2(Dot(d, Perp(u)) / (ratio * length), Dot(d, u));
    return t < 0 ? t + kTwoPi : t;
}

void Ellipse(const Answers& a) {
    Pt axis;
    double ratio;
    if (EllipseAxes(a, axis, ratio)) Draw(MakeEllipse(a.points[0].x, a.points[0].y, axis.x, axis.y, ratio));
}

void EllipseArc(const Answers& a) {
    Pt axis;
    double ratio;
    if (!EllipseAxes(a, axis, ratio)) return;
    const double start = EllipseParameter(a.points[0], axis, ratio, a.points[3]);
    double sweep = EllipseParameter(a.points[0], axis, ratio, a.points[4]) - start;
    if (sweep <= 0) sweep += kTwoPi;
    Draw(MakeEllipseArc(a.points[0].x, a.points[0].y, axis.x, axis.y, ratio, start, sweep));
}

void ThreePointArc(const Answers& a) {
    Pt centre;
    double radius, start, sweep;
    if (ArcThrough(a.points[0], a.points[1], a.points[2], centre, radius, start, sweep))
        Draw(MakeArc(centre.x, centre.y, radius, start, sweep));
}

template <int Type, int Subtype>
void Curve(const Answers& a) {
    Draw(MakeCurve(Type, Subtype, a.points));
}

}  // namespace

const std::vector<CommandDef>& ShapeCommands() {
    static const std::vector<CommandDef> commands = {
        {"POINT", {{Ask::kPoint, "Point:", kFree}}, nullptr, 0,
         [](const Answers& a) { Draw(MakePoint(a.points[0].x, a.points[0].y)); }},
        // Each segment is drawn as its end is given; the next one starts there, until Enter.
        {"LINE", {{Ask::kPoint, "Start point:", kFree}, {Ask::kPoint, "End point:", kRubber}}, kNext, 0, nullptr,
         [](const Answers& a) {
             const Pt from = a.points[a.points.size() - 2], to = a.points.back();
             Draw(MakeLine(from.x, from.y, to.x, to.y));
         }},
        {"PATH", {{Ask::kPoint, "First point:", kFree}}, kNext, 2,
         [](const Answers& a) { Draw(MakePath(a.points, false)); }},
        {"POLY", {{Ask::kPoint, "First point:", kFree}}, kNext, 3,
         [](const Answers& a) { Draw(ClosedPolyline(a.points)); }},
        {"BOX", {{Ask::kPoint, "First corner:", kFree}, {Ask::kPoint, "Opposite corner:", kRubberBox}}, nullptr, 0,
         [](const Answers& a) { Draw(MakeBox(a.points[0].x, a.points[0].y, a.points[1].x, a.points[1].y)); }},
        {"RPOLY",
         {{Ask::kWhole, "Number of sides:", kPlain, SidesInRange},
          {Ask::kPoint, "Centre:", kFree},
          {Ask::kPoint, "Corner point:", kRubber}},
         nullptr, 0, RegularPolygon},
        {"CIRP", {{Ask::kPoint, "Centre:", kFree}, {Ask::kPoint, "Point on circle:", kRubber}}, nullptr, 0,
         [](const Answers& a) {
             const double r = Norm(a.points[1] - a.points[0]);
             if (r > 0) Draw(MakeCircle(a.points[0].x, a.points[0].y, r));
         }},
        {"ARCB",
         {{Ask::kPoint, "Start point:", kFree}, {Ask::kPoint, "Point on arc:", kRubber},
          {Ask::kPoint, "End point:", kRubber}},
         nullptr, 0, ThreePointArc},
        {"ELIPP",
         {{Ask::kPoint, "Centre:", kFree}, {Ask::kPoint, "Axis end point:", kRubber},
          {Ask::kPoint, "Other axis point:", kRubber}},
         nullptr, 0, Ellipse},
        {"ELIPA",
         {{Ask::kPoint, "Centre:", kFree}, {Ask::kPoint, "Axis end point:", kRubber},
          {Ask::kPoint, "Other axis point:", kRubber}, {Ask::kPoint, "Start point:", kRubber},
          {Ask::kPoint, "End point:", kRubber}},
         nullptr, 0, EllipseArc},
        {"SPLINE", {{Ask::kPoint, "First point:", kFree}}, kNext, 3, Curve<26, 1>},
        {"PSPLINE", {{Ask::kPoint, "First point:", kFree}}, kNext, 2, Curve<26, 2>},
        {"SPOLY", {{Ask::kPoint, "First point:", kFree}}, kNext, 3, Curve<27, 1>},
        {"PSPOLY", {{Ask::kPoint, "First point:", kFree}}, kNext, 3, Curve<27, 2>},
        {"BEZ", {{Ask::kPoint, "First point:", kFree}}, kNext, 4,
         [](const Answers& a) { Draw(MakeBezier(a.points)); }},
        {"WALL",
         {{Ask::kPoint, "Start point:", kFree}, {Ask::kPoint, "End point:", kRubber},
          {Ask::kDistance, "Wall thickness:", kPlain}},
         nullptr, 0,
         [](const Answers& a) {
             Draw(MakeWall(a.points[0].x, a.points[0].y, a.points[1].x, a.points[1].y, a.numbers[0]));
         }},
    };
    return commands;
}

}  // namespace qlhost
