// The geometric check of every pattern of every PAT file in tests/data/pat: hatched on a
// square with a square hole, every line lies in the ring, and every continuous family
// draws a total length within 1 % of area / spacing.
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "hatch_test_util.h"

namespace {

using hatchtest::HatchHostTest;
using hatchtest::Segment;

constexpr double kRingTolerance = 1e-9;  // relative to the square's side
constexpr double kLengthTolerance = 0.01;

struct Ring {
    double side;
    double hole1() const { return 0.3 * side; }
    double hole2() const { return 0.7 * side; }
    double Area() const { return side * side - 0.16 * side * side; }
    bool Contains(double x, double y) const {
        const double tol = kRingTolerance * side;
        const bool inOuter = x >= -tol && x <= side + tol && y >= -tol && y <= side + tol;
        const bool inHole =
            x > hole1() + tol && x < hole2() - tol && y > hole1() + tol && y < hole2() - tol;
        return inOuter && !inHole;
    }
};

std::vector<std::string> PatFiles() {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(hatchtest::DataFile("pat"))) {
        if (entry.path().extension() == ".pat") files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

class PatternGeometryTest : public HatchHostTest {
protected:
    void Square(const Ring& ring) {
        qlhost::TheDrawing().Reset();
        Add(qlhost::MakeBox(0, 0, ring.side, ring.side));
        Add(qlhost::MakeBox(ring.hole1(), ring.hole1(), ring.hole2(), ring.hole2()));
    }

    std::vector<Segment> HatchText(const std::string& text, const char* name, const Ring& ring) {
        ReleaseHatchBorder(border_);
        if (target_ != nullptr) ReleaseList(target_);
        target_ = nullptr;
        Square(ring);
        ThePatLibrary().Parse(text.c_str());
        HatchRun run = PatRun(name);
        Hatch(run);
        return Lines();
    }
};

TEST_F(PatternGeometryTest, EveryPatternStaysInTheRing) {
    int patterns = 0;
    for (const std::string& file : PatFiles()) {
        const std::string text = hatchtest::ReadText(file);
        PatLibrary library;
        library.Parse(text.c_str());
        for (size_t i = 0; i < library.Size(); ++i) {
            const PatPattern& pattern = library.At(i);
            double widest = 0;
            for (const PatFamily& f : pattern.families)
                widest = std::max(widest, std::fabs(f.deltaY));
            const Ring ring{20 * std::max(widest, 0.05)};
            const std::vector<Segment> lines = HatchText(text, pattern.name, ring);
            if (!pattern.families.empty()) {
                EXPECT_FALSE(lines.empty()) << file << ": " << pattern.name;
            }
            for (const Segment& s : lines) {
                for (int k = 0; k <= 8; ++k) {
                    const double x = s.x1 + (s.x2 - s.x1) * k / 8, y = s.y1 + (s.y2 - s.y1) * k / 8;
                    ASSERT_TRUE(ring.Contains(x, y))
                        << file << ": " << pattern.name << " at " << x << ", " << y;
                }
            }
            ++patterns;
        }
    }
    EXPECT_GE(patterns, 23);
}

TEST_F(PatternGeometryTest, ContinuousFamiliesCoverTheAreaAtTheirSpacing) {
    int families = 0;
    for (const std::string& file : PatFiles()) {
        PatLibrary library;
        library.Parse(hatchtest::ReadText(file).c_str());
        for (size_t i = 0; i < library.Size(); ++i) {
            for (const PatFamily& f : library.At(i).families) {
                if (!f.dashes.empty()) continue;
                char text[256];
                std::snprintf(text, sizeof text, "*ONE\n%.17g,%.17g,%.17g,%.17g,%.17g\n",
                              f.angle * 180 / 3.14159265, f.originX, f.originY, f.deltaX, f.deltaY);
                const Ring ring{400 * std::fabs(f.deltaY)};
                const double expected = ring.Area() / std::fabs(f.deltaY);
                const double total = TotalLength(HatchText(text, "ONE", ring));
                EXPECT_NEAR(total, expected, kLengthTolerance * expected)
                    << file << ": " << library.At(i).name;
                ++families;
            }
        }
    }
    EXPECT_GT(families, 15);
}

}  // namespace
