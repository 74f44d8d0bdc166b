// The two font readers of the text explode: stroke font files (header checks, step decoding,
// every read bounded by the loaded size) and native glyph outline buffers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "text/explode.h"

namespace {

constexpr double kPi = 3.14159265;

// A stroke font file built in memory: header, then the step lists appended one by one.
struct StrokeFile {
    std::vector<unsigned char> bytes = std::vector<unsigned char>(kStrokeHeaderSize, 0);

    StrokeFile(int design, int base, int spacing = 0) {
        bytes[0] = kStrokeFormat;
        Put16(kStrokeDesignHeight, design);
        Put16(kStrokeBaseOffset, base);
        Put16(kStrokeSpacing, spacing);
    }
    void Put16(size_t at, int value) { PutI16(bytes.data(), at, static_cast<int16_t>(value)); }
    void Glyph(unsigned char c, int advance, const std::vector<unsigned char>& steps) {
        bytes[c] = static_cast<unsigned char>(advance);
        Put16(kStrokeOffsets + 2 * size_t{c}, static_cast<int>(bytes.size()));
        bytes.insert(bytes.end(), steps.begin(), steps.end());
    }
    StrokeFontFile View() const { return StrokeFontFile(bytes.data(), bytes.size()); }
};

// A native outline buffer built in memory.
struct OutlineBuffer {
    std::vector<unsigned char> bytes;
    size_t polygon = 0;

