// Preview frames through the painters, EDrawM and preview controls, their SVG pictures,
// and the screen counters of EDraw, EErase, EMark and friends.
#include <gtest/gtest.h>

#include <cstring>

#include "core/host_api.h"
#include "host/display/preview.h"
#include "host/drawing/layouts.h"
#include "host/geometry/geometry.h"
#include "host/io/drawing_io.h"
#include "tests/io/io_test_util.h"
#include "tests/io/svg_check.h"
#include "tests/support/temp_path.h"

namespace qlhost {
namespace {

namespace L = layout;
using iotest::Add;
using iotest::CheckSvg;
using iotest::CountOf;
using iotest::FreshDrawing;

// A drag context as the runtime hands it over; the painters only pass it back.
unsigned char g_dragContext[400];

// The status label block of a drag: a text data part with its string after it.
std::vector<unsigned char> LabelBlock(double x, double y, float height, const char* text) {
    std::vector<unsigned char> block(L::kDataSize + std::strlen(text) + 1, 0);
    std::memcpy(block.data() + L::kDataX, &x, 8);
    std::memcpy(block.data() + L::kDataY, &y, 8);
    std::memcpy(block.data() + L::kDataHeight, &height, 4);
    float one = 1;
    std::memcpy(block.data() + L::kDataWidth, &one, 4);
    block[L::kDataJustify] = 9;
    std::memcpy(block.data() + L::kDataSize, text, std::strlen(text));
    return block;
}

TEST(Preview, PaintersRecordIntoTheDragFrame) {
    FreshDrawing();
    BeginFrame(100, 75);
    GDraw2* painter = GetGDraw2();
    GDraw3* painter3 = GetGDraw3();
    double a[2] = {0, 0}, b[2] = {10, 5}, poly[6] = {0, 0, 5, 0, 5, 5}, a3[3] = {1, 1, 0}, b3[3] = {2, 2, 0};
    painter->SetPen(g_dragContext, 0x0000ff, 1, 0);
    painter->DrawLine(g_dragContext, a, b);
    painter->DrawPolyline(g_dragContext, 3, poly);
    painter->DrawCircle(g_dragContext, b, 2.5);
    std::vector<unsigned char> label = LabelBlock(3, 4, 3.75f, "Scale 2.00");
    painter->DrawTextData(g_dragContext, label.data());
    painter->BeginPreview(g_dragContext);
    painter3->DrawLine3(g_dragContext, a3, b3);

    const PreviewFrame& frame = CurrentFrame();
    EXPECT_EQ(frame.viewWidth, 100);
    ASSERT_EQ(frame.prims.size(), 5u);
    EXPECT_EQ(frame.prims[0].kind, PreviewPrim::Line);
    EXPECT_EQ(frame.prims[0].color, 0x0000ff);
    EXPECT_EQ(frame.prims[0].lineStyle, 1);
    EXPECT_EQ(frame.prims[1].points.size(), 6u);
    EXPECT_EQ(frame.prims[2].radius, 2.5);
    EXPECT_EQ(frame.prims[3].text, "Scale 2.00");
    EXPECT_EQ(frame.prims[3].points, (std::vector<double>{3, 4}));
    EXPECT_EQ(frame.prims[4].color, 0);  // BeginPreview resets the pen
    EXPECT_EQ(frame.beginPreviewCalls, 1);

    std::string svg = PreviewToSvg(frame);
    EXPECT_EQ(CheckSvg(svg), "");
    EXPECT_NE(svg.find(">Scale 2.00<"), std::string::npos);
    EXPECT_NE(svg.find("stroke=\"#ff0000\""), std::string::npos);  // pens are COLORREFs
    BeginFrame(100, 75);
    EXPECT_TRUE(CurrentFrame().prims.empty());
}

TEST(Preview, EDrawMCopiesMembersInDrawingCoordinates) {
    Drawing& drawing = FreshDrawing();
    BeginFrame(100, 75);
    Node* group = Add(*drawing.work, MakeGroup());
    Add(*drawing.work->Children(group), MakeLine(0, 0, 1, 1));
    uint32_t def = RegisterSymbolDefinition(1, 1, "Mark");
    Node* ref = Add(*drawing.work, MakeSymbolRef(def, 10, 10, 0, 1, "Mark"));
    Add(*drawing.work->Children(ref), MakePoint(1, 1));
    EDrawM(g_dragContext, group->record());
    EDrawM(g_dragContext, ref->record());
    Record loose = MakeCircle(0, 0, 1);
    EDrawM(g_dragContext, loose.data());

    const PreviewFrame& frame = CurrentFrame();
    ASSERT_EQ(frame.prims.size(), 5u);
    EXPECT_EQ(frame.prims[1].record[L::kType], L::kLine);
    const std::vector<unsigned char>& point = frame.prims[3].record;
    ASSERT_EQ(point[L::kType], L::kPoint);
    Pt expected = SymbolToWorld(ref->record()).Apply({1, 1});
    EXPECT_DOUBLE_EQ(L::Get<double>(point.data(), point.size(), L::kPointX), expected.x);
    EXPECT_DOUBLE_EQ(L::Get<double>(point.data(), point.size(), L::kPointY), expected.y);
    EXPECT_EQ(frame.prims[4].record, loose);
}

TEST(Preview, ArcDimensionDrawnWithArcExtensionLinesAndDegrees) {
    FreshDrawing();
    BeginFrame(100, 75);
    Record dim = MakeArcDimension(nullptr, {0, 0}, 5, 0, 3.14159265358979323846 / 2, 3, 7, {4, 4});
    dim[L::kDim30Flags] = 3;
    EDrawM(g_dragContext, dim.data());
    std::string svg = PreviewToSvg(CurrentFrame());
    EXPECT_EQ(CheckSvg(svg), "");
    EXPECT_NE(svg.find(" A5,5 0 0,0 "), std::string::npos) << svg;  // the quarter arc, upwards as seen
    EXPECT_EQ(CountOf(svg, "<line"), 2u);                           // one extension line per leader
    EXPECT_NE(svg.find(">90\xc2\xb0<"), std::string::npos) << svg;  // a zero style block: no decimals
}

TEST(Preview, ControlsKeepTheirOwnFramesByRectangle) {
    FreshDrawing();
    ClearControlPreviews();
    BeginFrame(100, 75);
    double view[2] = {8.5, 2.25};
    GDraw2* painter = GetGDraw2();
    double from[2] = {-4, -1}, to[2] = {4, 1};
    for (int pass = 0; pass < 2; ++pass)
        for (int item = 0; item < 3; ++item) {
            RECT rect{0, item * 45, 200, item * 45 + 45};
            void* control = CreateXWCtrl(view, &rect, nullptr);
            painter->SetPen(control, 0, 0, 0);
            painter->DrawLine(control, from, to);
            if (pass == 1 && item == 1) painter->DrawLine(control, to, from);
            ReleaseXWCtrl(control);
        }
    EXPECT_TRUE(CurrentFrame().prims.empty());  // the drag frame saw nothing
    const std::vector<ControlPreview>& kept = ControlPreviews();
    ASSERT_EQ(kept.size(), 3u);
    size_t twoLines = 0;
    for (const ControlPreview& control : kept) {
        EXPECT_TRUE(control.frame.centredView);
        EXPECT_EQ(control.frame.viewWidth, 8.5);
        twoLines += control.frame.prims.size() == 2;
    }
    EXPECT_EQ(twoLines, 1u);
    std::string svg = ControlPreviewsToSvg();
    EXPECT_EQ(CheckSvg(svg), "");
    EXPECT_EQ(CountOf(svg, "<svg x="), 3u);
    EXPECT_NE(svg.find("viewBox=\"-4.25 -1.125 8.5 2.25\""), std::string::npos);
    std::string error;
    EXPECT_TRUE(WriteControlPreviewsSvg(ql_test::TempPath("controls.svg"), error)) << error;
}

TEST(Preview, ControlsFillPolylinesByFillStyle) {
    FreshDrawing();
    ClearControlPreviews();
    double view[2] = {8.5, 2.25};
    RECT rect{0, 0, 200, 45};
    void* control = CreateXWCtrl(view, &rect, nullptr);
    GDraw2* painter = GetGDraw2();
    double outline[10] = {-4, -1, 4, -1, 4, 1, -4, 1, -4, -1};
    painter->SetPen(control, 0, 0, 2);  // ".25 Right Diagonal"
    painter->DrawPolyline(control, 5, outline);
    ReleaseXWCtrl(control);
    std::string svg = ControlPreviewsToSvg();
    EXPECT_EQ(CheckSvg(svg), "");
    EXPECT_NE(svg.find("c1_clip1"), std::string::npos);
    EXPECT_GT(CountOf(svg, "<line"), 20u);
}

TEST(Screen, CountersAndHighlights) {
    Drawing& drawing = FreshDrawing();
    ResetScreenCounters();
    ClearHighlights();
    Node* a = Add(*drawing.work, MakeLine(0, 0, 1, 1));
    Node* b = Add(*drawing.work, MakeCircle(0, 0, 1));
    EMark(a->record());
    EMark(b->record());
    EMark(b->record());
    EXPECT_EQ(HighlightedIds(), (std::vector<uint32_t>{a->id, b->id}));
    EDraw(0, a->record());
    EXPECT_EQ(HighlightedIds(), (std::vector<uint32_t>{b->id}));
    EErase(0, b->record());
    EXPECT_TRUE(HighlightedIds().empty());
    EMark(a->record());
    Redraw();
    EXPECT_TRUE(HighlightedIds().empty());
    EXPECT_FALSE(a->flags & Node::kHighlighted);
    Record loose = MakeLine(0, 0, 2, 2);
    EDraw(0, loose.data());  // a record the plug-in built: drawn, nothing else
    ShowChanges();
    ProgressMsg("Hatching... (press ESC to cancel)");
    ShowProgress(3, 10);
    const ScreenCounters& screen = Screen();
    EXPECT_EQ(screen.draws, 2);
    EXPECT_EQ(screen.erases, 1);
    EXPECT_EQ(screen.marks, 4);
    EXPECT_EQ(screen.redraws, 1);
    EXPECT_EQ(screen.showChanges, 1);
    EXPECT_EQ(screen.progressText, "Hatching... (press ESC to cancel)");
    EXPECT_EQ(screen.progressDone, 3);
    EXPECT_EQ(screen.progressTotal, 10);
    ResetScreenCounters();
    EXPECT_EQ(Screen().draws, 0);
}

}  // namespace
}  // namespace qlhost
