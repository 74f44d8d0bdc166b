// Packed entity records and settings tables: little-endian fields at any offset, read and
// written through memcpy into locals (never through cast pointers), named offsets of every
// layout the plug-in uses, record builders that always set the true total length, and
// bounded access to strings and table entries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/host_api.h"

// ---------------------------------------------------------------------------------------
// Field access. Every record pointer is a plain byte pointer; offsets are record offsets.

namespace recdetail {
template <typename T>
inline T Load(const void* record, size_t offset) {
    T value;
    std::memcpy(&value, static_cast<const unsigned char*>(record) + offset, sizeof value);
    return value;
}
template <typename T>
inline void Store(void* record, size_t offset, T value) {
    std::memcpy(static_cast<unsigned char*>(record) + offset, &value, sizeof value);
}
}  // namespace recdetail

inline uint8_t GetU8(const void* r, size_t o) { return recdetail::Load<uint8_t>(r, o); }
inline int8_t GetI8(const void* r, size_t o) { return recdetail::Load<int8_t>(r, o); }
inline uint16_t GetU16(const void* r, size_t o) { return recdetail::Load<uint16_t>(r, o); }
inline int16_t GetI16(const void* r, size_t o) { return recdetail::Load<int16_t>(r, o); }
inline uint32_t GetU32(const void* r, size_t o) { return recdetail::Load<uint32_t>(r, o); }
inline int32_t GetI32(const void* r, size_t o) { return recdetail::Load<int32_t>(r, o); }
inline float GetF32(const void* r, size_t o) { return recdetail::Load<float>(r, o); }
inline double GetF64(const void* r, size_t o) { return recdetail::Load<double>(r, o); }

inline void PutU8(void* r, size_t o, uint8_t v) { recdetail::Store(r, o, v); }
inline void PutI8(void* r, size_t o, int8_t v) { recdetail::Store(r, o, v); }
inline void PutU16(void* r, size_t o, uint16_t v) { recdetail::Store(r, o, v); }
inline void PutI16(void* r, size_t o, int16_t v) { recdetail::Store(r, o, v); }
inline void PutU32(void* r, size_t o, uint32_t v) { recdetail::Store(r, o, v); }
inline void PutI32(void* r, size_t o, int32_t v) { recdetail::Store(r, o, v); }
inline void PutF32(void* r, size_t o, float v) { recdetail::Store(r, o, v); }
inline void PutF64(void* r, size_t o, double v) { recdetail::Store(r, o, v); }

// A 2-D point is two doubles (x, y) one after the other; a 3-D point three.
inline void GetPoint(const void* r, size_t o, double* point) {
    point[0] = GetF64(r, o);
    point[1] = GetF64(r, o + 8);
}
inline void PutPoint(void* r, size_t o, const double* point) {
    PutF64(r, o, point[0]);
    PutF64(r, o + 8, point[1]);
}
inline void PutPoint(void* r, size_t o, double x, double y) {
    PutF64(r, o, x);
    PutF64(r, o + 8, y);
}

// ---------------------------------------------------------------------------------------
// Common header (first 32 bytes of every record).

constexpr size_t kRecLength = 0;      // 32-bit total length, header included
constexpr size_t kRecType = 4;        // 8-bit type code
constexpr size_t kRecAttr5 = 5;       // 8-bit signed attribute
constexpr size_t kRecAttr6 = 6;       // 32-bit attribute
constexpr size_t kRecAttr10 = 10;     // 32-bit attribute
constexpr size_t kRecFillStyle = 14;  // 16-bit fill style number
constexpr size_t kRecLineStyle = 16;  // 16-bit line style number
constexpr size_t kRecLayer = 20;      // 16-bit layer number
constexpr size_t kRecAttr22 = 22;     // 32-bit attribute
constexpr size_t kRecHeaderSize = 32;

inline uint32_t RecordLength(const void* r) { return GetU32(r, kRecLength); }
inline int RecordType(const void* r) { return GetU8(r, kRecType); }
inline int RecordLayer(const void* r) { return GetU16(r, kRecLayer); }

