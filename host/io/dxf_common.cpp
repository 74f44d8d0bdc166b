// Colour, line type and justification mappings between the host and DXF.
#include "host/io/dxf_common.h"

#include <cstring>

#include "host/drawing/tables.h"

namespace qlhost::io {
namespace {

constexpr int kAciWhite = 7;
constexpr int kAciByBlock = 0;
constexpr int kAciByLayer = 256;
constexpr int kLastDirectColor = 9;  // palette 1..9 and ACI 1..9 name the same colours

}  // namespace

int PaletteFromAci(int aci) {
    if (aci < 0) aci = -aci;  // a layer that is off keeps its colour negated
    if (aci == kAciByBlock || aci == kAciByLayer || aci == kAciWhite || aci > kLastDirectColor) return 0;
    return aci;
}

int AciFromPalette(int color) {
    if (color >= 1 && color <= kLastDirectColor) return color;
    return kAciWhite;
}

std::string LinetypeName(const Tables& tables, int style) {
    if (style == 0) return "CONTINUOUS";
    const unsigned char* entry = FindLineStyle(const_cast<Tables&>(tables), style);
    if (!entry) return "CONTINUOUS";
    uint32_t length;
    std::memcpy(&length, entry, 4);
    if (length <= kStyleName) return "CONTINUOUS";
    const char* name = reinterpret_cast<const char*>(entry + kStyleName);
    return std::string(name, strnlen(name, length - kStyleName));
}

int LineStyleFromLinetype(Tables& tables, const std::string& name) {
    const unsigned char* entry = FindLineStyleByName(tables, name);
    if (!entry) return 0;
    uint16_t number;
    std::memcpy(&number, entry + kEntryNumber, 2);
    return number;
}

void DxfJustification(int justification, int& horizontal, int& vertical) {
    justification %= 9;
    horizontal = justification % 3;
    // Bottom is the baseline; middle and top are DXF's 2 and 3.
    int v = justification / 3;
    vertical = v == 0 ? 0 : v + 1;
}

int JustificationFromDxf(int horizontal, int vertical) {
    if (horizontal == 4) return 4;                     // "middle": centred both ways
    if (horizontal < 0 || horizontal > 2) return 0;    // aligned and fit run from the start point
    int v = vertical <= 1 ? 0 : vertical >= 3 ? 2 : 1;
    return v * 3 + horizontal;
}

int AttachmentFromJustification(int justification) {
    justification %= 9;
    int row = 2 - justification / 3;  // attachment rows run top, middle, bottom
    return row * 3 + justification % 3 + 1;
}

int JustificationFromAttachment(int attachment) {
    if (attachment < 1 || attachment > 9) return 6;  // top left, DXF's default
    int row = (attachment - 1) / 3, column = (attachment - 1) % 3;
    return (2 - row) * 3 + column;
}

std::string MTextToString(const std::string& mtext) {
    std::string out;
    for (size_t i = 0; i < mtext.size(); ++i) {
        char c = mtext[i];
        if (c == '{' || c == '}') continue;
        if (c != '\\' || i + 1 >= mtext.size()) {
            out += c;
            continue;
        }
        char code = mtext[++i];
        switch (code) {
        case 'P': out += '\r'; break;
        case '\\':
        case '{':
        case '}': out += code; break;
        case '~': out += ' '; break;
        case 'L': case 'l': case 'O': case 'o': case 'K': case 'k': break;
        default: {
            // Codes with a value run to the next semicolon (\f, \H, \C, \W, \Q, \T, \A, \S).
            size_t end = mtext.find(';', i);
            if (end == std::string::npos) return out;
            i = end;
        }
        }
    }
    return out;
}

std::string StringToMText(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += "\\P";
        } else if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += c;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace qlhost::io
