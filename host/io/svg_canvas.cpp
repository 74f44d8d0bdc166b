// SVG elements in drawing units with the y axis flipped, and the document around them.
#include "host/io/svg_canvas.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "host/io/json_fields.h"

namespace qlhost::io {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kCapRatio = 0.729;      // cap height of DejaVu Sans per em
constexpr double kAdvanceRatio = 0.6;    // average advance per em, for the text extent
constexpr double kFullTurnSweep = 2 * kPi - 1e-9;

std::string P(Pt p) { return Num(p.x) + "," + Num(-p.y); }

void AppendLatin1(std::string& out, unsigned char c) {
    out += static_cast<char>(0xc0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3f));
}

std::string PathData(const std::vector<std::vector<Pt>>& outlines) {
    std::string d;
    for (const auto& outline : outlines) {
        if (outline.empty()) continue;
        d += 'M';
        d += P(outline[0]);
        for (size_t i = 1; i < outline.size(); ++i) {
            d += " L";
            d += P(outline[i]);
        }
        d += " Z ";
    }
    return d;
}

}  // namespace

std::string Num(double value) {
    if (!std::isfinite(value)) return "0";
    if (std::fabs(value) < 1e-12) return "0";
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 10);
    return std::string(buffer, result.ptr);
}

std::string XmlEscape(const std::string& text) {
    bool utf8 = ValidUtf8(text);
    std::string out;
    for (unsigned char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default:
            if (c < 0x20 && c != '\t') break;
            if (c >= 0x80 && !utf8) AppendLatin1(out, c);
            else out += static_cast<char>(c);
        }
    }
    return out;
}

