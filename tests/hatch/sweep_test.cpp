// The family sweep on synthetic crossings: line placement, even-odd pairs, dashes, and the
// families that are refused.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "hatch/engine/sweep.h"

namespace {

struct Piece {
    double x, y1, y2;
};

struct Swept {
    FillOutcome outcome;
    std::vector<Piece> pieces;
    int lines = 0;
};

// Sweeps a family against fixed crossings (the same on every line).
Swept Sweep(const HatchFamily& family, const SweepBounds& bounds, std::vector<double> crossings) {
    Swept run;
    run.outcome = SweepFamily(
        family, bounds,
        [&](double, std::vector<double>& found) {
            ++run.lines;
            found.insert(found.end(), crossings.begin(), crossings.end());
        },
        [&](double x, double y1, double y2) {
            run.pieces.push_back({x, y1, y2});
        });
    return run;
}

HatchFamily Continuous(double x0, double spacing) {
    HatchFamily family;
    family.origin[0] = x0;
    family.spacing = spacing;
    return family;
}

HatchFamily Dashed(std::vector<float> dashes, double y0 = 0, double scale = 1) {
    HatchFamily family = Continuous(0, 1);
    family.origin[1] = y0;
    family.dashes = dashes;
    for (float d : dashes) family.cycleLength += std::fabs(d);
    family.scale = scale;
    return family;
}

TEST(Sweep, LinesStartAtTheFirstFamilyLineInsideTheExtent) {
    const SweepBounds bounds{0.25, 2.25, 0, 1};
    Swept run = Sweep(Continuous(-1e6 + 0.5, 0.5), bounds, {0, 1});
    ASSERT_EQ(run.outcome, FillOutcome::kDrawn);
    ASSERT_EQ(run.pieces.size(), 4u);
    EXPECT_DOUBLE_EQ(run.pieces.front().x, 0.5);
    EXPECT_DOUBLE_EQ(run.pieces.back().x, 2.0);
    // A line exactly on either edge is swept.
    Swept edges = Sweep(Continuous(1e9, 0.25), bounds, {0, 1});
    EXPECT_EQ(edges.lines, 9);
}

TEST(Sweep, PairsBottomUpAndOddCrossingsDrawCompletePairsOnly) {
    const SweepBounds bounds{0, 0, 0, 10};
    Swept run = Sweep(Continuous(0, 1), bounds, {5, 1, 9, 3, 7});
    ASSERT_EQ(run.pieces.size(), 2u);
    EXPECT_EQ(run.pieces[0].y1, 1);
    EXPECT_EQ(run.pieces[0].y2, 3);
    EXPECT_EQ(run.pieces[1].y1, 5);
    EXPECT_EQ(run.pieces[1].y2, 7);
    // A wall shared by two rooms is crossed twice: both rooms are drawn.
    Swept shared = Sweep(Continuous(0, 1), bounds, {1, 4, 4, 6});
    ASSERT_EQ(shared.pieces.size(), 2u);
    EXPECT_EQ(shared.pieces[0].y2, 4);
    EXPECT_EQ(shared.pieces[1].y1, 4);
    // A corner touching the line outside the area draws no zero-length piece.
    Swept touch = Sweep(Continuous(0, 1), bounds, {1, 2, 4, 4, 6, 7});
    ASSERT_EQ(touch.pieces.size(), 2u);
    EXPECT_EQ(touch.pieces[1].y1, 6);
}

TEST(Sweep, RefusesUnusableSpacings) {
    const SweepBounds bounds{0, 10, 0, 10};
    for (double spacing : {0.0, -1.0, std::nan(""), double(INFINITY)}) {
        Swept run = Sweep(Continuous(0, spacing), bounds, {0, 10});
        EXPECT_EQ(run.outcome, FillOutcome::kRefused) << spacing;
        EXPECT_EQ(run.lines, 0);
    }
    HatchFamily scaledAway = Continuous(0, 1);
    scaledAway.scale = 0;
    EXPECT_EQ(Sweep(scaledAway, bounds, {0, 10}).outcome, FillOutcome::kRefused);
}

TEST(Sweep, TooManyLinesOrDashCyclesAreRefusedBeforeSweeping) {
    const SweepBounds bounds{0, 1000, 0, 1000};
    Swept lines = Sweep(Continuous(0, 1e-6), bounds, {0, 1000});
    EXPECT_EQ(lines.outcome, FillOutcome::kTooDense);
    EXPECT_EQ(lines.lines, 0);
    Swept many = Sweep(Continuous(0, 1000 / (kMaxHatchLines - 1)), bounds, {0, 1});
    EXPECT_EQ(many.outcome, FillOutcome::kDrawn);
    HatchFamily fine = Dashed({0.001f, -0.001f});
    fine.spacing = 10;
    Swept dashes = Sweep(fine, bounds, {0, 1000});
    EXPECT_EQ(dashes.outcome, FillOutcome::kTooDense);
    EXPECT_EQ(dashes.lines, 0);
}

// The worst case counts every dash of a cycle, and the families of one fill share one
// budget: a pattern of many fine families cannot add up to millions of pieces.
TEST(Sweep, DashPiecesOfAllFamiliesOfOneFillShareTheBudget) {
    const SweepBounds bounds{0, 99, 0, 100};
    // 100 lines x 101 cycles of one dash: about a hundredth of the budget, drawn.
    HatchFamily single = Dashed({0.5f, -0.5f});
    EXPECT_EQ(Sweep(single, bounds, {0, 100}).outcome, FillOutcome::kDrawn);
    // The same cycle cut into so many dashes that the pieces overrun the budget.
    const size_t perCycle = static_cast<size_t>(kMaxHatchPieces / (100 * 101)) + 1;
    std::vector<float> many;
    for (size_t k = 0; k < perCycle; ++k) {
        many.push_back(0.5f / static_cast<float>(perCycle));
        many.push_back(-0.5f / static_cast<float>(perCycle));
    }
    Swept crowded = Sweep(Dashed(many), bounds, {0, 100});
    EXPECT_EQ(crowded.outcome, FillOutcome::kTooDense);
    EXPECT_EQ(crowded.lines, 0);

    // Families that each fit, taken from one budget: the one that would overrun it is
    // refused whole and the budget keeps what it had.
    const size_t fitting = static_cast<size_t>(kMaxHatchPieces / (100 * 101 * 4));
    PieceBudget budget;
    int drawn = 0;
    int refused = 0;
    for (size_t k = 0; k <= fitting; ++k) {
        const double before = budget.left;
        const FillOutcome outcome = SweepFamily(
            Dashed({0.25f, -0.25f, 0.25f, -0.25f}), bounds,
            [](double, std::vector<double>& found) { found.insert(found.end(), {0.0, 100.0}); },
            [](double, double, double) {}, &budget);
        if (outcome == FillOutcome::kDrawn) ++drawn;
        if (outcome == FillOutcome::kTooDense) {
            ++refused;
            EXPECT_EQ(budget.left, before);
        }
    }
    EXPECT_EQ(drawn, static_cast<int>(fitting));
    EXPECT_EQ(refused, 1);
    EXPECT_GE(budget.left, 0);
}

TEST(Sweep, DashesAreCutAtBothCrossingsAndGapsNeverDrawn) {
    // Dash 1, gap 1 from y = 0: the pair 0.5..4.5 gets 0.5..1, 2..3, 4..4.5.
    Swept run = Sweep(Dashed({1, -1}), SweepBounds{0, 0, 0, 10}, {0.5, 4.5});
    ASSERT_EQ(run.pieces.size(), 3u);
    EXPECT_DOUBLE_EQ(run.pieces[0].y1, 0.5);
    EXPECT_DOUBLE_EQ(run.pieces[0].y2, 1);
    EXPECT_DOUBLE_EQ(run.pieces[1].y1, 2);
    EXPECT_DOUBLE_EQ(run.pieces[1].y2, 3);
    EXPECT_DOUBLE_EQ(run.pieces[2].y1, 4);
    EXPECT_DOUBLE_EQ(run.pieces[2].y2, 4.5);
}

TEST(Sweep, DashListStartingWithAGapAndDotsStrictlyInside) {
    // Gap 0.5, dot, gap 0.5, dash 1 (scaled by 2): cycle 4 from y = 0.
    Swept run = Sweep(Dashed({-0.5f, 0, -0.5f, 1}, 0, 2), SweepBounds{0, 0, -10, 10}, {1, 7});
    ASSERT_EQ(run.pieces.size(), 3u);
    EXPECT_DOUBLE_EQ(run.pieces[0].y1, 2);  // dash 2..4
    EXPECT_DOUBLE_EQ(run.pieces[0].y2, 4);
    EXPECT_DOUBLE_EQ(run.pieces[1].y1, 5);  // dot at 5
    EXPECT_DOUBLE_EQ(run.pieces[1].y2, 5);
    EXPECT_DOUBLE_EQ(run.pieces[2].y1, 6);  // dash 6..8 cut at 7
    EXPECT_DOUBLE_EQ(run.pieces[2].y2, 7);
    // A dot exactly on the lower crossing is not drawn.
    Swept onEdge = Sweep(Dashed({-0.5f, 0, -0.5f, 1}, 0, 2), SweepBounds{0, 0, -10, 10}, {1, 1.5});
    EXPECT_TRUE(onEdge.pieces.empty());
}

TEST(Sweep, StaggerShiftsTheDashPhaseFromLineToLine) {
    HatchFamily family = Dashed({1, -3});
    family.stagger = 1;
    Swept run = Sweep(family, SweepBounds{0, 3, 0, 4}, {0, 4});
    ASSERT_EQ(run.pieces.size(), 4u);
    for (int k = 0; k < 4; ++k) {
        EXPECT_DOUBLE_EQ(run.pieces[k].x, k);
        EXPECT_DOUBLE_EQ(run.pieces[k].y1, k);
        EXPECT_DOUBLE_EQ(run.pieces[k].y2, k + 1);
    }
}

TEST(Sweep, PhaseFarFromTheAreaIsPlacedByArithmetic) {
    // Dashes from -3e9 + 0.25 every 2 units: within 0..3 they are 0.25..1.25 and 2.25..3.
    HatchFamily family = Dashed({1, -1}, -3e9 + 0.25);
    Swept run = Sweep(family, SweepBounds{0, 0, 0, 10}, {0, 3});
    ASSERT_EQ(run.pieces.size(), 2u);
    EXPECT_NEAR(run.pieces[0].y1, 0.25, 1e-6);
    EXPECT_NEAR(run.pieces[0].y2, 1.25, 1e-6);
    EXPECT_NEAR(run.pieces[1].y1, 2.25, 1e-6);
    EXPECT_NEAR(run.pieces[1].y2, 3, 1e-6);
}

TEST(Sweep, DotOnlyAndVanishingCyclesDrawNothing) {
    const SweepBounds bounds{0, 10, 0, 10};
    EXPECT_EQ(Sweep(Dashed({0, 0}), bounds, {0, 10}).outcome, FillOutcome::kRefused);
    Swept tiny =
        Sweep(Dashed({1e-30f, -1e-30f}), SweepBounds{0, 10, 1e6, 1e6 + 10}, {1e6, 1e6 + 10});
    EXPECT_EQ(tiny.outcome, FillOutcome::kRefused);
    EXPECT_TRUE(tiny.pieces.empty());
}

}  // namespace
