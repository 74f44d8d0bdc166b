// What DXF import and export share: colour numbers, line type names and the text
// justification mapping between the host's codes and DXF's.
#pragma once

#include <string>

#include "host/drawing/drawing.h"

namespace qlhost::io {

// AutoCAD colour index <-> host palette number. ACI 7 (white on dark, black on paper) is the
// host's black; the darker shades are ACI 16, 56, 96, 136, 176 and 216; colours the palette
// lacks become black.
int PaletteFromAci(int aci);
int AciFromPalette(int color);

// DXF line type name of a host line style (CONTINUOUS for style 0 and unknown styles), and
// the host line style of a DXF line type name (0 when the drawing has no such style).
std::string LinetypeName(const Tables& tables, int style);
int LineStyleFromLinetype(Tables& tables, const std::string& name);

// Host justification 0..8 (far codes folded) <-> DXF TEXT justification.
void DxfJustification(int justification, int& horizontal, int& vertical);
int JustificationFromDxf(int horizontal, int vertical);
// MTEXT attachment point 1..9 <-> host justification.
int AttachmentFromJustification(int justification);
int JustificationFromAttachment(int attachment);

// DXF text <-> host string: UTF-8 characters beyond ASCII are \U+XXXX escapes in the file;
// %%d, %%p and %%c read as the degree, plus-minus and diameter signs. Strings that are not
// UTF-8 are written as they are.
std::string StringFromDxf(const std::string& text);
std::string StringToDxf(const std::string& text);

// MTEXT text <-> host string: paragraph breaks "\P" are carriage returns; other formatting
// codes are dropped on import.
std::string MTextToString(const std::string& mtext);
std::string StringToMText(const std::string& text);

}  // namespace qlhost::io
