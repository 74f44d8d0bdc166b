// Text explode to outlines (QLTEXTEXPL): the readers of the two font sources and the two
// explode paths. Texts in the host's stroke fonts become lines and arcs read from the font
// file; texts in TrueType fonts become glyph containers of outline paths and curves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/host_api.h"
#include "core/records.h"

// ---------------------------------------------------------------------------------------
// Stroke font files ("#" + font name, read through LoadFile). Every read is bounded by the
// loaded size.

constexpr size_t kStrokeOffsets = 256;       // 256 signed 16-bit offsets of the step lists
constexpr size_t kStrokeDesignHeight = 768;  // signed 16-bit
constexpr size_t kStrokeBaseOffset = 772;    // signed 16-bit
constexpr size_t kStrokeSpacing = 776;       // signed 16-bit
constexpr size_t kStrokeHeaderSize = 778;    // the header ends with the spacing field
constexpr unsigned char kStrokeFormat = 2;   // byte 0

// One drawn piece of a character in font units (x from the character's left edge).
struct StrokePiece {
    bool arc = false;
    double a[2] = {0, 0};  // line start, or the arc's centre
    double b[2] = {0, 0};  // line end
    double radius = 0, start = 0, sweep = 0;
};

class StrokeFontFile {
public:
    StrokeFontFile(const unsigned char* data, size_t size) : data_(data), size_(size) {}
    // Long enough for its header, marked as the known format, and of a positive design height.
    bool Usable() const;
    int Advance(unsigned char c) const { return static_cast<signed char>(data_[c]); }
    int DesignHeight() const { return Int16(kStrokeDesignHeight); }
    int BaseOffset() const { return Int16(kStrokeBaseOffset); }
    int ExtraSpacing() const { return Int16(kStrokeSpacing); }
    // The pieces of a character; false (and no pieces) when its steps run off the file.
    bool Character(unsigned char c, std::vector<StrokePiece>& pieces) const;

private:
    int Int16(size_t offset) const { return offset + 2 <= size_ ? GetI16(data_, offset) : 0; }
    const unsigned char* data_;
    size_t size_;
};

// ---------------------------------------------------------------------------------------
// Native glyph outlines (GetGlyphOutlineA format 2).

// One curve record: its points (x, y pairs, in pixels of the explode font).
struct OutlineCurve {
    bool quadratic = false;
    std::vector<double> points;
};

struct OutlinePolygon {
    double start[2] = {0, 0};
    std::vector<OutlineCurve> curves;
};

// Reads a native outline buffer: polygon headers of type 24, each filled exactly by curve
// records of at least one point. False for data that does not fit that form.
bool ReadGlyphOutline(const unsigned char* data, size_t size, std::vector<OutlinePolygon>& polygons);

// ---------------------------------------------------------------------------------------
// The explode paths. text is a copy of the text record (string within its length); the new
// entities go into list and carry the text's attributes.

// Where the text's characters start: the position, moved back along the angle by half the
// length (justification 1) or the whole length (2) (LenText2 of the stored text).
void ExplodeOrigin(EntRec* stored, const RecordBuffer& text, double* origin);

void ExplodeWithStrokeFont(DList* list, const RecordBuffer& text, const StrokeFontFile& font,
                           const double* origin);

// The logical font of the TrueType explode selected into a device context of the main window.
struct ExplodeFont {
    HFONT font = nullptr;
    HDC dc = nullptr;
    HGDIOBJ previous = nullptr;
};
// Creates the font for the text's style flags and face; false when it cannot be created or
// selected (nothing is left open).
bool OpenExplodeFont(const RecordBuffer& text, std::string_view face, ExplodeFont& font);
// Restores the previous font, releases the device context and deletes the font.
void CloseExplodeFont(ExplodeFont& font);
// Adds one glyph container (fill style 1) to group: per polygon one part per curve record,
// each starting at the end of the one before, moved by pen and placed by matrix, and a
// closing part when the placed outline does not come back to its start.
void AddGlyphContainer(DList* group, const RecordBuffer& text, const std::vector<OutlinePolygon>& polygons,
                       const double* pen, const double* matrix);
// Adds the text's group of glyph containers to list; false when the group cannot be added.
bool ExplodeWithTrueType(DList* list, const RecordBuffer& text, HDC dc, const double* origin);
