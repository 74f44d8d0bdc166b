// The outline decoder shared by the scan-line pieces and the blocking tests: what each record
// kind gives, in which order, and what short or unknown records give.
#include "hatch/engine/outline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;

// One call of the decoder: 'S' segment (x1 y1 x2 y2) or 'A' arc (cx cy r start sweep closed).
struct Call {
    char kind;
    std::vector<double> values;
    bool operator==(const Call& other) const = default;
};

std::string Describe(const std::vector<Call>& calls) {
    std::string text;
    for (const Call& call : calls) {
        text += call.kind;
        for (double v : call.values) {
            text += ' ';
            text += std::to_string(v);
        }
        text += "; ";
    }
    return text;
}

std::vector<Call> Decode(const RecordBuffer& record, bool& known) {
    std::vector<Call> calls;
    known = DecodeOutline(
        record.data(),
        [&](const double* p, const double* q) { calls.push_back({'S', {p[0], p[1], q[0], q[1]}}); },
        [&](const double* c, double r, double start, double sweep, bool closed) {
            calls.push_back({'A', {c[0], c[1], r, start, sweep, closed ? 1.0 : 0.0}});
        });
    return calls;
}

RecordBuffer Shortened(RecordBuffer record, uint32_t by) {
    record.Resize(record.size() - by);
    return record;
}

// A polygon whose vertex count claims more vertices than the record holds.
RecordBuffer Overcounted(std::vector<double> points, uint16_t claimed) {
    RecordBuffer record = BuildPolygon(points.data(), points.size() / 2);
    PutU16(record.data(), kPolyCount, claimed);
    return record;
}

TEST(Outline, EachRecordKindGivesItsSegmentsAndArcsInOrder) {
    const double a[2] = {1, 2}, b[2] = {4, 6}, centre[2] = {-3, 5};
    const std::vector<double> tri = {0, 0, 4, 0, 4, 3};
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double degenerate[2] = {nan, 7};
    const struct {
        const char* name;
        RecordBuffer record;
        bool known;
        std::vector<Call> calls;
    } cases[] = {
        {"line", BuildLine(a, b), true, {{'S', {1, 2, 4, 6}}}},
        {"zero-length line passed as stored", BuildLine(a, a), true, {{'S', {1, 2, 1, 2}}}},
        {"path in vertex order", BuildPath(tri.data(), 3), true,
         {{'S', {0, 0, 4, 0}}, {'S', {4, 0, 4, 3}}}},
        {"polygon: closing segment first", BuildPolygon(tri.data(), 3), true,
         {{'S', {4, 3, 0, 0}}, {'S', {0, 0, 4, 0}}, {'S', {4, 0, 4, 3}}}},
        {"polygon of one vertex", BuildPolygon(tri.data(), 1), true, {}},
        {"vertex count cut at the record's length", Overcounted(tri, 60), true,
         {{'S', {4, 3, 0, 0}}, {'S', {0, 0, 4, 0}}, {'S', {4, 0, 4, 3}}}},
        {"circle: closed full turn", BuildCircle(centre, 2), true,
         {{'A', {-3, 5, 2, 0, 2 * kPi, 1}}}},
        {"arc as stored", BuildArc(centre, 2, 1.5, -0.75), true, {{'A', {-3, 5, 2, 1.5, -0.75, 0}}}},
        {"short line", Shortened(BuildLine(a, b), 1), true, {}},
        {"short circle", Shortened(BuildCircle(centre, 2), 1), true, {}},
        {"short arc", Shortened(BuildArc(centre, 2, 0, 1), 1), true, {}},
        {"short polygon header", RecordBuffer(ET_POLYGON, kPolyVertices - 1), true, {}},
        {"group left to the host", BuildGroup(), false, {}},
        {"text left to the host", BuildTextAt(0, 0, 1, 0, 0, 0, "x"), false, {}},
    };
    for (const auto& c : cases) {
        bool known = !c.known;
        const std::vector<Call> calls = Decode(c.record, known);
        EXPECT_EQ(known, c.known) << c.name;
        EXPECT_EQ(calls, c.calls) << c.name << ": " << Describe(calls);
    }
    // Non-finite values are passed on too; the users drop them.
    bool known = false;
    const std::vector<Call> calls = Decode(BuildLine(degenerate, b), known);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(std::isnan(calls[0].values[0]));
}

}  // namespace
