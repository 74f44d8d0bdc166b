// TrueType fonts through FreeType: font files for face names, glyph outlines in the
// Windows native (GGO_NATIVE) form and glyph advances, at a Windows logical font size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/win32.h"

namespace qlhost {

// Folder of the TrueType files (fonts-dejavu-core).
constexpr const char* kTrueTypeDir = "/usr/share/fonts/truetype/dejavu/";

// The file for a face name and style: "DejaVu Sans" -> DejaVuSans.ttf, bold -> -Bold, italic
// -> -Oblique (or -Italic), falling back on the plain face and then on DejaVu Sans. Empty
// when no file exists at all.
std::string TrueTypeFile(const std::string& face, bool bold, bool italic);

// A logical font as CreateFontIndirectA describes it: lfHeight > 0 is the cell height
// (ascent + descent) in pixels, < 0 the em height, 0 a default; lfWidth 0 keeps the natural
// width, else it is the average character width in pixels.
struct FontSize {
    long height = 0;
    long width = 0;
};

struct GlyphOutline {
    GLYPHMETRICS metrics{};
    std::vector<unsigned char> native;  // TTPOLYGONHEADER / TTPOLYCURVE records
};

// Outline of a character code (Windows-1252) of the font file, transformed by m (16.16
// matrix, identity when null). False when the file or glyph cannot be loaded.
bool LoadGlyphOutline(const std::string& file, FontSize size, unsigned code, const MAT2* m, GlyphOutline& out);

// Horizontal cell increment of a character in whole pixels; false when it cannot be loaded.
bool GlyphAdvance(const std::string& file, FontSize size, unsigned code, int& advance);

// The Unicode code point of a Windows-1252 character code.
uint32_t Cp1252ToUnicode(unsigned code);

}  // namespace qlhost
