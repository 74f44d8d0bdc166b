// Stroke font explode: the font file's steps become lines and arcs, placed by the text's
// height, angle and origin. The width factor is not applied, as LenText2 does not apply it.
#include "text/explode.h"

namespace {

constexpr unsigned char kEndOfCharacter = 255;
constexpr unsigned kHighBit = 0x80;
constexpr unsigned kLowBits = 0x7F;
constexpr double kStrokePi = 3.14159265;  // the font format's own value
constexpr double kStrokeAngleUnit = kStrokePi / 128;
constexpr int kFullTurnUnits = 256;
constexpr size_t kArcBytes = 3;  // r, s, e after the two step bytes

std::string_view TextString(const RecordBuffer& text) { return RecordString(text.data(), kTextString); }

// Copies the text's attributes, transforms the piece and stores it as a new, selected entity.
void AddPiece(DList* list, const RecordBuffer& text, RecordBuffer& piece, const double* matrix) {
    CopyCStuff(text.data(), piece.data());
    EntRec* placed = ETran(piece.data(), matrix);
    EntRec* stored = AddEntity(list, placed);
    if (stored == nullptr) return;
    EDraw(0, stored);
    MarkEntity(list, stored);
    SetNewTag(stored);
}

}  // namespace

bool StrokeFontFile::Usable() const {
    return data_ != nullptr && size_ >= kStrokeHeaderSize && data_[0] == kStrokeFormat && DesignHeight() > 0;
}

bool StrokeFontFile::Character(unsigned char c, std::vector<StrokePiece>& pieces) const {
    pieces.clear();
    const int offset = Int16(kStrokeOffsets + 2 * size_t{c});
    if (offset < 0) return false;
    double pen[2] = {0, static_cast<double>(BaseOffset())};
    // Every step moves forward, so the walk ends at the end marker or at the file's end.
    for (size_t at = static_cast<size_t>(offset);;) {
        if (at >= size_) break;
        const unsigned a = data_[at];
        if (a == kEndOfCharacter) return true;
        if (at + 1 >= size_) break;
        const unsigned b = data_[at + 1];
        at += 2;
        const double x = a & kLowBits;
        const double y = b & kLowBits;
        if (b >= kHighBit) {
            if (at + kArcBytes > size_) break;
            const int r = data_[at], s = data_[at + 1], e = data_[at + 2];
            at += kArcBytes;
            int span = e - s;
            if (span < 0) span += kFullTurnUnits;
            StrokePiece arc;
            arc.arc = true;
            arc.a[0] = x;
            arc.a[1] = y;
            arc.radius = r & kLowBits;
            arc.start = s * kStrokeAngleUnit;
            arc.sweep = span * kStrokeAngleUnit;
            pieces.push_back(arc);
        } else if (a >= kHighBit) {
            StrokePiece line;
            line.a[0] = pen[0];
            line.a[1] = pen[1];
            line.b[0] = x;
            line.b[1] = y;
            pieces.push_back(line);
        }
        pen[0] = x;
        pen[1] = y;
    }
    pieces.clear();
    return false;
}

void ExplodeWithStrokeFont(DList* list, const RecordBuffer& text, const StrokeFontFile& font,
                           const double* origin) {
    const double height = GetF32(text.data(), kTextHeight);
    const double scale = height / font.DesignHeight();
    CTMPSH();
    CTMI2();
    CTMT2(0, -font.BaseOffset());
    CTMS2(scale, scale);
    CTMR2(GetF32(text.data(), kTextAngle));
    CTMT2(origin[0], origin[1]);
    HostMatrix matrix;
    STCTM(matrix);

    double advance = 0;
    std::vector<StrokePiece> pieces;
    for (const char ch : TextString(text)) {
        const unsigned char c = static_cast<unsigned char>(ch);
        // A character whose steps run off the file adds nothing but keeps its width.
        font.Character(c, pieces);
        for (const StrokePiece& p : pieces) {
            if (p.arc) {
                const double centre[2] = {p.a[0] + advance, p.a[1]};
                RecordBuffer arc = BuildArc(centre, p.radius, p.start, p.sweep);
                AddPiece(list, text, arc, matrix);
            } else {
                const double start[2] = {p.a[0] + advance, p.a[1]};
                const double end[2] = {p.b[0] + advance, p.b[1]};
                RecordBuffer line = BuildLine(start, end);
                AddPiece(list, text, line, matrix);
            }
        }
        advance += font.Advance(c) + font.ExtraSpacing();
    }
    CTMPOP();
}
