// Bounded strings, table lookups and record builders.
#include "core/records.h"

#include <algorithm>

const unsigned char* FindTableEntry(const unsigned char* table, size_t first, int number) {
    return ForEachTableEntry(table, first, [number](const unsigned char* entry) {
        return GetU16(entry, kEntryNumber) == static_cast<uint16_t>(number);
    });
}

const unsigned char* CurrentTableData(const unsigned char* table) {
    if (table == nullptr) return nullptr;
    // Only an offset at which a listed entry starts is trusted: an empty table or a stale
    // offset gives no current entry.
    const unsigned char* current = table + GetU32(table, kTblCurrentOffset);
    const unsigned char* entry =
        ForEachTableEntry(table, kTblEntries, [current](const unsigned char* e) { return e == current; });
    return entry != nullptr ? entry + kEntryData : nullptr;
}

std::string_view BoundedName(const unsigned char* base, size_t offset, size_t maxLength) {
    if (base == nullptr) return {};
    const char* text = reinterpret_cast<const char*>(base + offset);
    const void* nul = std::memchr(text, 0, maxLength);
    size_t length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : maxLength;
    return std::string_view(text, length);
}

std::string_view RecordString(const EntRec* record, size_t offset) {
    if (record == nullptr) return {};
    uint32_t length = RecordLength(record);
    if (offset >= length) return {};
    return BoundedName(record, offset, length - offset);
}

std::string_view EntityText(const EntRec* record) {
    if (record == nullptr) return {};
    switch (RecordType(record)) {
        case ET_TEXT:
            return RecordString(record, kTextString);
        case ET_TEXT_BEARING:
            return RecordString(record, kTbString);
        case ET_ATTRIBUTE: {
            if (RecordLength(record) < kAttrStringOffset + 4) return {};
            uint32_t offset = GetU32(record, kAttrStringOffset);
            if (offset == 0) return {};
            return RecordString(record, offset);
        }
        default:
            return {};
    }
}

RecordBuffer::RecordBuffer(int type, uint32_t length) : bytes_(std::max(length, uint32_t{kRecHeaderSize})) {
    PutU32(bytes_.data(), kRecLength, size());
    PutU8(bytes_.data(), kRecType, static_cast<uint8_t>(type));
}

RecordBuffer::RecordBuffer(const EntRec* record, uint32_t length)
    : bytes_(record, record + std::max(length, uint32_t{kRecHeaderSize})) {
    PutU32(bytes_.data(), kRecLength, size());
}

void RecordBuffer::Resize(uint32_t length) {
    bytes_.resize(std::max(length, uint32_t{kRecHeaderSize}), 0);
    PutU32(bytes_.data(), kRecLength, size());
}

RecordBuffer BuildLine(const double* start, const double* end) {
    RecordBuffer r(ET_LINE, kLineSize);
    PutPoint(r.data(), kLineStart, start);
    PutPoint(r.data(), kLineEnd, end);
    return r;
}

RecordBuffer BuildPolyline(int type, const double* points, size_t count) {
    if (count > kPolyMaxVertices) return RecordBuffer();
    RecordBuffer r(type, PolySize(static_cast<uint32_t>(count)));
    PutU16(r.data(), kPolyCount, static_cast<uint16_t>(count));
    for (size_t i = 0; i < count; ++i) PutPoint(r.data(), PolyVertex(static_cast<uint32_t>(i)), points + 2 * i);
    return r;
}

RecordBuffer BuildPath(const double* points, size_t count) { return BuildPolyline(ET_PATH, points, count); }

RecordBuffer BuildPolygon(const double* points, size_t count) { return BuildPolyline(ET_POLYGON, points, count); }

RecordBuffer BuildBox(double x1, double y1, double x2, double y2) {
    const double points[10] = {x1, y1, x2, y1, x2, y2, x1, y2, x1, y1};
    return BuildPolygon(points, 5);
}

RecordBuffer BuildCircle(const double* centre, double radius) {
    RecordBuffer r(ET_CIRCLE, kCircleSize);
    PutPoint(r.data(), kCircleCentre, centre);
    PutF64(r.data(), kCircleRadius, radius);
    return r;
}

RecordBuffer BuildArc(const double* centre, double radius, double start, double sweep) {
    RecordBuffer r(ET_ARC, kArcSize);
    PutPoint(r.data(), kArcCentre, centre);
    PutF64(r.data(), kArcRadius, radius);
    PutF64(r.data(), kArcStart, start);
    PutF64(r.data(), kArcSweep, sweep);
    return r;
}

RecordBuffer BuildGroup(int type) { return RecordBuffer(type, kGroupSize); }

RecordBuffer BuildText(const unsigned char* dataPart, std::string_view string) {
    string = string.substr(0, std::min(string.size(), string.find('\0')));
    RecordBuffer r(ET_TEXT, TextSize(string.size()));
    if (dataPart != nullptr) std::memcpy(r.data() + kTextData, dataPart, kTextDataSize);
    PutU8(r.data(), kTextLayout, 0);
    std::memcpy(r.data() + kTextString, string.data(), string.size());
    return r;
}

RecordBuffer BuildTextAt(double x, double y, double height, double angle, int justification,
                         int font, std::string_view string) {
    unsigned char data[kTextDataSize] = {};
    PutF64(data, kTdX, x);
    PutF64(data, kTdY, y);
    PutF32(data, kTdHeight, static_cast<float>(height));
    PutF32(data, kTdWidth, 1.0f);
    PutF32(data, kTdAngle, static_cast<float>(angle));
    PutF32(data, kTdSpacing, 150.0f);
    PutU16(data, kTdFont, static_cast<uint16_t>(font));
    PutU8(data, kTdJustify, static_cast<uint8_t>(justification));
    return BuildText(data, string);
}