// Entity type codes.
enum EntityType : uint8_t {
    ET_POINT = 1,
    ET_LINE = 2,
    ET_PATH = 3,
    ET_POLYGON = 4,
    ET_TEXT = 5,
    ET_CIRCLE = 6,
    ET_ARC = 7,
    ET_ELLIPSE = 8,
    ET_ELLIPSE_ARC = 9,
    ET_GROUP = 10,
    ET_TYPE11 = 11,
    ET_SYMBOL = 12,
    ET_FILLED = 13,
    ET_CURVE = 26,
    ET_CLOSED_CURVE = 27,
    ET_DIM_FIRST = 28,
    ET_DIM_ARC = 30,
    ET_DIM_LAST = 31,
    ET_TEXT_BEARING = 33,
    ET_PATH_CONTAINER = 34,
    ET_CONTAINER = 36,
    ET_ATTRIBUTE = 37,
    ET_WALL = 38,
    ET_BEZIER = 45,
};

// Line (type 2).
constexpr size_t kLineStart = 32;
constexpr size_t kLineEnd = 48;
constexpr uint32_t kLineSize = 64;

// Path and polygon (types 3 and 4); a box is a polygon of 5 vertices, the last the first.
constexpr size_t kPolyCount = 32;     // 16-bit vertex count
constexpr size_t kPolyVertices = 34;  // vertices, 16 bytes each
constexpr size_t kPolyVertexSize = 16;
constexpr uint32_t kPolyMaxVertices = 0xFFFF;
constexpr uint32_t PolySize(uint32_t count) { return 34 + 16 * count; }
constexpr size_t PolyVertex(uint32_t index) { return kPolyVertices + kPolyVertexSize * index; }

// Text (type 5): data part 32..103 (72 bytes), style block 81..103 (23 bytes), string at 104.
constexpr size_t kTextData = 32;
constexpr size_t kTextDataSize = 72;
constexpr size_t kTextX = 32;
constexpr size_t kTextY = 40;
constexpr size_t kTextLayout = 80;       // 8-bit, 0 whenever the plug-in writes the text
constexpr size_t kTextStyleBlock = 81;
constexpr size_t kTextStyleBlockSize = 23;
constexpr size_t kTextStyleNumber = 81;  // 16-bit
constexpr size_t kTextHeight = 83;       // float
constexpr size_t kTextWidth = 87;        // float width factor
constexpr size_t kTextAngle = 91;        // float radians
constexpr size_t kTextSpacing = 95;      // float line spacing
constexpr size_t kTextFont = 99;         // 16-bit font number
constexpr size_t kTextFlags = 101;       // 8-bit style flags
constexpr size_t kTextByte102 = 102;     // copied, not interpreted
constexpr size_t kTextJustify = 103;     // 8-bit justification 0..20
constexpr size_t kTextString = 104;
constexpr uint32_t TextSize(size_t stringLength) { return static_cast<uint32_t>(stringLength + 105); }

// Style flags of byte 101.
constexpr uint8_t kTextOutline = 0x04;
constexpr uint8_t kTextBold = 0x10;
constexpr uint8_t kTextItalic = 0x20;
constexpr uint8_t kTextUnderline = 0x40;
constexpr uint8_t kTextStrikeOut = 0x80;

// The same fields relative to the start of a text data part (for types 33 and 37, whose data
// parts start at 64 and 46, and for the painters' DrawTextData, whose string is at +72).
constexpr size_t kTdX = 0;
constexpr size_t kTdY = 8;
constexpr size_t kTdLayout = 48;
constexpr size_t kTdStyleBlock = 49;
constexpr size_t kTdStyleNumber = 49;
constexpr size_t kTdHeight = 51;
constexpr size_t kTdWidth = 55;
constexpr size_t kTdAngle = 59;
constexpr size_t kTdSpacing = 63;
constexpr size_t kTdFont = 67;
constexpr size_t kTdFlags = 69;
constexpr size_t kTdByte70 = 70;
constexpr size_t kTdJustify = 71;
constexpr size_t kTdString = 72;

// Circle (type 6).
constexpr size_t kCircleCentre = 32;
constexpr size_t kCircleRadius = 48;
constexpr uint32_t kCircleSize = 56;

