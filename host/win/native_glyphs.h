// Glyph outlines and advances from the system's fonts (GDI), for the host's TrueType
// services on Windows. Plain types only: read by sources that see the host's own Win32 subset.
#pragma once

#include <string>
#include <vector>

namespace qlhost::win {

struct GlyphRequest {
    std::string face;
    bool bold = false;
    bool italic = false;
    long height = 0;  // LOGFONT lfHeight and lfWidth
    long width = 0;
    unsigned code = 0;                    // Windows-1252 character code
    const void* matrix = nullptr;         // a MAT2 (16 bytes), identity when null
};

// True when a TrueType face of that name is installed (or was added from a file).
bool FaceInstalled(const std::string& face);
// Adds the fonts of a file for this process only.
bool AddPrivateFont(const std::string& file);
// GetGlyphOutlineA (GGO_NATIVE, unhinted): metrics receives the 20-byte GLYPHMETRICS.
bool GlyphOutline(const GlyphRequest& request, unsigned char (&metrics)[20], std::vector<unsigned char>& native);
// The glyph's horizontal cell increment in whole pixels.
bool GlyphAdvance(const GlyphRequest& request, int& advance);

}  // namespace qlhost::win
