// Our regular hatch against ezdxf's hatching on small cases: holes, a concave outline, a
// star, boxes sharing walls, the simple pattern at 0, 45 and 90 degrees with an origin, and
// PAT patterns (two of the FreeCAD file, a dashed and a dotted one) at a scale and angle.
// Each case needs the same total length and the same lines, up to the allowances of
// tests/hatch/ezdxf_match.h. Skipped when /usr/bin/python3 cannot import ezdxf.
#include "ezdxf_compare.h"

#include <sstream>
#include <utility>

#include "ezdxf_match.h"
#include "hatch_test_util.h"

namespace {

using ezdxfcompare::BoxLoop;
using ezdxfcompare::Case;
using ezdxfcompare::Match;
using ezdxfcompare::Segment;
using hatchtest::DataFile;
using hatchtest::ReadText;

// Line ends closer than this (drawing units, for cases up to 100 across) are the same end.
constexpr double kEndTolerance = 1e-6;
// Total lengths agree to this relative difference.
constexpr double kLengthTolerance = 1e-9;
// Our dash cycle is a single-precision number (the scaled sum of single-precision dashes),
// ezdxf's a double: our dashes drift from theirs by up to this fraction of their distance
// from the pattern origin, which also moves the cut ends of dashed lines (measured: 2.6e-8
// of the total length on the dashed case).
constexpr double kCycleDrift = 2.5e-7;
constexpr double kDashedLengthTolerance = 1e-7;

const char kFreeCad[] = "pat/freecad-common-0.20.2_FCPAT.pat";
const char kQuirks[] = "pat/quirks.pat";

std::string Describe(const std::vector<Segment>& pieces) {
    std::ostringstream text;
    text.precision(17);
    for (size_t i = 0; i < pieces.size() && i < 5; ++i) {
        const Segment& s = pieces[i];
        text << "\n  (" << s.x1 << ", " << s.y1 << ") - (" << s.x2 << ", " << s.y2 << ")";
    }
    return text.str();
}

class EzdxfCompareTest : public hatchtest::HatchHostTest {
protected:
    void SetUp() override {
        HatchHostTest::SetUp();
        if (!ezdxfcompare::EzdxfAvailable()) {
            GTEST_SKIP() << "ezdxf is not importable by /usr/bin/python3 (Debian package "
                            "python3-ezdxf): the comparison with ezdxf was not run";
        }
    }

    // Hatches the case both ways and checks total length and lines; the match for the
    // case's own expectations about the allowances used.
    Match Compare(const Case& c) {
        const ezdxfcompare::EzdxfResult theirs =
            ezdxfcompare::RunEzdxf(c, QL_SOURCE_DIR, ql_test::ProcessTempDir().string());
        EXPECT_TRUE(theirs.ok) << c.name << ": " << theirs.error;
        if (!theirs.ok) return {};
        ours_ = ezdxfcompare::RunOurs(c);
        theirs_ = theirs.lines;
        const bool dashed = ezdxfcompare::HasDashes(c);
        const double tolerance =
            kEndTolerance + (dashed ? kCycleDrift * ezdxfcompare::Reach(c) : 0);
        EXPECT_FALSE(ours_.dashes.empty() && ours_.dots.empty()) << c.name;
        EXPECT_NEAR(ours_.total, theirs.totalLength,
                    (dashed ? kDashedLengthTolerance : kLengthTolerance) * theirs.totalLength)
            << c.name;
        Match m = ezdxfcompare::MatchLines(ours_.dashes, theirs_.dashes, c.loops, tolerance);
        ExpectAllMatched(c, m, "lines");
        dots_ = ezdxfcompare::MatchDots(ours_.dots, theirs_.dots, c.loops, tolerance);
        ExpectAllMatched(c, dots_, "dots");
        const std::string key = c.name + "_";
        RecordProperty(key + "lines", static_cast<int>(ours_.dashes.size()));
        RecordProperty(key + "matched", static_cast<int>(m.matched));
        RecordProperty(key + "rematched", static_cast<int>(m.rematched));
        RecordProperty(key + "joined_ours", static_cast<int>(m.joinedOurs));
        RecordProperty(key + "joined_ezdxf", static_cast<int>(m.joinedTheirs));
        RecordProperty(key + "slivers", static_cast<int>(m.slivers));
        RecordProperty(key + "along_edges", static_cast<int>(m.alongEdges));
        RecordProperty(key + "dots", static_cast<int>(dots_.matched));
        RecordProperty(key + "dots_on_boundary", static_cast<int>(dots_.slivers));
        if (theirs.totalLength > 0) {
            char difference[32];
            std::snprintf(difference, sizeof difference, "%.3g",
                          (ours_.total - theirs.totalLength) / theirs.totalLength);
            RecordProperty(key + "length_difference", difference);
        }
        return m;
    }

    static void ExpectAllMatched(const Case& c, const Match& m, const char* what) {
        EXPECT_TRUE(m.onlyOurs.empty()) << c.name << ": " << m.onlyOurs.size() << " of our " << what
                                        << " not drawn by ezdxf" << Describe(m.onlyOurs);
        EXPECT_TRUE(m.onlyTheirs.empty()) << c.name << ": " << m.onlyTheirs.size() << " of ezdxf's "
                                          << what << " not drawn by us" << Describe(m.onlyTheirs);
    }

