// Glyphs through GDI: one memory device context, logical fonts cached by face, style and size.
#include "host/win/native_glyphs.h"

#include <windows.h>

#include <cstring>
#include <map>
#include <tuple>

namespace qlhost::win {
namespace {

using FontKey = std::tuple<std::string, bool, bool, long, long>;

struct Gdi {
    HDC dc = CreateCompatibleDC(nullptr);
    std::map<FontKey, HFONT> fonts;
    ~Gdi() {
        for (auto& [key, font] : fonts) DeleteObject(font);
        if (dc) DeleteDC(dc);
    }
};

Gdi& Context() {
    static Gdi gdi;
    return gdi;
}

HFONT FontOf(const GlyphRequest& r) {
    Gdi& gdi = Context();
    const FontKey key{r.face, r.bold, r.italic, r.height, r.width};
    auto it = gdi.fonts.find(key);
    if (it != gdi.fonts.end()) return it->second;
    LOGFONTA lf{};
    lf.lfHeight = r.height;
    lf.lfWidth = r.width;
    lf.lfWeight = r.bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = r.italic ? 1 : 0;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    std::strncpy(lf.lfFaceName, r.face.c_str(), sizeof lf.lfFaceName - 1);
    HFONT font = CreateFontIndirectA(&lf);
    gdi.fonts[key] = font;
    return font;
}

// Selects the request's font into the context DC and runs GetGlyphOutlineA.
DWORD Outline(const GlyphRequest& r, GLYPHMETRICS& gm, DWORD size, void* buffer) {
    Gdi& gdi = Context();
    HFONT font = FontOf(r);
    if (!gdi.dc || !font) return GDI_ERROR;
    SelectObject(gdi.dc, font);
    MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    MAT2 m = identity;
    if (r.matrix) std::memcpy(&m, r.matrix, sizeof m);
    return GetGlyphOutlineA(gdi.dc, r.code & 0xFF, GGO_NATIVE | GGO_UNHINTED, &gm, size, buffer, &m);
}

int CALLBACK FoundFace(const LOGFONTA*, const TEXTMETRICA*, DWORD type, LPARAM found) {
    if (type & TRUETYPE_FONTTYPE) *reinterpret_cast<bool*>(found) = true;
    return 1;
}

}  // namespace

bool FaceInstalled(const std::string& face) {
    Gdi& gdi = Context();
    if (!gdi.dc || face.empty() || face.size() >= LF_FACESIZE) return false;
    LOGFONTA lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    std::strncpy(lf.lfFaceName, face.c_str(), sizeof lf.lfFaceName - 1);
    bool found = false;
    EnumFontFamiliesExA(gdi.dc, &lf, FoundFace, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

bool AddPrivateFont(const std::string& file) { return AddFontResourceExA(file.c_str(), FR_PRIVATE, nullptr) > 0; }

bool GlyphOutline(const GlyphRequest& request, unsigned char (&metrics)[20], std::vector<unsigned char>& native) {
    static_assert(sizeof(GLYPHMETRICS) == sizeof metrics);
    GLYPHMETRICS gm{};
    const DWORD size = Outline(request, gm, 0, nullptr);
    if (size == GDI_ERROR) return false;
    native.assign(size, 0);
    if (size > 0 && Outline(request, gm, size, native.data()) == GDI_ERROR) return false;
    std::memcpy(metrics, &gm, sizeof gm);
    return true;
}

bool GlyphAdvance(const GlyphRequest& request, int& advance) {
    GLYPHMETRICS gm{};
    GlyphRequest plain = request;
    plain.matrix = nullptr;
    if (Outline(plain, gm, 0, nullptr) == GDI_ERROR) return false;
    advance = gm.gmCellIncX;
    return true;
}

}  // namespace qlhost::win
