// Packed field access, record builders and bounded strings.
#include "core/records.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

TEST(Records, FieldsAtOddOffsetsRoundTripLittleEndian) {
    unsigned char bytes[128] = {};
    PutU16(bytes, 81, 0x1234);
    PutU32(bytes, 11, 0xA1B2C3D4u);
    PutF32(bytes, 83, 2.5f);
    PutF64(bytes, 21, -7.25);
    PutI8(bytes, 5, -3);
    EXPECT_EQ(bytes[81], 0x34);
    EXPECT_EQ(bytes[82], 0x12);
    EXPECT_EQ(bytes[11], 0xD4);
    EXPECT_EQ(bytes[14], 0xA1);
    EXPECT_EQ(GetU16(bytes, 81), 0x1234);
    EXPECT_EQ(GetI16(bytes, 81), 0x1234);
    EXPECT_EQ(GetU32(bytes, 11), 0xA1B2C3D4u);
    EXPECT_EQ(GetI32(bytes, 11), static_cast<int32_t>(0xA1B2C3D4u));
    EXPECT_EQ(GetF32(bytes, 83), 2.5f);
    EXPECT_EQ(GetF64(bytes, 21), -7.25);
    EXPECT_EQ(GetI8(bytes, 5), -3);
    EXPECT_EQ(GetU8(bytes, 5), 253);
}

TEST(Records, BuildersCarryTheirTrueLength) {
    const double a[2] = {1, 2}, b[2] = {3, 4};
    RecordBuffer line = BuildLine(a, b);
    EXPECT_EQ(RecordLength(line.data()), 64u);
    EXPECT_EQ(line.size(), 64u);
    EXPECT_EQ(RecordType(line.data()), ET_LINE);
    double p[2];
    GetPoint(line.data(), kLineEnd, p);
    EXPECT_EQ(p[0], 3);
    EXPECT_EQ(p[1], 4);

    const double pts[6] = {0, 0, 10, 0, 10, 5};
    RecordBuffer path = BuildPath(pts, 3);
    EXPECT_EQ(RecordLength(path.data()), 34u + 16u * 3u);
    EXPECT_EQ(GetU16(path.data(), kPolyCount), 3);
    GetPoint(path.data(), PolyVertex(2), p);
    EXPECT_EQ(p[0], 10);
    EXPECT_EQ(p[1], 5);

    RecordBuffer box = BuildBox(0, 0, 4, 3);
    EXPECT_EQ(RecordType(box.data()), ET_POLYGON);
    EXPECT_EQ(GetU16(box.data(), kPolyCount), 5);
    EXPECT_EQ(RecordLength(box.data()), 34u + 16u * 5u);
    EXPECT_EQ(GetF64(box.data(), PolyVertex(4)), GetF64(box.data(), PolyVertex(0)));

    EXPECT_EQ(RecordLength(BuildCircle(a, 2).data()), 56u);
    EXPECT_EQ(RecordLength(BuildArc(a, 2, 0, 1).data()), kArcSize);
    RecordBuffer group = BuildGroup();
    EXPECT_EQ(RecordLength(group.data()), 32u);
    EXPECT_EQ(RecordType(group.data()), ET_GROUP);
    EXPECT_EQ(RecordType(BuildGroup(ET_FILLED).data()), ET_FILLED);
}

TEST(Records, TextLengthCountsTheTerminatingNul) {
    RecordBuffer text = BuildTextAt(1, 2, 3.5, 0.5, 4, 1, "ABC");
    EXPECT_EQ(RecordLength(text.data()), 3u + 105u);
    EXPECT_EQ(text.data()[104 + 3], 0);
    EXPECT_EQ(EntityText(text.data()), "ABC");
    EXPECT_EQ(GetF64(text.data(), kTextX), 1);
    EXPECT_EQ(GetF32(text.data(), kTextHeight), 3.5f);
    EXPECT_EQ(GetF32(text.data(), kTextWidth), 1.0f);
    EXPECT_EQ(GetU8(text.data(), kTextJustify), 4);
    EXPECT_EQ(GetU16(text.data(), kTextFont), 1);
    EXPECT_EQ(RecordLength(BuildText(nullptr, "").data()), 105u);
}

TEST(Records, TextBuilderClearsTheLayoutByteAndStopsAtNul) {
    unsigned char data[kTextDataSize];
    std::memset(data, 0x7F, sizeof data);
    RecordBuffer text = BuildText(data, std::string_view("AB\0CD", 5));
    EXPECT_EQ(GetU8(text.data(), kTextLayout), 0);
    EXPECT_EQ(GetU8(text.data(), kTextFlags), 0x7F);
    EXPECT_EQ(RecordLength(text.data()), 2u + 105u);
}

