// The host's stroke fonts (files "<name>.fnt"): advance widths, design height, base offset,
// extra spacing and per-character steps of lines, moves and arcs.
#pragma once

#include <string>
#include <vector>

#include "host/geometry/vec2.h"

namespace qlhost {

// Layout of a stroke font file.
constexpr size_t kStrokeMarker = 0;         // byte: must be 2
constexpr unsigned char kStrokeFormat = 2;
constexpr size_t kStrokeOffsets = 256;      // 256 signed 16-bit offsets from the file start
constexpr size_t kStrokeDesignHeight = 768; // signed 16-bit
constexpr size_t kStrokeBaseOffset = 772;   // signed 16-bit
constexpr size_t kStrokeSpacing = 776;      // signed 16-bit
constexpr size_t kStrokeHeaderSize = 780;
constexpr double kStrokePi = 3.14159265;    // the font format's own value of pi

// One drawn stroke in font units (x from the character's left edge, y as stored).
struct Stroke {
    bool arc = false;
    Pt a, b;                      // line
    Pt centre;                    // arc
    double radius = 0, start = 0, sweep = 0;
};

class StrokeFont {
public:
    explicit StrokeFont(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}
    // Non-empty and starting with the format marker.
    bool Valid() const;
    int Advance(unsigned char c) const;   // signed advance width (0 for code 0)
    int DesignHeight() const;
    int BaseOffset() const;
    int ExtraSpacing() const;
    // The strokes of a character; steps running past the file end are dropped.
    std::vector<Stroke> Strokes(unsigned char c) const;

private:
    int Int16(size_t off) const;
    std::vector<unsigned char> bytes_;
};

// The stroke font of a name as LoadFile finds "#name" (cached); null when there is no
// valid font file.
const StrokeFont* FindStrokeFont(const std::string& name);
// Forgets the cached fonts (a test or script changed the folders).
void ClearStrokeFonts();

}  // namespace qlhost
