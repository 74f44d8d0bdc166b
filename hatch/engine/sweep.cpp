// The family sweep: the lines of a family over the bounds, their crossings paired and cut
// into dashes.
#include "hatch/engine/sweep.h"

#include <algorithm>
#include <cmath>

#include "hatch/engine/crossings.h"

namespace {

// Cuts the pair lo..hi of the line at x into the family's dashes. The dashes repeat every
// cycle from the line's phase; the first cycle drawn starts at or below lo.
void EmitDashes(const HatchFamily& family, double cycle, double phase, double x, double lo,
                double hi, const LineSink& emit) {
    double start = phase + cycle * std::floor((lo - phase) / cycle);
    if (start > lo) start -= cycle;
    if (start + cycle <= lo) start += cycle;
    for (double m = 0;; ++m) {
        double at = start + m * cycle;
        if (at >= hi) return;
        for (const float dash : family.dashes) {
            if (at >= hi) break;
            const double length = dash * family.scale;
            if (length >= 0 && at + length > lo)
                emit(x, std::max(at, lo), std::min(at + length, hi));
            at += std::fabs(length);
        }
    }
}

}  // namespace

FillOutcome SweepFamily(const HatchFamily& family, const SweepBounds& bounds,
                        const CrossingSource& crossings, const LineSink& emit,
                        PieceBudget* budget) {
    const double spacing = family.spacing * family.scale;
    const double stagger = family.stagger * family.scale;
    const double x0 = family.origin[0];
    const double y0 = family.origin[1];
    if (!(spacing > 0) || !std::isfinite(spacing) || !std::isfinite(stagger) ||
        !std::isfinite(x0) || !std::isfinite(y0)) {
        return FillOutcome::kRefused;
    }
    if (!(bounds.xMin <= bounds.xMax) || !(bounds.yMin <= bounds.yMax) ||
        !std::isfinite(bounds.xMin) || !std::isfinite(bounds.xMax) || !std::isfinite(bounds.yMin) ||
        !std::isfinite(bounds.yMax)) {
        return FillOutcome::kRefused;
    }
    // The first line is the first of the family at or right of x-min.
    double first = std::ceil((bounds.xMin - x0) / spacing);
    if (x0 + first * spacing < bounds.xMin) first += 1;
    if (x0 + (first - 1) * spacing >= bounds.xMin) first -= 1;
    const double lines = std::floor((bounds.xMax - (x0 + first * spacing)) / spacing) + 1;
    if (!std::isfinite(first) || !std::isfinite(lines)) return FillOutcome::kRefused;
    if (lines > kMaxHatchLines) return FillOutcome::kTooDense;

    const bool dashed = !family.dashes.empty();
    const double cycle = static_cast<float>(family.cycleLength * family.scale);
    double pieces = lines;
    if (dashed) {
        const double magnitude = std::max(std::fabs(bounds.yMin), std::fabs(bounds.yMax));
        if (!(cycle > 0) || !std::isfinite(cycle) || magnitude + cycle == magnitude)
            return FillOutcome::kRefused;
        pieces = lines * ((bounds.yMax - bounds.yMin) / cycle + 1) *
                 static_cast<double>(family.dashes.size());
    }
    PieceBudget own;
    PieceBudget& left = budget != nullptr ? *budget : own;
    if (!(pieces <= left.left)) return FillOutcome::kTooDense;
    left.left -= pieces;

    std::vector<double> found;
    for (double i = 0; i < lines; ++i) {
        const double k = first + i;
        const double x = x0 + k * spacing;
        if (x > bounds.xMax) break;
        found.clear();
        crossings(x, found);
        SortCrossings(found);
        for (size_t j = 0; j + 1 < found.size(); j += 2) {
            const double lo = found[j];
            const double hi = found[j + 1];
            if (!(hi > lo)) continue;
            if (dashed) {
                EmitDashes(family, cycle, std::fmod(y0 + k * stagger, cycle), x, lo, hi, emit);
            } else {
                emit(x, lo, hi);
            }
        }
    }
    return FillOutcome::kDrawn;
}