TEST(Records, PolylineOverTheVertexCountLimitIsRefused) {
    std::vector<double> points(2 * (kPolyMaxVertices + 1), 0.0);
    EXPECT_TRUE(BuildPath(points.data(), kPolyMaxVertices + 1).empty());
    EXPECT_EQ(BuildPath(points.data(), kPolyMaxVertices).size(), PolySize(kPolyMaxVertices));
}

TEST(Records, StringsNeverReadPastTheRecordLength) {
    // A text whose string has no NUL within its length.
    RecordBuffer text = BuildTextAt(0, 0, 1, 0, 0, 0, "HELLO");
    text.data()[104 + 5] = 'X';
    EXPECT_EQ(EntityText(text.data()), "HELLOX");
    // A record shorter than its string offset.
    RecordBuffer shortText(ET_TEXT, 60);
    EXPECT_EQ(EntityText(shortText.data()), "");
    // Type 33: string at 136.
    RecordBuffer bearing(ET_TEXT_BEARING, TextBearingSize(2));
    std::memcpy(bearing.data() + kTbString, "Hi", 2);
    EXPECT_EQ(EntityText(bearing.data()), "Hi");
}

TEST(Records, AttributeStringFollowsItsOffset) {
    RecordBuffer attribute(ET_ATTRIBUTE, kAttrNewString + 4);
    EXPECT_EQ(EntityText(attribute.data()), "");  // offset 0: no string
    std::memcpy(attribute.data() + kAttrNewString, "V1", 3);
    PutU32(attribute.data(), kAttrStringOffset, kAttrNewString);
    EXPECT_EQ(EntityText(attribute.data()), "V1");
    PutU32(attribute.data(), kAttrStringOffset, 5000);
    EXPECT_EQ(EntityText(attribute.data()), "");
    EXPECT_EQ(EntityText(BuildGroup().data()), "");
}

TEST(Records, ResizeKeepsContentAndLength) {
    RecordBuffer r(ET_TEXT, 106);
    r.data()[104] = 'Q';
    r.Resize(200);
    EXPECT_EQ(RecordLength(r.data()), 200u);
    EXPECT_EQ(r.data()[104], 'Q');
    EXPECT_EQ(r.data()[199], 0);
    RecordBuffer copy(r.data(), 120);
    EXPECT_EQ(RecordLength(copy.data()), 120u);
    EXPECT_EQ(copy.data()[104], 'Q');
}

namespace {

// A settings table: 15-byte head, entries of (length, number, flags, name).
std::vector<unsigned char> LayerTable(std::initializer_list<std::pair<int, uint32_t>> layers) {
    std::vector<unsigned char> table(kTblEntries, 0);
    for (auto [number, flags] : layers) {
        std::vector<unsigned char> entry(32, 0);
        PutU32(entry.data(), kEntryLength, 32);
        PutU16(entry.data(), kLayerNumber, static_cast<uint16_t>(number));
        PutU32(entry.data(), kLayerFlags, flags);
        char name[16];
        int n = std::snprintf(name, sizeof name, "L%d", number);
        std::memcpy(entry.data() + kLayerName, name, static_cast<size_t>(n));
        table.insert(table.end(), entry.begin(), entry.end());
    }
    table.resize(table.size() + 4, 0);
    return table;
}

}  // namespace

TEST(Records, TableLookupsStopAtTheEndEntry) {
    auto table = LayerTable({{0, 0}, {7, 1}});
    PutU32(table.data(), kTblCurrentOffset, kTblEntries + 32);
    const unsigned char* entry = FindTableEntry(table.data(), kTblEntries, 7);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(BoundedName(entry, kLayerName, 20), "L7");
    EXPECT_EQ(FindTableEntry(table.data(), kTblEntries, 3), nullptr);
    EXPECT_EQ(CurrentTableData(table.data()), entry + kEntryData);
    EXPECT_EQ(FindTableEntry(nullptr, kTblEntries, 0), nullptr);
    EXPECT_EQ(CurrentTableData(nullptr), nullptr);
    PutU32(table.data(), kTblCurrentOffset, kTblEntries + 5);
    EXPECT_EQ(CurrentTableData(table.data()), nullptr);
    auto empty = LayerTable({});
    PutU32(empty.data(), kTblCurrentOffset, kTblEntries);
    EXPECT_EQ(CurrentTableData(empty.data()), nullptr);
}

TEST(Records, TableWalkRejectsImpossibleEntryLengths) {
    auto table = LayerTable({{1, 0}});
    PutU32(table.data(), kTblEntries, 3);  // shorter than its own number field
    EXPECT_EQ(FindTableEntry(table.data(), kTblEntries, 1), nullptr);
}
