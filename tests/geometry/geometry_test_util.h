// Sample entities of every curve kind and small helpers for the geometry tests.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/host_api.h"
#include "host/drawing/drawing.h"
#include "host/drawing/layouts.h"
#include "host/geometry/geometry.h"
#include "host/geometry/records.h"
#include "host/platform/system.h"
#include "host/protocol/loader.h"

namespace geometry_test {

using qlhost::Pt;
using qlhost::Record;

constexpr double kPi = 3.141592653589793;

struct Sample {
    std::string name;
    Record rec;
};

// One entity of every kind that has a length, at varied places and orientations.
inline std::vector<Sample> CurveSamples() {
    const std::vector<Pt> zig{{0, 0}, {4, 3}, {8, -1}, {12, 5}, {15, 2}};
    const std::vector<Pt> bez{{0, 0}, {2, 6}, {6, 6}, {8, 0}, {10, -6}, {14, -2}, {16, 1}};
    return {
        {"line", qlhost::MakeLine(-3, 1, 7, 4)},
        {"path", qlhost::MakePath(zig, false)},
        {"polygon", qlhost::MakePath({{0, 0}, {10, 0}, {12, 6}, {2, 8}}, true)},
        {"box", qlhost::MakeBox(1, 1, 6, 4)},
        {"circle", qlhost::MakeCircle(2, 3, 4)},
        {"arc", qlhost::MakeArc(-1, 2, 5, 0.3, 2.2)},
        {"ellipse", qlhost::MakeEllipse(1, 1, 6, 2, 0.4)},
        {"ellipse arc", qlhost::MakeEllipseArc(1, 1, -3, 4, 0.5, 1.0, 3.5)},
        {"curve polyline", qlhost::MakeCurve(26, 0, zig)},
        {"curve quadratic", qlhost::MakeCurve(26, 1, zig)},
        {"curve interpolating", qlhost::MakeCurve(26, 2, zig)},
        {"curve bezier", qlhost::MakeCurve(26, 3, bez)},
        {"closed curve polygon", qlhost::MakeCurve(27, 0, zig)},
        {"closed curve quadratic", qlhost::MakeCurve(27, 1, zig)},
        {"closed curve interpolating", qlhost::MakeCurve(27, 2, zig)},
        {"closed curve bezier", qlhost::MakeCurve(27, 3, bez)},
        {"bezier", qlhost::MakeBezier(bez)},
    };
}

inline EntRec* E(Record& r) { return r.data(); }

inline Pt PointAt(Record& r, double t) {
    double xy[2] = {NAN, NAN};
    EXPECT_TRUE(EGet(r.data(), 0, &t, xy));
    return {xy[0], xy[1]};
}

inline double ParamAt(Record& r, Pt p) {
    double xy[2] = {p.x, p.y}, t = NAN;
    EXPECT_TRUE(EGet(r.data(), 2, xy, &t));
    return t;
}

inline double Length(const EntRec* r) {
    double len = NAN;
    EXPECT_TRUE(EGet(const_cast<EntRec*>(r), 5, nullptr, &len));
    return len;
}

inline double D(const EntRec* r, size_t off) {
    return qlhost::layout::Get<double>(r, qlhost::layout::LengthOf(r), off);
}

inline float F(const EntRec* r, size_t off) {
    return qlhost::layout::Get<float>(r, qlhost::layout::LengthOf(r), off);
}

// Distance from p to the entity (through the host's own pick distance).
inline double DistanceTo(const EntRec* r, Pt p) {
    double d = INFINITY;
    EXPECT_TRUE(qlhost::DistanceTo(r, p, d));
    return d;
}

inline void HostMatrixOf(const qlhost::Matrix& m, double out[16]) {
    for (int i = 0; i < 16; ++i) out[i] = m.m[i];
}

// Fresh drawing, identity matrix and the build's host data folder (beside the test program).
class GeometryTest : public ::testing::Test {
protected:
    void SetUp() override {
        qlhost::TheDrawing().Reset();
        qlhost::ResetMatrixStack();
        qlhost::SetHostDataDir(qlhost::ExecutableDir() + "/hostdata");
    }
    void TearDown() override {
        qlhost::TheDrawing().Reset();
        qlhost::ResetMatrixStack();
    }
    DList* work = GetWorkDL();
};

}  // namespace geometry_test
