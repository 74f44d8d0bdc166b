// The DXF export's number writer prints every number as dxflib's own writer does: the same
// rounding of 16 (or 6) decimals, the same trailing zeros cut, the same texts for values
// printf spells out.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "host/io/dxf_writer.h"
#include "tests/support/temp_path.h"

namespace qlhost {
namespace {

// The value lines dxflib's writer gives for the numbers, one per number. (It prints into 256
// characters and aborts on numbers of more than about 230 digits.)
std::vector<std::string> DxflibTexts(const std::vector<double>& values, DL_Codes::version version) {
    const std::string path = ql_test::TempPath("dxflib-reals.dxf");
    {
        DL_WriterA writer(path.c_str(), version);
        for (double value : values) writer.dxfReal(10, value);
        writer.close();
    }
    std::ifstream in(path);
    std::vector<std::string> texts;
    std::string code, text;
    while (std::getline(in, code) && std::getline(in, text)) texts.push_back(text);
    return texts;
}

TEST(DxfWriter, NumbersAreDxflibsOwn) {
    std::vector<double> values = {
        0.0, -0.0, 1, -1, 0.5, 0.1, 1.0 / 3, 2.0 / 3, 10, 100.25, 123456.789, -98765.4321,
        1e-7, 1e-16, 5e-17, 4.9e-17, 1e-17, 1e-300, -1e-300, 5e-324,
        std::ldexp(1.0, -17), std::ldexp(3.0, -18), std::ldexp(1.0, -20), 0.5 + std::ldexp(1.0, -53),
        1e15, 1e16, 1e17, 1.5e20, 9007199254740993.0, 1e200, -1e200,
        std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN(),
    };
    // Fractions whose 17th decimal decides the rounding, on both sides of 0.
    for (int i = 1; i < 200; ++i) {
        values.push_back(i * 0.123456789012345678);
        values.push_back(-std::ldexp(static_cast<double>(i), -20 - i % 30));
    }
    for (DL_Codes::version version : {DL_Codes::AC1015, DL_Codes::AC1009_MIN}) {
        const std::vector<std::string> expected = DxflibTexts(values, version);
        ASSERT_EQ(expected.size(), values.size());
        for (size_t i = 0; i < values.size(); ++i)
            EXPECT_EQ(io::DxfRealText(values[i], version), expected[i]) << "value " << i << " version " << version;
    }
    // Past dxflib's buffer the text is still the whole number.
    EXPECT_EQ(io::DxfRealText(-1.7976931348623157e308, DL_Codes::AC1015).size(), 312u);  // "-", 309 digits, ".0"
}

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every kind of group at codes of one, two and three digits (and a negative one), through
// dxflib's writer and through the export's: the same file.
TEST(DxfWriter, GroupsAreDxflibsOwn) {
    auto write = [](DL_WriterA& w) {
        for (int gc : {-1, 0, 5, 9, 10, 62, 99, 100, 330, 1071}) {
            w.dxfString(gc, "LINE");
            w.dxfString(gc, std::string("with space and \u00e9"));
            w.dxfString(gc, "");
            w.dxfInt(gc, gc * -37);
            w.dxfInt(gc, 2147483647);
            w.dxfHex(gc, 0x1F);
            w.dxfHex(gc, -1);
            w.dxfReal(gc, gc / 7.0);
            w.dxfBool(gc, gc % 2 == 0);
        }
        // The helpers of the base class, which write through the calls above.
        w.sectionHeader();
        w.dxfHex(5, 0xABC);
        w.sectionEnd();
        w.dxfEOF();
    };
    const std::string theirs = ql_test::TempPath("dxflib-groups.dxf"), ours = ql_test::TempPath("export-groups.dxf");
    {
        io::DxfWriter writer(ours.c_str(), DL_Codes::AC1015);
        ASSERT_FALSE(writer.openFailed());
        write(writer);
        // Enough groups for several pieces of the file.
        for (int i = 0; i < 200000; ++i) writer.dxfReal(10, i * 0.1);
        writer.close();
    }
    {
        DL_WriterA writer(theirs.c_str(), DL_Codes::AC1015);
        write(writer);
        for (int i = 0; i < 200000; ++i) writer.dxfReal(10, i * 0.1);
        writer.close();
    }
    EXPECT_EQ(FileText(ours), FileText(theirs));
    EXPECT_GT(FileText(ours).size(), size_t{2} << 20);
    EXPECT_TRUE(io::DxfWriter(ql_test::TempPath("no-such-folder/x.dxf").c_str(), DL_Codes::AC1015).openFailed());
}

}  // namespace
}  // namespace qlhost
