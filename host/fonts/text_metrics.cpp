// Text metrics: font lookup, line lengths from stroke and TrueType fonts, text boxes.
#include "host/fonts/text_metrics.h"

#include <cmath>
#include <cstring>

#include "host/drawing/drawing.h"
#include "host/drawing/layouts.h"
#include "host/drawing/tables.h"
#include "host/fonts/stroke_font.h"
#include "host/fonts/truetype.h"
#include "host/geometry/geometry.h"

namespace qlhost {
namespace {

using namespace layout;

constexpr unsigned char kLineBreak = 13;
constexpr double kFallbackAdvance = 0.6;  // advance per character, in heights, without any font

double StrokeLength(const StrokeFont& font, double height, std::string_view line) {
    int design = font.DesignHeight();
    if (design <= 0) return 0;
    double units = 0;
    for (unsigned char c : line) units += font.Advance(c) + font.ExtraSpacing();
    return units * height / design;
}

double TrueTypeLength(const FontRef& ref, const TextParams& p, std::string_view line) {
    std::string file = TrueTypeFile(ref.name, (p.flags & 0x10) != 0, (p.flags & 0x20) != 0);
    if (file.empty()) return -1;
    FontSize size{kExplodeFontHeight, kExplodeFontWidth};
    double pixels = 0;
    for (unsigned char c : line) {
        int advance = 0;
        if (GlyphAdvance(file, size, c, advance)) pixels += advance;
    }
    return pixels * p.height * p.widthFactor / kExplodeScaleX;
}

}  // namespace

FontRef FontOfNumber(int number) {
    FontRef ref;
    const unsigned char* entry = FindFont(TheDrawing().tables, number);
    if (!entry) return ref;
    uint32_t length;
    std::memcpy(&length, entry, sizeof length);
    if (length <= kFontName) return ref;
    ref.kind = entry[kFontKind];
    const char* name = reinterpret_cast<const char*>(entry + kFontName);
    ref.name.assign(name, strnlen(name, length - kFontName));
    return ref;
}

double LineLength(const TextParams& p, std::string_view line) {
    if (!(p.height > 0) || line.empty()) return 0;
    FontRef ref = FontOfNumber(p.font);
    if (ref.kind == kFontTrueType) {
        double length = TrueTypeLength(ref, p, line);
        if (length >= 0) return length;
    }
    const StrokeFont* font = FindStrokeFont(ref.kind == kFontStroke ? ref.name : "Simplex");
    if (!font) font = FindStrokeFont("Simplex");
    if (font) return StrokeLength(*font, p.height, line);
    return kFallbackAdvance * p.height * static_cast<double>(line.size());
}

double TextLength(const TextParams& p, std::string_view text) {
    double longest = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(static_cast<char>(kLineBreak), start);
        if (end == std::string_view::npos) end = text.size();
        longest = std::max(longest, LineLength(p, text.substr(start, end - start)));
        start = end + 1;
    }
    return longest;
}

int PlainJustification(int code) {
    static const int kFarTable[21] = {11, 13, 15, 9, 4, 10, 16, 18, 20, 3, 5, 0, 0, 1, 2, 2, 6, 6, 7, 8, 8};
    if (code < 0 || code > 20) return 0;
    return code > 8 ? kFarTable[code] : code;
}

bool TextCorners(const unsigned char* data, const char* text, Pt corners[4]) {
    if (!data || !text) return false;
    TextParams p;
    Pt pos{Get<double>(data, kDataSize, kDataX), Get<double>(data, kDataSize, kDataY)};
    p.height = Get<float>(data, kDataSize, kDataHeight);
    p.widthFactor = Get<float>(data, kDataSize, kDataWidth);
    p.lineSpacing = Get<float>(data, kDataSize, kDataSpacing);
    p.font = Get<uint16_t>(data, kDataSize, kDataFont);
    p.flags = data[kDataFlags];
    p.justification = PlainJustification(data[kDataJustify]);
    double angle = Get<float>(data, kDataSize, kDataAngle);
    if (!(p.height > 0) || !std::isfinite(p.height) || !std::isfinite(pos.x) || !std::isfinite(pos.y) ||
        !std::isfinite(angle))
        return false;
    std::string_view s(text);
    double width = TextLength(p, s);
    size_t lines = 1;
    for (char c : s) lines += c == static_cast<char>(kLineBreak);
    double spacing = std::isfinite(p.lineSpacing) && p.lineSpacing > 0 ? p.lineSpacing / 100 : 1.5;
    double blockHeight = p.height * (1 + spacing * static_cast<double>(lines - 1));
    int h = p.justification % 3, v = p.justification / 3;
    double x0 = h == 0 ? 0 : h == 1 ? -width / 2 : -width;
    double y0 = v == 0 ? 0 : v == 1 ? -blockHeight / 2 : -blockHeight;
    const Pt local[4] = {{x0, y0}, {x0 + width, y0}, {x0 + width, y0 + blockHeight}, {x0, y0 + blockHeight}};
    double c = std::cos(angle), sn = std::sin(angle);
    for (int i = 0; i < 4; ++i)
        corners[i] = {pos.x + local[i].x * c - local[i].y * sn, pos.y + local[i].x * sn + local[i].y * c};
    return true;
}

}  // namespace qlhost
