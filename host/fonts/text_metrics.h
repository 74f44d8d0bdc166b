// Text metrics of the host: which font a font number names, the length of a text line in
// drawing units, and the box of a text (XCheckGText2, LenText2, extents and picking).
#pragma once

#include <string>
#include <string_view>

namespace qlhost {

// Font kinds of the font table (kind 8).
constexpr int kFontStroke = 0;
constexpr int kFontTrueType = 1;
constexpr int kFontOther = 2;

// The logical font of the TrueType text explode: cell height 360, average width 140;
// outlines are scaled by height x width factor / 276 across and height / 250 up.
constexpr long kExplodeFontHeight = 360;
constexpr long kExplodeFontWidth = 140;
constexpr double kExplodeScaleX = 276;
constexpr double kExplodeScaleY = 250;

struct FontRef {
    int kind = kFontStroke;
    std::string name = "Simplex";
};

// The font of a number in the drawing's font table; numbers not listed use the stroke font
// "Simplex".
FontRef FontOfNumber(int number);

struct TextParams {
    int font = 0;
    double height = 0;
    double widthFactor = 1;
    int flags = 0;         // 0x10 bold, 0x20 italic
    double lineSpacing = 150;  // percent of the height between baselines
    int justification = 0;
};

// Length of one line (no line breaks) in drawing units. Stroke fonts advance by their own
// widths scaled by height / design height (their width factor is not applied); TrueType
// fonts by their cell increments scaled as the text explode scales them; other fonts by the
// stroke font "Simplex".
double LineLength(const TextParams& p, std::string_view line);
// Length of the longest line of a text (lines end at carriage returns).
double TextLength(const TextParams& p, std::string_view text);

// The plain (0..8) form of a justification code; far codes (9..20) are mapped back.
int PlainJustification(int code);

}  // namespace qlhost
