// The hatch records: defaults, packed forms and the modify step.
#include "hatch/engine/patterns.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/records.h"

namespace {

TEST(HatchRecords, Defaults) {
    const HatchOptions o = DefaultHatchOptions();
    EXPECT_EQ(o.method, kMethodScan);
    EXPECT_EQ(o.patternKind, kPatternSimple);
    EXPECT_EQ(o.modify, 0);
    EXPECT_EQ(o.scaleBy, 1.0);
    EXPECT_STREQ(o.scalableName, ".25 Right Diagonal");
    EXPECT_STREQ(o.patName, "");
    const LineSettings s = DefaultLineSettings();
    EXPECT_EQ(s.distance, 0.2);
    EXPECT_EQ(s.angle, 0.7853981625);
    EXPECT_EQ(s.rowOn[0], 1);
    EXPECT_EQ(s.rowOn[1] + s.rowOn[2] + s.rowOn[3], 0);
    for (const auto& style : s.rowStyle) EXPECT_STREQ(style, "Solid");
    EXPECT_EQ(s.scaleOffsets, 1);
    EXPECT_EQ(RowOffsetFactor(s), 0.2);
}

TEST(HatchRecords, OptionsPackAtTheirOffsets) {
    HatchOptions o = DefaultHatchOptions();
    for (int i = 0; i < 69; ++i) o.reserved[i] = static_cast<unsigned char>(i + 1);
    o.method = kMethodRegular;
    o.patternKind = kPatternPat;
    o.modify = 1;
    o.scaleBy = 2.5;
    o.rotateBy = 0.5;
    o.offsetBy[1] = -3;
    std::strcpy(o.patName, "ANSI31, ANSI Iron");
    std::strcpy(o.lineSettingsName, "Tiles");
    o.showPreviews = 1;
    unsigned char bytes[kHatchOptionsSize];
    PackHatchOptions(o, bytes);
    EXPECT_EQ(bytes[68], 69);
    EXPECT_EQ(GetI32(bytes, 69), kMethodRegular);
    EXPECT_EQ(GetI32(bytes, 105), kPatternPat);
    EXPECT_EQ(GetF64(bytes, 113), 2.5);
    EXPECT_EQ(GetF64(bytes, 137), -3);
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes + 145), ".25 Right Diagonal");
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes + 345), "ANSI31, ANSI Iron");
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes + 805), "Tiles");
    EXPECT_EQ(GetI32(bytes, 870), 1);
    HatchOptions back;
    UnpackHatchOptions(bytes, back);
    EXPECT_EQ(std::memcmp(back.reserved, o.reserved, 69), 0);
    EXPECT_EQ(back.rotateBy, 0.5);
    EXPECT_STREQ(back.patName, o.patName);
}

TEST(HatchRecords, LineSettingsPackAtTheirOffsets) {
    LineSettings s = DefaultLineSettings();
    s.rowOn[3] = 1;
    s.rowOffset[3] = 0.75;
    std::strcpy(s.rowStyle[3], "Dashed");
    s.scaleOffsets = 0;
    unsigned char bytes[kLineSettingsSize];
    PackLineSettings(s, bytes);
    EXPECT_EQ(GetF64(bytes, 65), 0.2);
    EXPECT_EQ(GetI32(bytes, 97), 1);
    EXPECT_EQ(GetI32(bytes, 109), 1);
    EXPECT_EQ(GetF64(bytes, 137), 0.75);
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes + 145 + 600), "Dashed");
    EXPECT_EQ(GetI32(bytes, 945), 0);
    LineSettings back;
    UnpackLineSettings(bytes, back);
    EXPECT_EQ(back.rowOffset[3], 0.75);
    EXPECT_STREQ(back.rowStyle[3], "Dashed");
    EXPECT_EQ(RowOffsetFactor(back), 1.0);
}

TEST(HatchRecords, UnpackedNamesEndWithinTheirFields) {
    unsigned char bytes[kLineSettingsSize];
    std::memset(bytes, 'x', sizeof bytes);
    LineSettings s;
    UnpackLineSettings(bytes, s);
    EXPECT_EQ(std::strlen(s.name), kSettingsNameSize - 1);
    for (const auto& style : s.rowStyle) EXPECT_EQ(std::strlen(style), kStyleNameSize - 1);
    unsigned char options[kHatchOptionsSize];
    std::memset(options, 'y', sizeof options);
    HatchOptions o;
    UnpackHatchOptions(options, o);
    EXPECT_EQ(std::strlen(o.searchText), kSearchTextSize - 1);
    EXPECT_EQ(std::strlen(o.scalableName), kScalableNameSize - 1);
    EXPECT_EQ(std::strlen(o.patName), kPatNameSize - 1);
    EXPECT_EQ(std::strlen(o.lineSettingsName), kSettingsNameSize - 1);
}

TEST(ModifyStep, FoldsScaleRotateAndOffsetIntoTheLineSettings) {
    HatchRun run{DefaultHatchOptions(), DefaultLineSettings()};
    run.options.modify = 1;
    run.options.scaleBy = 2;
    run.options.rotateBy = 0.25;
    run.options.offsetBy[0] = 1;
    run.options.offsetBy[1] = -1;
    run.line.rowOffset[1] = 0.5;
    ApplyModifyStep(run);
    EXPECT_DOUBLE_EQ(run.line.distance, 0.4);
    EXPECT_DOUBLE_EQ(run.line.angle, 0.7853981625 + 0.25);
    EXPECT_EQ(run.line.offset[0], 1);
    EXPECT_EQ(run.line.offset[1], -1);
    // Offsets in fractions of the distance scale with it already.
    EXPECT_EQ(run.line.rowOffset[1], 0.5);
    EXPECT_DOUBLE_EQ(RowOffsetFactor(run.line) * run.line.rowOffset[1], 0.2);
    EXPECT_EQ(run.options.scaleBy, 2);
}

TEST(ModifyStep, ScalesRowOffsetsInDrawingUnits) {
    HatchRun run{DefaultHatchOptions(), DefaultLineSettings()};
    run.options.modify = 1;
    run.options.scaleBy = 3;
    run.line.scaleOffsets = 0;
    for (double& offset : run.line.rowOffset) offset = 1;
    ApplyModifyStep(run);
    for (double offset : run.line.rowOffset) EXPECT_EQ(offset, 3);
}

TEST(ModifyStep, OffResetsTheModifyValues) {
    HatchRun run{DefaultHatchOptions(), DefaultLineSettings()};
    run.options.scaleBy = 5;
    run.options.rotateBy = 1;
    run.options.offsetBy[0] = 2;
    ApplyModifyStep(run);
    EXPECT_EQ(run.options.scaleBy, 1);
    EXPECT_EQ(run.options.rotateBy, 0);
    EXPECT_EQ(run.options.offsetBy[0], 0);
    EXPECT_EQ(run.line.distance, 0.2);
}

}  // namespace