// Arc (type 7); doubles.
constexpr size_t kArcCentre = 32;
constexpr size_t kArcRadius = 48;
constexpr size_t kArcStart = 56;
constexpr size_t kArcSweep = 64;
constexpr uint32_t kArcSize = 72;

// Group (10) and filled container (13): no data of their own.
constexpr uint32_t kGroupSize = 32;

// Symbol reference (type 12): 32-bit definition handle, 3 x 4 matrix of doubles, name.
constexpr size_t kSymDefinition = 32;
constexpr size_t kSymMatrix = 36;
constexpr size_t kSymMatrixSize = 96;
constexpr size_t kSymTranslateX = 60;
constexpr size_t kSymTranslateY = 92;
constexpr size_t kSymName = 132;
// In the symbol definition: its base point.
constexpr size_t kSymDefBaseX = 36;
constexpr size_t kSymDefBaseY = 44;

// Dimensions (types 28 to 31): the 116-byte style block at 32, its first 16-bit value the
// style number.
constexpr size_t kDimStyle = 32;
constexpr size_t kDimStyleSize = 116;
constexpr size_t kDimGeometry = 148;
constexpr uint32_t kDimArcSize = 231;

// Text-bearing entity (type 33): data part 64..135, layout byte 112, string at 136.
constexpr size_t kTbData = 64;
constexpr size_t kTbLayout = 112;
constexpr size_t kTbString = 136;
constexpr uint32_t TextBearingSize(size_t stringLength) { return static_cast<uint32_t>(stringLength + 137); }

// Containers: type 34 flags at 42, type 36 flags at 32 (value 2: reorder inside it).
constexpr size_t kPathContainerFlags = 42;
constexpr size_t kContainerFlags = 32;
constexpr uint32_t kContainerReorder = 2;

// Attribute (type 37).
constexpr size_t kAttrFlags = 32;         // 16-bit; value 8: position used as stored
constexpr size_t kAttrVariable1 = 34;     // 32-bit offset of a part after the string
constexpr size_t kAttrVariable2 = 38;     // 32-bit offset of a second such part
constexpr size_t kAttrStringOffset = 42;  // 32-bit offset of the string, 0 = none
constexpr size_t kAttrData = 46;          // data part 46..117
constexpr size_t kAttrLayout = 94;
constexpr size_t kAttrStyleBlock = 95;
constexpr size_t kAttrNewString = 118;    // where a string that is added goes
constexpr uint16_t kAttrKeepPosition = 8;

// ---------------------------------------------------------------------------------------
// Settings tables (GetTemplate kinds 4, 5, 7, 9, 10; fonts 8).

constexpr size_t kTblCurrentNumber = 9;   // 16-bit number of the current entry
constexpr size_t kTblCurrentOffset = 11;  // 32-bit offset of the current entry
constexpr size_t kTblEntries = 15;        // first entry
constexpr size_t kTblLineStyleEntries = 19;
constexpr size_t kEntryLength = 0;        // 32-bit entry length, 0 ends the table
constexpr size_t kEntryData = 4;
constexpr size_t kEntryNumber = 4;        // 16-bit: the first value of the entry data

// Layer entries (kind 4) and GetCurLayer / FindLayerID records.
constexpr size_t kLayerNumber = 4;
constexpr size_t kLayerFlags = 8;  // 32-bit
constexpr size_t kLayerName = 12;
constexpr uint32_t kLayerHidden = 1;
constexpr uint32_t kLayerFrozen = 2;

// Fill style entries (kind 5) and line style entries (kind 7).
constexpr size_t kFillStyleKind = 6;
constexpr size_t kFillStyleName = 9;
constexpr size_t kLineStyleName = 9;

// Font entries (kind 8).
constexpr size_t kFontNumber = 4;
constexpr size_t kFontKind = 6;
constexpr size_t kFontName = 16;

// The current text style's height: a float 2 bytes into the style block.
constexpr size_t kStyleBlockHeight = 2;

// Current attribute settings (kind 0): the fields the plug-in writes.
constexpr size_t kAttrSet6 = 8;
constexpr size_t kAttrSet5 = 116;
constexpr size_t kAttrSet10 = 117;
constexpr size_t kAttrSet22 = 121;
constexpr size_t kAttrSet5Float = 165;
constexpr size_t kAttrSetArrowLength = 201;
constexpr size_t kAttrSetArrowHeight = 205;

