// Drawing entity records onto an SVG canvas: the one routine behind drawing pictures and
// preview pictures (texts, fills, dimensions included).
#pragma once

#include <cstdint>
#include <string>

#include "host/drawing/drawing.h"
#include "host/geometry/geometry.h"
#include "host/io/svg_canvas.h"

namespace qlhost::io {

struct RenderContext {
    SvgCanvas* canvas = nullptr;
    const Tables* tables = nullptr;  // line and fill styles, fonts, layers
    std::string override;            // colour for every element (selection highlight), or empty
};

constexpr size_t kMaxHatchLines = 20000;  // a finer fill is shown as a light solid fill
constexpr const char* kHighlightColor = "#e0218a";

// "#rrggbb" of a palette colour number; white is drawn black on the white paper.
std::string EntityColor(int color);
// SVG dash array of a line style number ("" for solid lines and unknown styles).
std::string LineStyleDashes(const Tables* tables, int style);

// One record (members not included) transformed by m.
void RenderRecord(const RenderContext& ctx, const unsigned char* record, const Matrix& m);
// A text data part (72 bytes) followed by its string, in a colour.
void RenderTextData(const RenderContext& ctx, const unsigned char* data, const std::string& text,
                    const std::string& color);
// A dimension record (types 28 to 31) in drawing coordinates.
void RenderDimension(const RenderContext& ctx, const Record& record, const Paint& paint);
// Fills a closed outline by a fill style number in a colour (solid or hatch pattern).
void RenderFill(const RenderContext& ctx, const std::vector<std::vector<Pt>>& outlines, int fillStyle,
                const std::string& color);

}  // namespace qlhost::io
