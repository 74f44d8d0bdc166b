// A small SVG builder in drawing units: it flips the y axis, tracks the extent of what it
// draws and assembles the document with a viewBox around it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/geometry/vec2.h"

namespace qlhost::io {

// Stroke and fill of one element. Empty fill = not filled.
struct Paint {
    std::string stroke = "#000000";
    std::string dashes;  // stroke-dasharray, drawing units
    std::string fill;
    bool evenOdd = false;
};

struct TextSpec {
    std::vector<std::string> lines;
    Pt pos;                // insertion point
    double height = 1;     // cap height in drawing units
    double angle = 0;      // radians
    double widthFactor = 1;
    double spacing = 150;  // line spacing, percent of the height
    int horizontal = 0;    // 0 left, 1 centre, 2 right
    int vertical = 0;      // 0 bottom, 1 middle, 2 top
    std::string family = "DejaVu Sans";
    bool bold = false, italic = false, underline = false, strike = false, outline = false;
    std::string color = "#000000";
};

class SvgCanvas {
public:
    // Stroke width and point size for the elements drawn from now on.
    void SetUnit(double unit) { unit_ = unit; }
    double unit() const { return unit_; }

    void Line(Pt a, Pt b, const Paint& paint);
    void Polyline(const std::vector<Pt>& points, bool closed, const Paint& paint);
    // Several closed outlines as one filled path (even-odd when paint.evenOdd).
    void Outlines(const std::vector<std::vector<Pt>>& outlines, const Paint& paint);
    void Circle(Pt centre, double radius, const Paint& paint);
    void Arc(Pt centre, double radius, double start, double sweep, const Paint& paint);
    void Dot(Pt p, const std::string& color);
    void Text(const TextSpec& text);
    // Lines clipped to closed outlines (hatch fills).
    void BeginClip(const std::vector<std::vector<Pt>>& outlines);
    void EndClip();

    void BeginGroup(const std::string& id, const std::string& label);
    void BeginClassGroup(const std::string& cls);
    void EndGroup();
    void Comment(const std::string& text);

    bool empty() const { return !hasBounds_; }
    double minX() const { return minX_; }
    double minY() const { return minY_; }
    double maxX() const { return maxX_; }
    double maxY() const { return maxY_; }
    void Include(Pt p);

    // The whole document: viewBox = the extent grown by margin (a fraction of the larger
    // side), the larger side drawn pixels wide or high.
    std::string Document(double margin, double pixels) const;
    // The same with a given box in drawing units (x, y its lower-left corner).
    std::string DocumentWithBox(double x, double y, double width, double height, double pixels) const;
    const std::string& body() const { return body_; }
    const std::string& defs() const { return defs_; }
    // Prefix of the ids this canvas gives its clip paths (canvases embedded in one document).
    void SetIdPrefix(const std::string& prefix) { idPrefix_ = prefix; }

private:
    std::string Attributes(const Paint& paint) const;
    std::string defs_;
    std::string body_;
    double unit_ = 0.1;
    int clips_ = 0;
    int clipDepth_ = 0;
    std::string idPrefix_;
    bool hasBounds_ = false;
    double minX_ = 0, minY_ = 0, maxX_ = 0, maxY_ = 0;
};

// Helpers shared by the renderers.
std::string Num(double value);
// Text for XML: markup characters escaped, control characters dropped, bytes that are not
// UTF-8 read as Latin-1.
std::string XmlEscape(const std::string& text);
// "#rrggbb" of a COLORREF (0x00BBGGRR).
std::string ColorRefHex(uint32_t colorRef);
// A valid, readable XML id from a layer name.
std::string SvgId(const std::string& name);

}  // namespace qlhost::io
