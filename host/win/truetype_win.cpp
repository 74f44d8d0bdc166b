// The host's TrueType services on Windows: the system's fonts through GDI in place of
// FreeType. A "file" here names a GDI font: the face and style asked of CreateFontIndirectA.
#include <cstring>
#include <map>

#include "host/fonts/truetype.h"
#include "host/win/native_glyphs.h"

namespace qlhost {
namespace {

struct Face {
    std::string name;
    bool bold = false;
    bool italic = false;
};

std::map<std::string, Face>& Faces() {
    static std::map<std::string, Face> faces;
    return faces;
}

bool FaceOf(const std::string& file, FontSize size, unsigned code, const MAT2* m, win::GlyphRequest& request) {
    auto it = Faces().find(file);
    if (it == Faces().end()) return false;
    request = win::GlyphRequest{it->second.name, it->second.bold, it->second.italic, size.height, size.width,
                                code & 0xFF, m};
    return true;
}

}  // namespace

std::string TrueTypeFile(const std::string& face, bool bold, bool italic) {
    static std::map<std::string, std::string> found;  // the installed fonts do not change
    const std::string key = face + (bold ? "\1" : "\0") + (italic ? "\1" : "\0");
    auto it = found.find(key);
    if (it != found.end()) return it->second;
    std::string file;
    for (const std::string& name : {face, std::string("DejaVu Sans")})
        if (win::FaceInstalled(name)) {
            file = "gdi:" + name + (bold ? ":bold" : "") + (italic ? ":italic" : "");
            Faces()[file] = Face{name, bold, italic};
            break;
        }
    found[key] = file;
    return file;
}

bool LoadGlyphOutline(const std::string& file, FontSize size, unsigned code, const MAT2* m, GlyphOutline& out) {
    win::GlyphRequest request;
    if (!FaceOf(file, size, code, m, request)) return false;
    unsigned char metrics[20];
    GlyphOutline glyph;
    if (!win::GlyphOutline(request, metrics, glyph.native)) return false;
    static_assert(sizeof glyph.metrics == sizeof metrics);
    std::memcpy(&glyph.metrics, metrics, sizeof metrics);
    out = std::move(glyph);
    return true;
}

bool GlyphAdvance(const std::string& file, FontSize size, unsigned code, int& advance) {
    win::GlyphRequest request;
    return FaceOf(file, size, code, nullptr, request) && win::GlyphAdvance(request, advance);
}

}  // namespace qlhost
