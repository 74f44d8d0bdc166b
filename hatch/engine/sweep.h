// The pure family sweep of the fill engine: the families of parallel lines in hatch space,
// their limits, and the sweep that pairs a line's crossings and cuts the pairs into dashes.
// No host calls: crossings come in through a source, the pieces drawn go out through a sink.
//
// Hatch space is the drawing rotated by (quarter turn - family angle): a family's lines are
// vertical there, at x = origin x + k * spacing, with their dash phase at origin y + k *
// stagger.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// A family is refused with a warning when it would need more hatch lines than this, or when
// its pieces (every dash of every cycle of every line, counted before sweeping) would
// overrun what is left of the hatch's piece budget; such scales, spacings and dash lists
// are input mistakes that would otherwise keep the host busy for hours and fill its memory.
// The budget covers all families of one fill, so a pattern of many fine families cannot add
// up past it. Fuzzing builds use a smaller budget so that each input stays quick.
constexpr double kMaxHatchLines = 200000;
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
constexpr double kMaxHatchPieces = 50000;
#else
constexpr double kMaxHatchPieces = 1000000;
#endif

// One set of parallel lines, in hatch space. The scale applies to spacing, stagger, cycle
// length and dashes.
struct HatchFamily {
    double angle = 0;
    double origin[2] = {0, 0};
    double spacing = 0;
    double stagger = 0;
    int16_t lineStyle = 0;
    float cycleLength = 0;
    std::vector<float> dashes;  // empty: continuous lines; negative gap, 0 dot
    double scale = 1.0;
};

enum class FillOutcome {
    kDrawn,     // the family was swept (possibly drawing nothing)
    kRefused,   // spacing or dash cycle unusable: nothing drawn
    kTooDense,  // over the line or dash cycle limits: nothing drawn
};

struct SweepBounds {
    double xMin = 0;
    double xMax = 0;
    double yMin = 0;
    double yMax = 0;
};
using CrossingSource = std::function<void(double x, std::vector<double>& crossings)>;
using LineSink = std::function<void(double x, double yFrom, double yTo)>;

// What is left of the pieces one fill may still draw; each family takes its worst case
// (lines x dash cycles x dashes per cycle) from it before it is swept.
struct PieceBudget {
    double left = kMaxHatchPieces;
};

// Sweeps the family's lines over the bounds: for each line asks for its crossings, pairs
// them bottom up (even-odd) and emits the pairs, cut into dashes when the family has them.
// Without a budget the family has the whole budget to itself.
FillOutcome SweepFamily(const HatchFamily& family, const SweepBounds& bounds,
                        const CrossingSource& crossings, const LineSink& emit,
                        PieceBudget* budget = nullptr);