    static Case Simple(const char* name, std::vector<std::vector<qlhost::Pt>> loops, double angle,
                       double spacing, qlhost::Pt origin) {
        Case c;
        c.name = name;
        c.loops = std::move(loops);
        c.angle = angle;
        c.spacing = spacing;
        c.origin = origin;
        return c;
    }

    static Case Pat(const char* name, std::vector<std::vector<qlhost::Pt>> loops, const char* file,
                    const char* header, double scale, double degrees) {
        Case c;
        c.name = name;
        c.loops = std::move(loops);
        c.patText = ReadText(DataFile(file));
        c.patName = header;
        c.scale = scale;
        c.rotateDegrees = degrees;
        return c;
    }

    static std::vector<std::vector<qlhost::Pt>> SquareWithHole() {
        return {BoxLoop(0, 0, 40, 40), BoxLoop(12, 12, 28, 28)};
    }
    // A U with a notched floor: reflex corners, lines crossing it up to six times.
    static std::vector<std::vector<qlhost::Pt>> Concave() {
        return {{{0, 0},
                 {13, 0},
                 {15, 3.5},
                 {17, 0},
                 {30, 0},
                 {30, 20},
                 {22, 20},
                 {22, 6},
                 {8, 6},
                 {8, 20},
                 {0, 20}}};
    }
    static std::vector<std::vector<qlhost::Pt>> TouchingBoxes() {
        return {BoxLoop(0, 0, 10, 10), BoxLoop(10, 0, 20, 10), BoxLoop(0, 10, 20, 15)};
    }
    static std::vector<std::vector<qlhost::Pt>> Star() {
        return {ezdxfcompare::StarLoop(200, 20, 12)};
    }

    ezdxfcompare::Lines ours_;
    ezdxfcompare::Lines theirs_;
    Match dots_;  // the dots of the last case
};

TEST_F(EzdxfCompareTest, SquareWithAHoleAndAConcaveOutlineMatchExactly) {
    const Match ring =
        Compare(Simple("ring", SquareWithHole(), kQuarterTurn / 2, 0.2, {0.03, 0.07}));
    EXPECT_GT(ring.matched, 300u);
    EXPECT_EQ(ring.joinedOurs + ring.joinedTheirs + ring.slivers + ring.alongEdges, 0u);
    const Match concave = Compare(Simple("concave", Concave(), 0.5236, 0.25, {1.1, -0.4}));
    EXPECT_GT(concave.matched, 100u);
    EXPECT_EQ(concave.joinedOurs + concave.joinedTheirs + concave.slivers + concave.alongEdges, 0u);
}

TEST_F(EzdxfCompareTest, StarMatchesWithTouchingPiecesJoined) {
    const Match star = Compare(Simple("star", Star(), kQuarterTurn / 2, 0.1, {0, 0}));
    EXPECT_GT(star.matched, 500u);
    EXPECT_LE(star.joinedOurs + star.joinedTheirs + star.slivers + star.alongEdges, 2u);
}

TEST_F(EzdxfCompareTest, BoxesSharingWallsAtZeroFortyFiveAndNinetyDegrees) {
    const std::pair<const char*, double> angles[] = {
        {"walls0", 0.0}, {"walls45", kQuarterTurn / 2}, {"walls90", kQuarterTurn}};
    for (const auto& [name, angle] : angles) {
        const Match m = Compare(Simple(name, TouchingBoxes(), angle, 0.5, {0.25, 0.1}));
        EXPECT_GE(m.matched + m.rematched, 30u) << angle;
        // Lines across the wall between the lower boxes and the upper one are drawn by us
        // in two pieces meeting on the wall, which ezdxf joins.
        EXPECT_GT(m.joinedOurs, 0u) << angle;
    }
}

TEST_F(EzdxfCompareTest, LinesRunningAlongTheWalls) {
    // Vertical lines through every wall: both draw the shared wall once; of the outer walls
    // we draw the left one (our crossing rule), ezdxf the right one.
    const Match m = Compare(Simple("onwalls", TouchingBoxes(), kQuarterTurn, 0.5, {0, 0}));
    EXPECT_EQ(m.alongEdges, 2u);
}

TEST_F(EzdxfCompareTest, FreeCadPatternsAtAScaleAndAngle) {
    Compare(Pat("square", Concave(), kFreeCad, "Square, square grid, Solid, 5.0 mm separation ",
                0.2, 30));
    Compare(Pat("diamond", Star(), kFreeCad,
                "Diamond, 45 diagonals L & R, Solid, 1.0 mm separation", 0.5, 15));
}

TEST_F(EzdxfCompareTest, DashedPatternWithNegativeDeltaY) {
    const Match m =
        Compare(Pat("negdy", SquareWithHole(), kQuirks, "NEGDY, negative delta y", 2, 10));
    EXPECT_GT(m.matched, 1000u);
    EXPECT_EQ(m.joinedOurs + m.joinedTheirs + m.slivers + m.alongEdges, 0u);
}

TEST_F(EzdxfCompareTest, DottedPatternDrawsTheSameDots) {
    Compare(Pat("dots", Concave(), kQuirks, "DOTS, dots between gaps", 1.5, 35));
    EXPECT_TRUE(ours_.dashes.empty());
    EXPECT_GT(dots_.matched, 500u);
}

}  // namespace
