// The settings tables of the reference host: default content and bounds-checked access to
// their packed form (16-bit current entry number at 9, 32-bit offset of the current entry at
// 11, entries from 15 (line styles 19), each a 32-bit length (0 ends) and data whose first
// 16-bit value is the entry number).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/drawing/drawing.h"

namespace qlhost {

using Table = std::vector<unsigned char>;

// Table form.
constexpr size_t kTableCurrentNumber = 9;   // 16-bit
constexpr size_t kTableCurrentOffset = 11;  // 32-bit, from the table start
constexpr size_t kTableEntries = 15;
constexpr size_t kLineStyleEntries = 19;
constexpr size_t kEntryNumber = 4;  // 16-bit, in every entry

// Layer entries (kind 4).
constexpr size_t kLayerFlags = 8;  // 32-bit
constexpr size_t kLayerName = 12;
constexpr uint32_t kLayerHidden = 1;
constexpr uint32_t kLayerFrozen = 2;

// Fill style entries (kind 5) and line style entries (kind 7).
constexpr size_t kStyleKind = 6;           // fill styles: 0 none, 1 solid, 3 hatch pattern
constexpr size_t kStylePatternOffset = 7;  // fill styles: offset of the pattern data in the entry
constexpr size_t kStyleName = 9;
constexpr int kFillNone = 0;
constexpr int kFillSolid = 1;
constexpr int kFillPattern = 3;

// Font entries (kind 8).
constexpr size_t kFontKind = 6;  // 0 stroke, 1 TrueType, 2 other
constexpr size_t kFontName = 16;

// Style blocks of the text (kind 10) and dimension (kind 9) tables.
constexpr size_t kTextStyleSize = 23;
constexpr size_t kTextStyleHeight = 2;  // float
constexpr size_t kDimStyleSize = 116;
// Dimension style floats by index (byte 4 x index in the block).
constexpr int kDimExtendPastText = 1;
constexpr int kDimOffsetDimPoint = 2;
constexpr int kDimBaselineSpacing = 5;
constexpr int kDimArrowLength = 7;
constexpr int kDimArrowHeight = 8;
constexpr int kDimTextHeight = 10;

// Attribute settings record (kind 0) and the header fields it feeds.
constexpr size_t kAttributesSize = 256;
constexpr size_t kAttrColor = 8;          // 32-bit, entity header 6
constexpr size_t kAttrWidth = 116;        // 8-bit signed, entity header 5
constexpr size_t kAttrFillColor = 117;    // 32-bit, entity header 10
constexpr size_t kAttrFillParam = 121;    // 32-bit, entity header 22
constexpr size_t kAttrWidthFloat = 165;   // float, the width again
constexpr size_t kAttrArrowLength = 201;  // float
constexpr size_t kAttrArrowHeight = 205;  // float
// The arrowhead settings, attribute settings 201..210, as path containers keep them at 32..41.
constexpr size_t kArrowBytes = 10;

// Entity header fields.
constexpr size_t kHdrWidth = 5;
constexpr size_t kHdrColor = 6;
constexpr size_t kHdrFillColor = 10;
constexpr size_t kHdrFillStyle = 14;
constexpr size_t kHdrLineStyle = 16;
constexpr size_t kHdrLayer = 20;
constexpr size_t kHdrFillParam = 22;

// Builds every default table into tables (replacing what was there).
void BuildDefaultTables(Tables& tables);

// The table of a GetTemplate kind, or null for other kinds.
Table* TableOfKind(Tables& tables, int kind);
const Table* TableOfKind(const Tables& tables, int kind);
// Offset of the first entry of a settings table kind (15, or 19 for line styles).
size_t FirstEntryOffset(int kind);

// One entry of a table: its offset from the table start and its length (length field included).
struct TableEntry {
    size_t offset;
    uint32_t length;
};
// Every entry from first up to the zero length, stopping at the first entry that does not
// fit in the table.
std::vector<TableEntry> TableEntries(const Table& table, size_t first);

int EntryNumber(const Table& table, const TableEntry& entry);
// The zero-terminated text at nameOffset inside the entry (cut at the entry end).
std::string EntryText(const Table& table, const TableEntry& entry, size_t nameOffset);

// Entry lookups; null when absent. Names compare without regard to case.
unsigned char* FindEntryByNumber(Table& table, size_t first, int number);
unsigned char* FindEntryByName(Table& table, size_t first, size_t nameOffset,
                               std::string_view name);

// Current entry: number at 9 and its offset at 11.
int CurrentEntryNumber(const Table& table);
// The current entry (checked against the entries), or null.
unsigned char* CurrentEntry(Table& table, size_t first);
// Makes the entry of a number current; false when there is no such entry.
bool SetCurrentEntry(Table& table, size_t first, int number);

// Appends an entry (data starting with its 16-bit number) before the terminator. Pointers
// into the table are invalid afterwards.
void AppendEntry(Table& table, const std::vector<unsigned char>& data,
                 size_t first = kTableEntries);
// Appends several entries at once (one pass over the table however many there are).
void AppendEntries(Table& table, const std::vector<std::vector<unsigned char>>& entries,
                   size_t first = kTableEntries);

// Layers.
unsigned char* FindLayer(Tables& tables, int number);
unsigned char* FindLayerByName(Tables& tables, std::string_view name);
uint32_t LayerFlags(const Tables& tables, int number);    // 0 for a layer not listed
// The flags of one layer entry, read from the entry itself: for loops over the entries, where
// looking each number up again would take quadratic time.
uint32_t EntryLayerFlags(const Tables& tables, const TableEntry& entry);
std::string LayerName(const Tables& tables, int number);  // empty for a layer not listed
int CurrentLayer(const Tables& tables);                   // 0 when there is none
// Layer numbers run from 0 to 65535.
constexpr int kLayerNumbers = 65536;
// Adds a layer with the next free number, or returns the number of the existing one; -1 when
// every number is taken.
int AddLayer(Tables& tables, const std::string& name, uint32_t flags);

// Fill styles, line styles, fonts.
unsigned char* FindFillStyle(Tables& tables, int number);
unsigned char* FindFillStyleByName(Tables& tables, std::string_view name);
unsigned char* FindLineStyle(Tables& tables, int number);
unsigned char* FindLineStyleByName(Tables& tables, std::string_view name);
unsigned char* FindFont(Tables& tables, int number);
int CurrentFillStyle(const Tables& tables);
int CurrentLineStyle(const Tables& tables);

// The current text height (float 2 bytes into the current text style).
float CurrentTextHeight(const Tables& tables);
// Dimension style float by index of the current dimension style (0 when there is none).
float CurrentDimFloat(const Tables& tables, int index);

// Copies the current arrowhead settings (kArrowBytes) to `to`; nothing when the attribute
// settings are too short to hold them.
void CopyCurrentArrowheads(const Tables& tables, unsigned char* to);

// Current colour (attribute settings byte 8).
int CurrentColor(const Tables& tables);
void SetCurrentColor(Tables& tables, int color);

// Palette: colour number -> COLORREF 0x00BBGGRR; numbers outside it give black.
constexpr int kPaletteSize = 16;
constexpr int kBackgroundColor = 7;  // white paper
uint32_t PaletteColor(int color);

}  // namespace qlhost
