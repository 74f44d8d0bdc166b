// Colour, line type and justification mappings between the host and DXF.
#include "host/io/dxf_common.h"

#include "host/io/bytes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "host/drawing/tables.h"
#include "host/io/json_fields.h"

namespace qlhost::io {
namespace {

constexpr int kAciWhite = 7;
constexpr int kLastDirectColor = 9;  // palette 1..9 and ACI 1..9 name the same colours

}  // namespace

// Palette 10 to 15 are the darker shades: ACI's half-bright red, yellow, green, cyan, blue
// and magenta.
constexpr int kDarkShades[] = {16, 56, 96, 136, 176, 216};

int PaletteFromAci(int aci) {
    if (aci < 0) aci = -aci;  // a layer that is off keeps its colour negated
    if (aci >= 1 && aci <= kLastDirectColor && aci != kAciWhite) return aci;
    for (int i = 0; i < 6; ++i)
        if (aci == kDarkShades[i]) return 10 + i;
    return 0;
}

int AciFromPalette(int color) {
    if (color >= 1 && color <= kLastDirectColor) return color;
    if (color >= 10 && color <= 15) return kDarkShades[color - 10];
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

namespace {

void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xc0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3f));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xe0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (code & 0x3f));
    } else {
        out += static_cast<char>(0xf0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3f));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (code & 0x3f));
    }
}

}  // namespace

std::string StringFromDxf(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 3, "\\U+") == 0 && i + 7 <= text.size()) {
            uint32_t code = 0;
            bool hex = true;
            for (size_t k = 3; k < 7; ++k) {
                int digit = HexDigit(text[i + k]);
                hex &= digit >= 0;
                code = code * 16 + static_cast<uint32_t>(std::max(digit, 0));
            }
            if (hex && !(code >= 0xd800 && code <= 0xdfff)) {
                AppendUtf8(out, code);
                i += 6;
                continue;
            }
        }
        if (text.compare(i, 2, "%%") == 0 && i + 2 < text.size()) {
            char code = static_cast<char>(text[i + 2] | 0x20);
            const char* symbol = code == 'd' ? "\xc2\xb0" : code == 'p' ? "\xc2\xb1" : code == 'c' ? "\xe2\x8c\x80" : nullptr;
            if (symbol) {
                out += symbol;
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string StringToDxf(const std::string& text) {
    if (!ValidUtf8(text)) return text;
    std::string out;
    char escape[8];
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += text[i++];
            continue;
        }
        size_t extra = c >= 0xf0 ? 3 : c >= 0xe0 ? 2 : 1;
        uint32_t code = c & (extra == 3 ? 0x07 : extra == 2 ? 0x0f : 0x1f);
        for (size_t k = 1; k <= extra; ++k) code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3f);
        i += extra + 1;
        if (code > 0xffff) code = '?';  // beyond what the escape can name
        std::snprintf(escape, sizeof escape, "\\U+%04X", static_cast<unsigned>(code));
        out += escape;
    }
    return out;
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
        case 'U':
            out += "\\U";  // a character escape, read by StringFromDxf afterwards
            break;
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
