// The entity types of the JSON drawing format: names, the field tables of the types with
// fixed layouts, and the helpers the encoder and the decoder share.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/drawing/drawing.h"
#include "host/drawing/layouts.h"
#include "host/drawing/tables.h"
#include "host/io/json_fields.h"

namespace qlhost::io {

constexpr size_t kMaxPoints = 65535;
constexpr size_t kMaxNesting = kMaxMemberDepth;  // member lists inside member lists
constexpr double kDefaultTextHeight = 2.5;
constexpr int kDefaultFont = 1;
constexpr float kDefaultSpacing = 150;
constexpr int kDefaultCurveSteps = 8;
// Path containers keep the arrowhead settings from 32 up to their flags.
static_assert(kArrowBytes == layout::kPathContFlags - layout::kHeaderSize);

enum class Kind { Point, Double, U8, U16, U32, Hex };

struct Field {
    const char* name;
    size_t offset;
    Kind kind;
    size_t size = 0;        // Hex
    bool optional = false;  // zero when absent; written only when not zero
};

// A type whose record has one length and named fields at fixed offsets.
struct FixedType {
    int code;
    uint32_t length;
    std::vector<Field> fields;
};

const FixedType* FixedTypeOf(int code);

// The fixed-layout types written and read without a JSON value per entity: fields all points
// and reals, no dimension style, no member list (points, lines, circles, arcs, ellipses,
// walls).
bool DirectType(const FixedType& fixed);
// Records of the direct types are at most this long.
constexpr size_t kDirectMaxLength = 128;

// Header fields with names of their own; "attrs" carries the remaining header bytes.
struct NamedHeaderField {
    size_t offset;
    size_t width;
};
inline constexpr NamedHeaderField kNamedHeader[] = {
    {kHdrWidth, 1}, {kHdrColor, 4},          {kHdrFillColor, 4},     {layout::kFillStyle, 2},
    {layout::kLineStyle, 2}, {layout::kLayer, 2}, {kHdrFillParam, 4},
};

inline bool IsDimension(int type) { return type >= layout::kDimLinear && type <= layout::kDimRadial; }
// "linear", "angular", "arc", "radial" for types 28 to 31.
const char* DimName(int type);

// The zero-terminated string at offset (cut at the record end; terminated tells whether the
// terminator lies inside the record).
std::string ReadString(const Bytes& record, size_t offset, bool& terminated);
// Writes text and its terminator at offset; the record must have room.
void WriteString(Bytes& record, size_t offset, const std::string& text);
// A zero-filled record of a type and length, the length written at offset 0.
Bytes Sized(int type, size_t length);

}  // namespace qlhost::io
