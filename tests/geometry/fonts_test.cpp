// Stroke font file, text metrics (LenText2, XCheckGText2) and the GDI glyph outlines.
#include <cstring>

#include "host/fonts/gdi.h"
#include "host/fonts/stroke_font.h"
#include "host/fonts/text_metrics.h"
#include "tests/geometry/geometry_test_util.h"

using namespace geometry_test;

namespace {

class Fonts : public GeometryTest {};

const MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};

double Fixed(const unsigned char* p) {
    int32_t v;
    std::memcpy(&v, p, 4);
    return v / 65536.0;
}

}  // namespace

TEST_F(Fonts, StrokeFontStepsDecodeAsDocumented) {
    std::vector<unsigned char> f(qlhost::kStrokeHeaderSize + 12, 0);
    f[0] = 2;
    f['A'] = 10;
    int16_t off = static_cast<int16_t>(qlhost::kStrokeHeaderSize), design = 10, base = 3;
    std::memcpy(f.data() + 256 + 2 * 'A', &off, 2);
    std::memcpy(f.data() + 768, &design, 2);
    std::memcpy(f.data() + 772, &base, 2);
    const unsigned char steps[] = {0x80 | 4, 9, 2, 3, 5, 0x80 | 5, 2, 192, 64, 255, 0};
    std::memcpy(f.data() + off, steps, sizeof steps);
    qlhost::StrokeFont font(f);
    ASSERT_TRUE(font.Valid());
    std::vector<qlhost::Stroke> s = font.Strokes('A');
    ASSERT_EQ(s.size(), 2u);
    EXPECT_FALSE(s[0].arc);
    EXPECT_EQ(s[0].a.y, 3);  // the pen starts at the base offset
    EXPECT_EQ(s[0].b.x, 4);
    EXPECT_EQ(s[0].b.y, 9);
    EXPECT_TRUE(s[1].arc);
    EXPECT_EQ(s[1].centre.x, 5);
    EXPECT_EQ(s[1].centre.y, 5);
    EXPECT_EQ(s[1].radius, 2);
    EXPECT_NEAR(s[1].start, 192 * qlhost::kStrokePi / 128, 1e-12);
    EXPECT_NEAR(s[1].sweep, 128 * qlhost::kStrokePi / 128, 1e-12);  // 64 - 192 + 256
    f[0] = 1;
    EXPECT_FALSE(qlhost::StrokeFont(f).Valid());
}

TEST_F(Fonts, LenText2OfAStrokeTextIsTheScaledAdvanceSum) {
    const qlhost::StrokeFont* font = qlhost::FindStrokeFont("Simplex");
    ASSERT_NE(font, nullptr);
    Record t = qlhost::MakeText(0, 0, 4.2, 0, 0, 0, "AB");
    double units = font->Advance('A') + font->Advance('B') + 2 * font->ExtraSpacing();
    EXPECT_NEAR(LenText2(t.data()), units * 4.2 / font->DesignHeight(), 1e-5);
    Record wide = qlhost::MakeText(0, 0, 4.2, 0, 0, 0, "AB");
    qlhost::layout::Put<float>(wide.data(), wide.size(), 87, 2.0f);
    EXPECT_NEAR(LenText2(wide.data()), LenText2(t.data()), 1e-9);
    Record lines = qlhost::MakeText(0, 0, 4.2, 0, 0, 0, "A\rAB\rB");
    EXPECT_NEAR(LenText2(lines.data()), LenText2(t.data()), 1e-9);
}

TEST_F(Fonts, LenText2OfATrueTypeTextFollowsTheWidthFactor) {
    Record t = qlhost::MakeText(0, 0, 10, 0, 0, 1, "Hello");
    Record wide = t;
    qlhost::layout::Put<float>(wide.data(), wide.size(), 87, 2.0f);
    double len = LenText2(t.data());
    EXPECT_GT(len, 10);
    EXPECT_LT(len, 60);
    EXPECT_NEAR(LenText2(wide.data()), 2 * len, 1e-9);
    Record bold = t;
    bold[101] = 0x10;
    EXPECT_GT(LenText2(bold.data()), len);
}