    void Put32(uint32_t v) {
        unsigned char b[4];
        std::memcpy(b, &v, 4);
        bytes.insert(bytes.end(), b, b + 4);
    }
    void PutFixed(double v) { Put32(static_cast<uint32_t>(static_cast<int32_t>(std::lround(v * 65536)))); }
    void Polygon(double x, double y) {
        polygon = bytes.size();
        Put32(0);
        Put32(TT_POLYGON_TYPE);
        PutFixed(x);
        PutFixed(y);
        EndPolygon();
    }
    void Curve(int type, const std::vector<double>& points) {
        const uint32_t head = static_cast<uint32_t>(type) | static_cast<uint32_t>(points.size() / 2) << 16;
        Put32(head);
        for (double v : points) PutFixed(v);
        EndPolygon();
    }
    void EndPolygon() { PutU32(bytes.data(), polygon, static_cast<uint32_t>(bytes.size() - polygon)); }
    bool Read(std::vector<OutlinePolygon>& polygons) const {
        return ReadGlyphOutline(bytes.data(), bytes.size(), polygons);
    }
};

TEST(StrokeFontFile, UsableOnlyWithItsWholeHeaderTheFormatMarkerAndAPositiveDesignHeight) {
    StrokeFile font(21, 9);
    EXPECT_TRUE(font.View().Usable());
    EXPECT_FALSE(StrokeFontFile(font.bytes.data(), kStrokeHeaderSize - 1).Usable());
    EXPECT_FALSE(StrokeFontFile(nullptr, 0).Usable());
    font.bytes[0] = 3;
    EXPECT_FALSE(font.View().Usable());
    font.bytes[0] = kStrokeFormat;
    font.Put16(kStrokeDesignHeight, 0);
    EXPECT_FALSE(font.View().Usable());
    font.Put16(kStrokeDesignHeight, -21);
    EXPECT_FALSE(font.View().Usable());
}

TEST(StrokeFontFile, StepsDecodeIntoLinesAndArcsFromThePen) {
    StrokeFile font(10, 3, 2);
    // Line to (4, 9); move to (2, 3); arc centre (5, 5) radius 2 from 192 to 64 (wrapping);
    // line from the arc's centre to (7, 5); end.
    font.Glyph('A', -5, {0x84, 9, 2, 3, 5, 0x85, 0x82, 192, 64, 0x87, 5, 255});
    const StrokeFontFile view = font.View();
    EXPECT_EQ(view.Advance('A'), -5);
    EXPECT_EQ(view.BaseOffset(), 3);
    EXPECT_EQ(view.ExtraSpacing(), 2);
    std::vector<StrokePiece> pieces;
    ASSERT_TRUE(view.Character('A', pieces));
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_FALSE(pieces[0].arc);
    EXPECT_EQ(pieces[0].a[0], 0);
    EXPECT_EQ(pieces[0].a[1], 3);  // the pen starts at the base offset
    EXPECT_EQ(pieces[0].b[0], 4);
    EXPECT_EQ(pieces[0].b[1], 9);
    EXPECT_TRUE(pieces[1].arc);
    EXPECT_EQ(pieces[1].a[0], 5);
    EXPECT_EQ(pieces[1].a[1], 5);
    EXPECT_EQ(pieces[1].radius, 2);  // the radius byte's high bit is dropped
    EXPECT_DOUBLE_EQ(pieces[1].start, 192 * kPi / 128);
    EXPECT_DOUBLE_EQ(pieces[1].sweep, 128 * kPi / 128);
    EXPECT_FALSE(pieces[2].arc);
    EXPECT_EQ(pieces[2].a[0], 5);
    EXPECT_EQ(pieces[2].a[1], 5);
    EXPECT_EQ(pieces[2].b[0], 7);
}

TEST(StrokeFontFile, ACharacterWithoutStepsHasNoPieces) {
    StrokeFile font(21, 9);
    font.Glyph(' ', 12, {255});
    std::vector<StrokePiece> pieces(1);
    EXPECT_TRUE(font.View().Character(' ', pieces));
    EXPECT_TRUE(pieces.empty());
}

TEST(StrokeFontFile, DataRunningOffTheFileIsRefusedWholeForThatCharacter) {
    StrokeFile font(21, 9);
    font.Glyph('a', 10, {0x81, 2, 255});
    font.Glyph('b', 10, {0x81, 2, 0x83, 4});  // no end marker
    std::vector<StrokePiece> pieces;
    EXPECT_FALSE(font.View().Character('b', pieces));
    EXPECT_TRUE(pieces.empty());
    EXPECT_TRUE(font.View().Character('a', pieces));
    EXPECT_EQ(pieces.size(), 1u);

    // An arc whose three further bytes are cut off, and a step cut after its first byte.
    StrokeFile arc(21, 9);
    arc.Glyph('c', 10, {0x81, 2, 5, 0x85, 3, 0});
    EXPECT_FALSE(arc.View().Character('c', pieces));
    StrokeFile half(21, 9);
    half.Glyph('d', 10, {0x81});
    EXPECT_FALSE(half.View().Character('d', pieces));

    // Offsets before the file start or past its end.
    StrokeFile offsets(21, 9);
    offsets.Put16(kStrokeOffsets + 2 * 'e', -2);
    offsets.Put16(kStrokeOffsets + 2 * 'f', 30000);
    EXPECT_FALSE(offsets.View().Character('e', pieces));
    EXPECT_FALSE(offsets.View().Character('f', pieces));
}

TEST(GlyphOutline, PolygonsAndTheirCurveRecordsAreRead) {
    OutlineBuffer buffer;
    buffer.Polygon(1, 2);
    buffer.Curve(TT_PRIM_LINE, {3, 2, 3, 4.5});
    buffer.Curve(TT_PRIM_QSPLINE, {2, 5, 1, 2});
    buffer.Polygon(-0.5, 0.25);
    buffer.Curve(TT_PRIM_LINE, {-1.75, 0.25});
    std::vector<OutlinePolygon> polygons;
    ASSERT_TRUE(buffer.Read(polygons));
    ASSERT_EQ(polygons.size(), 2u);
    EXPECT_EQ(polygons[0].start[0], 1);
    EXPECT_EQ(polygons[0].start[1], 2);
    ASSERT_EQ(polygons[0].curves.size(), 2u);
    EXPECT_FALSE(polygons[0].curves[0].quadratic);
    EXPECT_EQ(polygons[0].curves[0].points, (std::vector<double>{3, 2, 3, 4.5}));
    EXPECT_TRUE(polygons[0].curves[1].quadratic);
    EXPECT_EQ(polygons[0].curves[1].points, (std::vector<double>{2, 5, 1, 2}));
    // Negative 16.16 values: integer part -1 with fraction 0.5 is -0.5.
    EXPECT_EQ(polygons[1].start[0], -0.5);
    EXPECT_EQ(polygons[1].curves[0].points, (std::vector<double>{-1.75, 0.25}));
    // Any type other than a quadratic spline is read as straight.
    OutlineBuffer cubic;
    cubic.Polygon(0, 0);
    cubic.Curve(TT_PRIM_CSPLINE, {1, 1, 2, 0, 3, 1});
    ASSERT_TRUE(cubic.Read(polygons));
    EXPECT_FALSE(polygons[0].curves[0].quadratic);
}

TEST(GlyphOutline, InconsistentBuffersAreRefusedWhole) {
    OutlineBuffer good;
    good.Polygon(0, 0);
    good.Curve(TT_PRIM_LINE, {1, 0, 1, 1});
    std::vector<OutlinePolygon> polygons;
    ASSERT_TRUE(good.Read(polygons));

    auto refused = [&](std::vector<unsigned char> bytes) {
        polygons.assign(1, OutlinePolygon{});
        const bool read = ReadGlyphOutline(bytes.data(), bytes.size(), polygons);
        return !read && polygons.empty();
    };
    std::vector<unsigned char> b = good.bytes;
    PutU32(b.data(), 0, 12);  // shorter than its own header
    EXPECT_TRUE(refused(b));
    b = good.bytes;
    PutU32(b.data(), 0, static_cast<uint32_t>(b.size() + 8));  // longer than the buffer
    EXPECT_TRUE(refused(b));
    b = good.bytes;
    PutU32(b.data(), 4, 25);  // not a polygon header
    EXPECT_TRUE(refused(b));
    b = good.bytes;
    PutU16(b.data(), 18, 0);  // a record without points
    EXPECT_TRUE(refused(b));
    b = good.bytes;
    PutU16(b.data(), 18, 3);  // more points than the polygon holds
    EXPECT_TRUE(refused(b));
    b = good.bytes;
    b.insert(b.end(), {0, 0});  // bytes after the last polygon
    EXPECT_TRUE(refused(b));
    b = good.bytes;
    b.insert(b.end(), {1, 0});
    PutU32(b.data(), 0, static_cast<uint32_t>(b.size()));  // a record cut inside its header
    EXPECT_TRUE(refused(b));
}

}  // namespace
