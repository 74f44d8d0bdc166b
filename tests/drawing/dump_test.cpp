// DumpList: the canonical listing used by golden files.
#include <gtest/gtest.h>

#include "host/drawing/drawing.h"
#include "tests/drawing/drawing_test_util.h"

using namespace drawing_test;
using qlhost::TheDrawing;

namespace {

class DrawingDump : public ::testing::Test {
protected:
    void SetUp() override { TheDrawing().Reset(); }
    void TearDown() override { TheDrawing().Reset(); }
    DList* work = GetWorkDL();
};

Bytes Text(double x, double y, float height, const std::string& s) {
    Bytes r = Record(5, static_cast<uint32_t>(105 + s.size()));
    PutDouble(r, 32, x);
    PutDouble(r, 40, y);
    std::memcpy(r.data() + 83, &height, 4);
    const float one = 1;
    std::memcpy(r.data() + 87, &one, 4);
    PutU16(r.data(), 99, 1);
    std::memcpy(r.data() + 104, s.data(), s.size());
    return r;
}

}  // namespace

TEST_F(DrawingDump, ListsEntitiesWithMembersIndented) {
    Bytes line = Line(0, 0, 10.5, -0.0000001, 1);
    PutU16(line.data(), 16, 2);
    EntRec* l = AddEntity(work, line.data());
    MarkEntity(work, l);
    EntRec* g = AddEntity(work, Group().data());
    DList* members = OpenSubList(work, g);
    AddEntity(members, Text(1, 2, 2.5f, "Hi \"you\"\r2").data());
    EntRec* gone = AddTagged(members, 3);
    DeleteEntity(members, gone);
    Bytes odd = Record(99, 36);
    odd[35] = 0xab;
    AddEntity(work, odd.data());

    EXPECT_EQ(qlhost::DumpList(qlhost::ListOf(work)[0]),
              "#1 line layer=1 ls=2 sel (0,0) (10.5,0)\n"
              "#2 group layer=0 members=1\n"
              "  #3 text layer=0 (1,2) h=2.5 a=0 font=1 just=0 \"Hi \\\"you\\\"\\r2\"\n"
              "  #4 line layer=0 del (3,0) (4,0)\n"
              "#5 type99 layer=0 len=36 data=000000ab\n");
}