// Walk bounds: the host tables carry no total length, so a walk stops at a sane limit.
constexpr size_t kMaxTableEntries = 65536;
constexpr uint32_t kMaxTableEntryLength = 1u << 20;

// Calls proc(entry) for each entry from byte `first` until an entry length of 0 or a stop
// (proc returns true). Returns the entry that stopped it, or null. Entries of an impossible
// length end the walk.
template <typename Proc>
const unsigned char* ForEachTableEntry(const unsigned char* table, size_t first, Proc proc) {
    if (table == nullptr) return nullptr;
    const unsigned char* entry = table + first;
    for (size_t i = 0; i < kMaxTableEntries; ++i) {
        uint32_t length = GetU32(entry, kEntryLength);
        if (length == 0 || length < kEntryData + 2 || length > kMaxTableEntryLength) return nullptr;
        if (proc(entry)) return entry;
        entry += length;
    }
    return nullptr;
}

// The entry of a table with the given number, or null.
const unsigned char* FindTableEntry(const unsigned char* table, size_t first, int number);

// The current entry's data (table start + current offset + 4), or null without a table or
// when no listed entry starts at the current offset.
const unsigned char* CurrentTableData(const unsigned char* table);

// Zero-terminated name inside an entry or record, at most maxLength bytes.
std::string_view BoundedName(const unsigned char* base, size_t offset, size_t maxLength);

// ---------------------------------------------------------------------------------------
// Extent record and intersection points.

inline void ResetExtent(ExtentRec& extent) { std::memset(&extent, 0, sizeof extent); }

// Point i of a FindAllInts array: three doubles each; x and y into point.
inline void IntersectionPoint(const double* points, int i, double* point) {
    point[0] = points[3 * i];
    point[1] = points[3 * i + 1];
}

// ---------------------------------------------------------------------------------------
// Strings in records, never read past the record's length.

// The zero-terminated string starting at offset, cut at the record's length.
std::string_view RecordString(const EntRec* record, size_t offset);

// The string of a text (5), text-bearing entity (33) or attribute (37); empty for other
// types, for an attribute without a string, or for an offset outside the record.
std::string_view EntityText(const EntRec* record);

// ---------------------------------------------------------------------------------------
// Building records. A RecordBuffer owns one zero-filled record whose length field always
// equals its size.

class RecordBuffer {
public:
    RecordBuffer() = default;
    RecordBuffer(int type, uint32_t length);
    // Copies a record of the given length (the length field is set to it).
    RecordBuffer(const EntRec* record, uint32_t length);

    EntRec* data() { return bytes_.data(); }
    const EntRec* data() const { return bytes_.data(); }
    uint32_t size() const { return static_cast<uint32_t>(bytes_.size()); }
    bool empty() const { return bytes_.empty(); }

    // Grows (zero-filled) or shrinks the record and updates its length field.
    void Resize(uint32_t length);

private:
    std::vector<unsigned char> bytes_;
};

RecordBuffer BuildLine(const double* start, const double* end);
// Path (type 3) or polygon (type 4) from count points (two doubles each); empty when the
// count does not fit the 16-bit vertex count.
RecordBuffer BuildPolyline(int type, const double* points, size_t count);
RecordBuffer BuildPath(const double* points, size_t count);
RecordBuffer BuildPolygon(const double* points, size_t count);
// Axis-parallel box: a polygon of 5 vertices, the last equal to the first.
RecordBuffer BuildBox(double x1, double y1, double x2, double y2);
RecordBuffer BuildCircle(const double* centre, double radius);
RecordBuffer BuildArc(const double* centre, double radius, double start, double sweep);
// Group (type 10) or filled container (13): the header only.
RecordBuffer BuildGroup(int type = ET_GROUP);
// Text from a 72-byte data part (layout byte cleared) and a string (cut at its first NUL).
RecordBuffer BuildText(const unsigned char* dataPart, std::string_view string);
// Text with the given placement: width factor 1, line spacing 150, no style number.
RecordBuffer BuildTextAt(double x, double y, double height, double angle, int justification,
                         int font, std::string_view string);