TEST_F(Fonts, TextBoxHonoursJustificationAndAngle) {
    Record t = qlhost::MakeText(10, 20, 2, 0, 0, 0, "ABC");
    double len = LenText2(t.data());
    double ll[2], ur[2];
    XCheckGText2(t.data() + 32, ll, ur);
    EXPECT_NEAR(ll[0], 10, 1e-9);
    EXPECT_NEAR(ll[1], 20, 1e-9);
    EXPECT_NEAR(ur[0], 10 + len, 1e-9);
    EXPECT_NEAR(ur[1], 22, 1e-6);
    t[103] = 5;  // middle right
    XCheckGText2(t.data() + 32, ll, ur);
    EXPECT_NEAR(ll[0], 10 - len, 1e-9);
    EXPECT_NEAR(ll[1], 19, 1e-6);
    EXPECT_NEAR(ur[0], 10, 1e-9);
    t[103] = 11;  // far bottom-left maps to bottom-left
    XCheckGText2(t.data() + 32, ll, ur);
    EXPECT_NEAR(ll[0], 10, 1e-9);
    t[103] = 0;
    qlhost::layout::Put<float>(t.data(), t.size(), 91, static_cast<float>(kPi / 2));
    XCheckGText2(t.data() + 32, ll, ur);
    EXPECT_NEAR(ll[0], 8, 1e-5);
    EXPECT_NEAR(ur[0], 10, 1e-5);
    EXPECT_NEAR(ur[1], 20 + len, 1e-5);
}

TEST_F(Fonts, GlyphOutlineOfAInDejaVuSansHasSaneRecords) {
    HDC dc = GetDC(GetMainWin());
    ASSERT_NE(dc, nullptr);
    HFONT font = CreateFontA(360, 140, 0, 0, 400, 0, 0, 0, 0, 7, 0, 0, 0x22, "DejaVu Sans");
    HGDIOBJ old = SelectObject(dc, font);
    ASSERT_NE(old, nullptr);
    GLYPHMETRICS gm;
    DWORD size = GetGlyphOutlineA(dc, 'A', GGO_NATIVE, &gm, 0, nullptr, &kIdentity);
    ASSERT_NE(size, GDI_ERROR);
    ASSERT_GT(size, 16u);
    std::vector<unsigned char> buf(size);
    EXPECT_EQ(GetGlyphOutlineA(dc, 'A', GGO_NATIVE, &gm, size - 1, buf.data(), &kIdentity), GDI_ERROR);
    ASSERT_EQ(GetGlyphOutlineA(dc, 'A', GGO_NATIVE, &gm, size, buf.data(), &kIdentity), size);
    EXPECT_GT(gm.gmCellIncX, 100);
    EXPECT_LT(gm.gmCellIncX, 300);
    EXPECT_EQ(gm.gmCellIncY, 0);
    size_t pos = 0;
    int polygons = 0;
    while (pos < size) {
        DWORD cb, type;
        std::memcpy(&cb, buf.data() + pos, 4);
        std::memcpy(&type, buf.data() + pos + 4, 4);
        ASSERT_EQ(type, static_cast<DWORD>(TT_POLYGON_TYPE));
        ASSERT_GE(cb, 16u);
        ASSERT_LE(pos + cb, size);
        double sx = Fixed(buf.data() + pos + 8), sy = Fixed(buf.data() + pos + 12);
        EXPECT_GE(sy, -1);
        EXPECT_LT(sy, 300);
        size_t rec = pos + 16;
        double lastX = sx, lastY = sy;
        WORD lastType = TT_PRIM_LINE;
        while (rec < pos + cb) {
            WORD wType, count;
            std::memcpy(&wType, buf.data() + rec, 2);
            std::memcpy(&count, buf.data() + rec + 2, 2);
            EXPECT_TRUE(wType == TT_PRIM_LINE || wType == TT_PRIM_QSPLINE);
            ASSERT_GT(count, 0);
            ASSERT_LE(rec + 4 + 8u * count, pos + cb);
            lastType = wType;
            lastX = Fixed(buf.data() + rec + 4 + 8 * (count - 1));
            lastY = Fixed(buf.data() + rec + 8 + 8 * (count - 1));
            rec += 4 + 8u * count;
        }
        // Contours close implicitly, as GDI gives them: the A is all lines, and its last line
        // ends one corner before the start rather than repeating it.
        EXPECT_EQ(lastType, TT_PRIM_LINE);
        EXPECT_FALSE(lastX == sx && lastY == sy);
        pos += cb;
        ++polygons;
    }
    EXPECT_EQ(polygons, 2);  // outer outline and the hole of the A
    EXPECT_EQ(GetGlyphOutlineA(dc, ' ', GGO_NATIVE, &gm, 0, nullptr, &kIdentity), 0u);
    EXPECT_GT(gm.gmCellIncX, 0);
    EXPECT_EQ(SelectObject(dc, old), font);
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_EQ(ReleaseDC(GetMainWin(), dc), 1);
}