std::string ColorRefHex(uint32_t colorRef) {
    static const char kDigits[] = "0123456789abcdef";
    unsigned rgb[3] = {colorRef & 0xff, (colorRef >> 8) & 0xff, (colorRef >> 16) & 0xff};
    std::string out = "#";
    for (unsigned c : rgb) {
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

std::string SvgId(const std::string& name) {
    std::string id;
    for (unsigned char c : name)
        id += (std::isalnum(c) || c == '-' || c == '_' || c == '.') && c < 0x80 ? static_cast<char>(c) : '_';
    if (id.empty() || !std::isalpha(static_cast<unsigned char>(id[0]))) id = "L" + id;
    return id;
}

void SvgCanvas::Include(Pt p) {
    // What is drawn inside a clip path stays inside its outline, which counted already.
    if (clipDepth_ > 0 || !std::isfinite(p.x) || !std::isfinite(p.y)) return;
    if (!hasBounds_) {
        minX_ = maxX_ = p.x;
        minY_ = maxY_ = p.y;
        hasBounds_ = true;
        return;
    }
    minX_ = std::min(minX_, p.x);
    maxX_ = std::max(maxX_, p.x);
    minY_ = std::min(minY_, p.y);
    maxY_ = std::max(maxY_, p.y);
}

std::string SvgCanvas::Attributes(const Paint& paint) const {
    std::string a = " stroke=\"" + paint.stroke + "\"";
    if (!paint.dashes.empty()) a += " stroke-dasharray=\"" + paint.dashes + "\"";
    a += " fill=\"" + (paint.fill.empty() ? std::string("none") : paint.fill) + "\"";
    if (paint.evenOdd) a += " fill-rule=\"evenodd\"";
    return a;
}

void SvgCanvas::Line(Pt a, Pt b, const Paint& paint) {
    Include(a), Include(b);
    body_ += "<line x1=\"" + Num(a.x) + "\" y1=\"" + Num(-a.y) + "\" x2=\"" + Num(b.x) + "\" y2=\"" + Num(-b.y) +
             "\"" + Attributes(paint) + "/>\n";
}

void SvgCanvas::Polyline(const std::vector<Pt>& points, bool closed, const Paint& paint) {
    if (points.empty()) return;
    std::string list;
    for (const Pt& p : points) {
        Include(p);
        if (!list.empty()) list += ' ';
        list += P(p);
    }
    body_ += std::string(closed ? "<polygon" : "<polyline") + " points=\"" + list + "\"" + Attributes(paint) + "/>\n";
}

void SvgCanvas::Outlines(const std::vector<std::vector<Pt>>& outlines, const Paint& paint) {
    for (const auto& outline : outlines)
        for (const Pt& p : outline) Include(p);
    std::string d = PathData(outlines);
    if (!d.empty()) body_ += "<path d=\"" + d + "\"" + Attributes(paint) + "/>\n";
}

void SvgCanvas::Circle(Pt centre, double radius, const Paint& paint) {
    radius = std::fabs(radius);
    Include({centre.x - radius, centre.y - radius});
    Include({centre.x + radius, centre.y + radius});
    body_ += "<circle cx=\"" + Num(centre.x) + "\" cy=\"" + Num(-centre.y) + "\" r=\"" + Num(radius) + "\"" +
             Attributes(paint) + "/>\n";
}

void SvgCanvas::Arc(Pt centre, double radius, double start, double sweep, const Paint& paint) {
    if (std::fabs(sweep) >= kFullTurnSweep) return Circle(centre, radius, paint);
    Pt a = Polar(centre, radius, start), b = Polar(centre, radius, start + sweep);
    // Extent: the ends and every quadrant point the arc passes.
    Include(a), Include(b);
    double from = std::min(start, start + sweep), to = std::max(start, start + sweep);
    for (double q = std::ceil(from / (kPi / 2)) * (kPi / 2); q <= to; q += kPi / 2) Include(Polar(centre, radius, q));
    int large = std::fabs(sweep) > kPi ? 1 : 0;
    // The picture shows the drawing upright, and SVG's sweep flag 1 turns clockwise as seen.
    int clockwiseOnScreen = sweep > 0 ? 0 : 1;
    body_ += "<path d=\"M" + P(a) + " A" + Num(radius) + "," + Num(radius) + " 0 " + std::to_string(large) + "," +
             std::to_string(clockwiseOnScreen) + " " + P(b) + "\"" + Attributes(paint) + "/>\n";
}

void SvgCanvas::Dot(Pt p, const std::string& color) {
    Include(p);
    body_ += "<circle cx=\"" + Num(p.x) + "\" cy=\"" + Num(-p.y) + "\" r=\"" + Num(unit_ * 1.5) + "\" fill=\"" + color +
             "\" stroke=\"none\"/>\n";
}

void SvgCanvas::Text(const TextSpec& t) {
    if (t.lines.empty() || !(t.height > 0) || !std::isfinite(t.height)) return;
    double size = t.height / kCapRatio;
    double step = t.height * t.spacing / 100;
    size_t n = t.lines.size();
    double total = (n - 1) * step + t.height;
    double first = t.vertical == 2 ? t.height : t.vertical == 1 ? t.height - total / 2 : -(n - 1) * step;
    double deg = -t.angle * 180 / kPi;
    const char* anchor = t.horizontal == 1 ? "middle" : t.horizontal == 2 ? "end" : "start";

    // Extent of the block from the average advance, turned with the text.
    size_t longest = 0;
    for (const std::string& line : t.lines) longest = std::max(longest, line.size());
    double width = longest * kAdvanceRatio * size * t.widthFactor;
    double left = t.horizontal == 1 ? -width / 2 : t.horizontal == 2 ? -width : 0;
    double top = first - t.height, bottom = first + (n - 1) * step;
    double c = std::cos(t.angle), s = std::sin(t.angle);
    for (double x : {left, left + width})
        for (double y : {top, bottom}) Include({t.pos.x + x * c + y * s, t.pos.y + x * s - y * c});

    std::string style = " font-family=\"" + XmlEscape(t.family) + ", DejaVu Sans, sans-serif\" font-size=\"" +
                        Num(size) + "\" text-anchor=\"" + anchor + "\"";
    if (t.bold) style += " font-weight=\"bold\"";
    if (t.italic) style += " font-style=\"italic\"";
    if (t.underline || t.strike)
        style += std::string(" text-decoration=\"") + (t.underline ? "underline" : "") +
                 (t.underline && t.strike ? " " : "") + (t.strike ? "line-through" : "") + "\"";
    style += t.outline ? " fill=\"none\" stroke=\"" + t.color + "\"" : " fill=\"" + t.color + "\" stroke=\"none\"";
    std::string transform = "translate(" + Num(t.pos.x) + "," + Num(-t.pos.y) + ")";
    if (deg != 0) transform += " rotate(" + Num(deg) + ")";
    if (t.widthFactor != 1) transform += " scale(" + Num(t.widthFactor) + ",1)";
    body_ += "<text transform=\"" + transform + "\"" + style + ">";
    for (size_t i = 0; i < n; ++i)
        body_ += "<tspan x=\"0\" y=\"" + Num(first + i * step) + "\">" + XmlEscape(t.lines[i]) + "</tspan>";
    body_ += "</text>\n";
}

void SvgCanvas::BeginClip(const std::vector<std::vector<Pt>>& outlines) {
    std::string id = idPrefix_ + "clip" + std::to_string(++clips_);
    defs_ += "<clipPath id=\"" + id + "\"><path clip-rule=\"evenodd\" d=\"" + PathData(outlines) + "\"/></clipPath>\n";
    body_ += "<g clip-path=\"url(#" + id + ")\">\n";
    for (const auto& outline : outlines)
        for (const Pt& p : outline) Include(p);
    ++clipDepth_;
}

void SvgCanvas::EndClip() {
    --clipDepth_;
    body_ += "</g>\n";
}

void SvgCanvas::BeginGroup(const std::string& id, const std::string& label) {
    body_ += "<g id=\"" + XmlEscape(id) + "\" data-name=\"" + XmlEscape(label) + "\">\n";
}

void SvgCanvas::BeginClassGroup(const std::string& cls) { body_ += "<g class=\"" + XmlEscape(cls) + "\">\n"; }

void SvgCanvas::EndGroup() { body_ += "</g>\n"; }

void SvgCanvas::Comment(const std::string& text) {
    std::string safe = XmlEscape(text);
    for (size_t i; (i = safe.find("--")) != std::string::npos;) safe.replace(i, 2, "- ");
    body_ += "<!-- " + safe + " -->\n";
}

std::string SvgCanvas::Document(double margin, double pixels) const {
    double x0 = hasBounds_ ? minX_ : -1, y0 = hasBounds_ ? minY_ : -1;
    double x1 = hasBounds_ ? maxX_ : 1, y1 = hasBounds_ ? maxY_ : 1;
    double side = std::max({x1 - x0, y1 - y0, 1e-9});
    double m = side * margin;
    return DocumentWithBox(x0 - m, y0 - m, x1 - x0 + 2 * m, y1 - y0 + 2 * m, pixels);
}

std::string SvgCanvas::DocumentWithBox(double x, double y, double width, double height, double pixels) const {
    width = std::max(width, 1e-9);
    height = std::max(height, 1e-9);
    double scale = pixels / std::max(width, height);
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" viewBox=\"" + Num(x) + " " + Num(-(y + height)) +
           " " + Num(width) + " " + Num(height) + "\" width=\"" + Num(std::round(width * scale)) + "\" height=\"" +
           Num(std::round(height * scale)) + "\">\n";
    if (!defs_.empty()) out += "<defs>\n" + defs_ + "</defs>\n";
    out += "<rect x=\"" + Num(x) + "\" y=\"" + Num(-(y + height)) + "\" width=\"" + Num(width) + "\" height=\"" +
           Num(height) + "\" fill=\"#ffffff\"/>\n";
    out += "<g stroke-width=\"" + Num(unit_) + "\" stroke-linecap=\"round\" stroke-linejoin=\"round\">\n";
    out += body_;
    out += "</g>\n</svg>\n";
    return out;
}

}  // namespace qlhost::io
