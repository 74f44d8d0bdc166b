// FreeType behind the host's TrueType services: face cache, Windows logical sizes, and the
// conversion of FreeType outlines into Windows native outline records.
#include "host/fonts/truetype.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>

namespace qlhost {
namespace {

constexpr double kDefaultPixels = 16;  // em height of a logical font of height 0
constexpr double kMaxPixels = 4096;    // larger requests are clamped

struct FreeType {
    FT_Library library = nullptr;
    std::map<std::string, FT_Face> faces;
    FreeType() {
        if (FT_Init_FreeType(&library) != 0) library = nullptr;
    }
    ~FreeType() {
        for (auto& [path, face] : faces)
            if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
};

FreeType& Ft() {
    static FreeType ft;
    return ft;
}

FT_Face FaceOf(const std::string& file) {
    FreeType& ft = Ft();
    if (!ft.library || file.empty()) return nullptr;
    auto it = ft.faces.find(file);
    if (it != ft.faces.end()) return it->second;
    FT_Face face = nullptr;
    if (FT_New_Face(ft.library, file.c_str(), 0, &face) != 0 || !FT_IS_SCALABLE(face)) {
        if (face) FT_Done_Face(face);
        face = nullptr;
    }
    ft.faces[file] = face;
    return face;
}

bool SetSize(FT_Face face, FontSize size) {
    double upem = face->units_per_EM > 0 ? face->units_per_EM : 2048;
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    double cell = os2 && os2->usWinAscent + os2->usWinDescent > 0 ? os2->usWinAscent + os2->usWinDescent
                                                                  : face->ascender - face->descender;
    if (!(cell > 0)) cell = upem;
    double ppemY = size.height > 0 ? size.height * upem / cell : size.height < 0 ? -size.height : kDefaultPixels;
    double avg = os2 && os2->xAvgCharWidth > 0 ? os2->xAvgCharWidth : upem / 2;
    double ppemX = size.width > 0 ? size.width * upem / avg : ppemY;
    ppemX = std::min(std::max(ppemX, 1.0), kMaxPixels);
    ppemY = std::min(std::max(ppemY, 1.0), kMaxPixels);
    return FT_Set_Char_Size(face, std::lround(ppemX * 64), std::lround(ppemY * 64), 72, 72) == 0;
}

bool LoadGlyph(const std::string& file, FontSize size, unsigned code, FT_Face& face) {
    face = FaceOf(file);
    if (!face || !SetSize(face, size)) return false;
    FT_UInt index = FT_Get_Char_Index(face, Cp1252ToUnicode(code & 0xFF));
    return FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) == 0 &&
           face->glyph->format == FT_GLYPH_FORMAT_OUTLINE;
}

void PutFixed(std::vector<unsigned char>& out, FT_Pos v26_6) {
    int32_t fixed = static_cast<int32_t>(v26_6 * 1024);  // 26.6 -> 16.16
    unsigned char b[4];
    std::memcpy(b, &fixed, 4);
    out.insert(out.end(), b, b + 4);
}

void PutPoint(std::vector<unsigned char>& out, FT_Vector p) {
    PutFixed(out, p.x);
    PutFixed(out, p.y);
}

template <typename T>
void PutAt(std::vector<unsigned char>& out, size_t off, T v) {
    std::memcpy(out.data() + off, &v, sizeof v);
}

struct OutlinePoint {
    FT_Vector p;
    int tag;
};

// One contour as a polygon header and its line / spline records.
void AppendContour(const FT_Outline& o, int first, int last, std::vector<unsigned char>& out) {
    int n = last - first + 1;
    if (n < 2) return;
    auto tag = [&](int i) { return FT_CURVE_TAG(o.tags[first + i]); };
    int startIdx = -1;
    for (int i = 0; i < n && startIdx < 0; ++i)
        if (tag(i) == FT_CURVE_TAG_ON) startIdx = i;
    FT_Vector start;
    std::vector<OutlinePoint> seq;
    if (startIdx < 0) {
        FT_Vector a = o.points[last], b = o.points[first];
        start = {(a.x + b.x) / 2, (a.y + b.y) / 2};
        for (int i = 0; i < n; ++i) seq.push_back({o.points[first + i], tag(i)});
    } else {
        start = o.points[first + startIdx];
        for (int k = 1; k < n; ++k) {
            int i = (startIdx + k) % n;
            seq.push_back({o.points[first + i], tag(i)});
        }
    }
    // As GDI does: a contour is closed implicitly; only a spline that ends the contour is
    // given the start point as its final on-curve point.
    if (seq.empty() || seq.back().tag != FT_CURVE_TAG_ON) seq.push_back({start, FT_CURVE_TAG_ON});

    size_t headerAt = out.size();
    out.resize(out.size() + 8);
    PutPoint(out, start);
    for (size_t i = 0; i < seq.size();) {
        int kind = seq[i].tag == FT_CURVE_TAG_ON      ? TT_PRIM_LINE
                   : seq[i].tag == FT_CURVE_TAG_CONIC ? TT_PRIM_QSPLINE
                                                      : TT_PRIM_CSPLINE;
        size_t end = i;
        if (kind == TT_PRIM_LINE) {
            while (end < seq.size() && seq[end].tag == FT_CURVE_TAG_ON) ++end;
        } else {
            while (end < seq.size() && seq[end].tag != FT_CURVE_TAG_ON) ++end;
            if (end < seq.size()) ++end;  // the on-curve point that ends the spline
        }
        size_t count = std::min<size_t>(end - i, 0xFFFF);
        size_t recordAt = out.size();
        out.resize(out.size() + 4);
        PutAt<WORD>(out, recordAt, static_cast<WORD>(kind));
        PutAt<WORD>(out, recordAt + 2, static_cast<WORD>(count));
        for (size_t k = 0; k < count; ++k) PutPoint(out, seq[i + k].p);
        i += count;
    }
    PutAt<DWORD>(out, headerAt, static_cast<DWORD>(out.size() - headerAt));
    PutAt<DWORD>(out, headerAt + 4, static_cast<DWORD>(TT_POLYGON_TYPE));
}

LONG Floor64(FT_Pos v) { return static_cast<LONG>(std::floor(v / 64.0)); }
LONG Ceil64(FT_Pos v) { return static_cast<LONG>(std::ceil(v / 64.0)); }

}  // namespace

uint32_t Cp1252ToUnicode(unsigned code) {
    static const uint16_t k80[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                     0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
    code &= 0xFF;
    return code >= 0x80 && code < 0xA0 ? k80[code - 0x80] : code;
}

std::string TrueTypeFile(const std::string& face, bool bold, bool italic) {
    static std::map<std::string, std::string> found;  // the font folder does not change
    const std::string key = face + (bold ? "\1" : "\0") + (italic ? "\1" : "\0");
    auto it = found.find(key);
    if (it != found.end()) return it->second;
    std::string base;
    for (char c : face)
        if (c != ' ') base += c;
    auto exists = [](const std::string& path) {
        std::error_code error;
        return std::filesystem::is_regular_file(path, error);
    };
    const std::string dir = kTrueTypeDir;
    std::vector<std::string> names;
    for (const std::string& b : {base, std::string("DejaVuSans")}) {
        if (bold && italic) names.insert(names.end(), {b + "-BoldOblique", b + "-BoldItalic"});
        if (bold) names.push_back(b + "-Bold");
        if (italic) names.insert(names.end(), {b + "-Oblique", b + "-Italic"});
        names.push_back(b);
    }
    std::string file;
    for (const std::string& n : names)
        if (!n.empty() && exists(dir + n + ".ttf")) {
            file = dir + n + ".ttf";
            break;
        }
    found[key] = file;
    return file;
}

bool LoadGlyphOutline(const std::string& file, FontSize size, unsigned code, const MAT2* m, GlyphOutline& out) {
    FT_Face face;
    if (!LoadGlyph(file, size, code, face)) return false;
    FT_Outline& outline = face->glyph->outline;
    FT_Vector advance = face->glyph->advance;
    if (m) {
        auto fixed = [](FIXED f) { return static_cast<FT_Fixed>(f.value) * 65536 + f.fract; };
        FT_Matrix matrix{fixed(m->eM11), fixed(m->eM21), fixed(m->eM12), fixed(m->eM22)};
        FT_Outline_Transform(&outline, &matrix);
        FT_Vector_Transform(&advance, &matrix);
    }
    out = GlyphOutline{};
    out.metrics.gmCellIncX = static_cast<short>((advance.x + 32) >> 6);
    out.metrics.gmCellIncY = static_cast<short>((advance.y + 32) >> 6);
    if (outline.n_points == 0) {
        out.metrics.gmBlackBoxX = out.metrics.gmBlackBoxY = 1;
        return true;
    }
    FT_BBox box;
    FT_Outline_Get_CBox(&outline, &box);
    out.metrics.gmptGlyphOrigin = {Floor64(box.xMin), Ceil64(box.yMax)};
    out.metrics.gmBlackBoxX = static_cast<UINT>(std::max<LONG>(1, Ceil64(box.xMax) - Floor64(box.xMin)));
    out.metrics.gmBlackBoxY = static_cast<UINT>(std::max<LONG>(1, Ceil64(box.yMax) - Floor64(box.yMin)));
    int first = 0;
    for (int c = 0; c < outline.n_contours; ++c) {
        int last = outline.contours[c];
        if (last < first || last >= outline.n_points) break;
        AppendContour(outline, first, last, out.native);
        first = last + 1;
    }
    return true;
}

bool GlyphAdvance(const std::string& file, FontSize size, unsigned code, int& advance) {
    FT_Face face;
    if (!LoadGlyph(file, size, code, face)) return false;
    advance = static_cast<int>((face->glyph->advance.x + 32) >> 6);
    return true;
}

}  // namespace qlhost
