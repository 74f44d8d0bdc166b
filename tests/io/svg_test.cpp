// SVG pictures of drawings: well formed, one group per visible layer, hidden layers left
// out, texts, dashes, fills and the arc dimension; the floor plan example renders.
#include <gtest/gtest.h>

#include "host/drawing/layouts.h"
#include "host/drawing/tables.h"
#include "host/io/drawing_io.h"
#include "tests/io/io_test_util.h"
#include "tests/io/svg_check.h"

namespace qlhost {
namespace {

namespace L = layout;
using iotest::AddOnLayer;
using iotest::CheckSvg;
using iotest::CountOf;
using iotest::FreshDrawing;

void SetField(Record& r, size_t offset, uint16_t value) { std::memcpy(r.data() + offset, &value, 2); }

TEST(Svg, FloorPlanExampleRendersEveryLayerButTheHiddenOne) {
    Drawing& drawing = FreshDrawing();
    std::string error;
    ASSERT_TRUE(LoadDrawingFile(std::string(QL_SOURCE_DIR) + "/examples/floorplan.json", *drawing.work, error)) << error;
    std::string svg = DrawingToSvg(*drawing.work);
    EXPECT_EQ(CheckSvg(svg), "");
    for (const char* layer : {"Walls", "Doors", "Furniture", "Text", "Dimensions", "Hatch"})
        EXPECT_NE(svg.find(std::string("<g id=\"") + layer + "\""), std::string::npos) << layer;
    EXPECT_EQ(svg.find("Construction"), std::string::npos);
    EXPECT_NE(svg.find(">Living room<"), std::string::npos);
    EXPECT_NE(svg.find(">Oak<"), std::string::npos);          // the symbol's attribute value
    EXPECT_NE(svg.find(">90\xc2\xb0<"), std::string::npos);   // the arc dimension's text
    EXPECT_NE(svg.find("stroke-dasharray"), std::string::npos);
    EXPECT_NE(svg.find("<clipPath"), std::string::npos);       // hatch fills
    EXPECT_NE(svg.find("font-weight=\"bold\""), std::string::npos);
}

TEST(Svg, AxisFlippedAndViewBoxAroundTheDrawing) {
    Drawing& drawing = FreshDrawing();
    AddOnLayer(*drawing.work, MakeLine(0, 0, 10, 20), 1);
    std::string svg = DrawingToSvg(*drawing.work);
    EXPECT_EQ(CheckSvg(svg), "");
    EXPECT_NE(svg.find("<line x1=\"0\" y1=\"0\" x2=\"10\" y2=\"-20\""), std::string::npos) << svg;
    // 5% of the larger side (20) around the extent: x -1..11, y -1..21 drawn as -21..1.
    EXPECT_NE(svg.find("viewBox=\"-1 -21 12 22\""), std::string::npos) << svg;
}

TEST(Svg, TextsCarryFontSizeRotationAndAnchor) {
    Drawing& drawing = FreshDrawing();
    TextStyle style;
    style.height = 2;
    style.angle = 3.14159265358979323846 / 2;
    style.justification = 5;  // middle right
    style.font = 3;
    style.flags = 0x20;
    AddOnLayer(*drawing.work, MakeText(1, 2, style, "A<&>B\rline 2"), 4);
    std::string svg = DrawingToSvg(*drawing.work);
    EXPECT_EQ(CheckSvg(svg), "");
    EXPECT_NE(svg.find("font-family=\"DejaVu Sans Mono"), std::string::npos);
    EXPECT_NE(svg.find("text-anchor=\"end\""), std::string::npos);
    EXPECT_NE(svg.find("rotate(-90"), std::string::npos);
    EXPECT_NE(svg.find("font-style=\"italic\""), std::string::npos);
    EXPECT_NE(svg.find("A&lt;&amp;&gt;B"), std::string::npos);
    EXPECT_EQ(CountOf(svg, "<tspan"), 2u);
}

TEST(Svg, FillsByFillStyle) {
    Drawing& drawing = FreshDrawing();
    Record solid = MakeBox(0, 0, 1, 1);
    SetField(solid, L::kFillStyle, 1);
    AddOnLayer(*drawing.work, solid, 6);
    Record hatched = MakeCircle(5, 5, 2);
    SetField(hatched, L::kFillStyle, 4);  // ".25 Cross"
    AddOnLayer(*drawing.work, hatched, 6);
    std::string svg = DrawingToSvg(*drawing.work);
    EXPECT_EQ(CheckSvg(svg), "");
    EXPECT_NE(svg.find("fill-rule=\"evenodd\""), std::string::npos);
    EXPECT_EQ(CountOf(svg, "<clipPath"), 1u);
    // Two families 0.25 apart across a circle 4 wide: about 16 lines each.
    size_t clip = svg.find("clip-path=\"url(#clip1)\"");
    ASSERT_NE(clip, std::string::npos);
    size_t lines = CountOf(svg.substr(clip, svg.find("</g>", clip) - clip), "<line");
    EXPECT_GE(lines, 30u);
    EXPECT_LE(lines, 36u);
}

TEST(Svg, HiddenLayersAndSelectionHighlight) {
    Drawing& drawing = FreshDrawing();
    int hidden = AddLayer(drawing.tables, "Secret", kLayerHidden);
    AddOnLayer(*drawing.work, MakeLine(0, 0, 1, 1), static_cast<uint16_t>(hidden));
    Node* shown = AddOnLayer(*drawing.work, MakeCircle(0, 0, 1), 1);
    shown->flags |= Node::kSelected;
    SvgOptions options;
    options.highlightSelected = true;
    std::string svg = DrawingToSvg(*drawing.work, options);
    EXPECT_EQ(svg.find("Secret"), std::string::npos);
    EXPECT_EQ(svg.find("<line"), std::string::npos);
    // The highlight is a class the page colours; the entity keeps its own colour.
    EXPECT_EQ(CountOf(svg, "<g class=\"ql-selected\">"), 1u);
    EXPECT_EQ(svg.find("#e0218a"), std::string::npos);
    EXPECT_EQ(DrawingToSvg(*drawing.work).find("ql-selected"), std::string::npos);
    // A highlight of EMark shows only while its command runs (highlightMarked).
    Node* marked = AddOnLayer(*drawing.work, MakeCircle(5, 5, 1), 1);
    marked->flags |= Node::kHighlighted;
    EXPECT_EQ(CountOf(DrawingToSvg(*drawing.work, options), "ql-selected"), 2u);
    options.highlightMarked = false;
    EXPECT_EQ(CountOf(DrawingToSvg(*drawing.work, options), "ql-selected"), 1u);
}

TEST(Svg, EmptyAndOddDrawingsStillGiveAPicture) {
    Drawing& drawing = FreshDrawing();
    EXPECT_EQ(CheckSvg(DrawingToSvg(*drawing.work)), "");
    Record bad = MakeText(0, 0, 2, 0, 0, 1, "x");
    float nan = std::nanf("");
    std::memcpy(bad.data() + L::kTextData + L::kDataHeight, &nan, 4);
    AddOnLayer(*drawing.work, bad, 1);
    Record odd = MakeHeader(99, 40);
    AddOnLayer(*drawing.work, odd, 1);
    std::string svg = DrawingToSvg(*drawing.work);
    EXPECT_EQ(CheckSvg(svg), "");
    EXPECT_EQ(svg.find("nan"), std::string::npos);
}

}  // namespace
}  // namespace qlhost