// GDI closes contours implicitly: a contour ending in a line never repeats its start point,
// and one whose outline ends off the curve gets the start as the end of its last spline.
TEST_F(Fonts, GlyphContoursEndingInASplineEndAtTheirStart) {
    HDC dc = GetDC(GetMainWin());
    HFONT font = CreateFontA(360, 0, 0, 0, 400, 0, 0, 0, 0, 7, 0, 0, 0x22, "DejaVu Sans");
    HGDIOBJ old = SelectObject(dc, font);
    int splinesClosing = 0;
    for (const char c : {'O', 'D', 'S'}) {
        SCOPED_TRACE(std::string(1, c));
        GLYPHMETRICS gm;
        const DWORD size = GetGlyphOutlineA(dc, static_cast<UINT>(c), GGO_NATIVE, &gm, 0, nullptr, &kIdentity);
        ASSERT_NE(size, GDI_ERROR);
        std::vector<unsigned char> buf(size);
        ASSERT_EQ(GetGlyphOutlineA(dc, static_cast<UINT>(c), GGO_NATIVE, &gm, size, buf.data(), &kIdentity), size);
        for (size_t pos = 0; pos < size;) {
            DWORD cb;
            std::memcpy(&cb, buf.data() + pos, 4);
            ASSERT_GE(cb, 16u);
            const double sx = Fixed(buf.data() + pos + 8), sy = Fixed(buf.data() + pos + 12);
            WORD type = 0, count = 0;
            size_t last = 0;
            for (size_t rec = pos + 16; rec < pos + cb; rec += 4 + 8u * count) {
                std::memcpy(&type, buf.data() + rec, 2);
                std::memcpy(&count, buf.data() + rec + 2, 2);
                ASSERT_GT(count, 0);
                last = rec + 4 + 8u * (count - 1);
            }
            const bool atStart = Fixed(buf.data() + last) == sx && Fixed(buf.data() + last + 4) == sy;
            EXPECT_FALSE(atStart && type == TT_PRIM_LINE);
            if (atStart && type == TT_PRIM_QSPLINE) ++splinesClosing;
            pos += cb;
        }
    }
    EXPECT_GT(splinesClosing, 0);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(GetMainWin(), dc);
}

TEST_F(Fonts, GdiRefusesWhatIsNotLive) {
    size_t objects = qlhost::LiveGdiObjects(), dcs = qlhost::LiveDCs();
    GLYPHMETRICS gm;
    EXPECT_EQ(GetGlyphOutlineA(nullptr, 'A', GGO_NATIVE, &gm, 0, nullptr, &kIdentity), GDI_ERROR);
    HDC dc = GetDC(nullptr);
    EXPECT_EQ(GetGlyphOutlineA(dc, 'A', 1, &gm, 0, nullptr, &kIdentity), GDI_ERROR);
    EXPECT_EQ(GetGlyphOutlineA(dc, 'A', GGO_NATIVE, &gm, 0, nullptr, nullptr), GDI_ERROR);
    HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);
    EXPECT_NE(stock, nullptr);
    EXPECT_TRUE(DeleteObject(stock));
    EXPECT_EQ(GetStockObject(DEFAULT_GUI_FONT), stock);
    LOGFONTA lf{};
    lf.lfHeight = -20;
    lf.lfWeight = 700;
    std::memcpy(lf.lfFaceName, "NoSuchFace", 11);
    HFONT font = CreateFontIndirectA(&lf);
    SelectObject(dc, font);
    EXPECT_NE(GetGlyphOutlineA(dc, 'x', GGO_NATIVE, &gm, 0, nullptr, &kIdentity), GDI_ERROR);
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_FALSE(DeleteObject(font));
    EXPECT_EQ(SelectObject(dc, font), nullptr);
    EXPECT_EQ(ReleaseDC(nullptr, dc), 1);
    EXPECT_EQ(ReleaseDC(nullptr, dc), 0);
    EXPECT_EQ(qlhost::LiveGdiObjects(), objects);
    EXPECT_EQ(qlhost::LiveDCs(), dcs);
}
