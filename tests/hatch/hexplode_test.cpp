// QLHEXPLODE through the reference host's prompt protocol: the fill taken off, a group of
// lines just before the entity, the pattern at its own scale whatever the options say, the
// entity's attributes, groups at any depth, and the records of the hatch commands untouched.
#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

#include "core/commands.h"
#include "core/prompts.h"
#include "hatch_test_util.h"
#include "host/protocol/protocol.h"

namespace {

using hatchtest::HatchHostTest;
using hatchtest::Segment;

// Host fill styles of the default table.
constexpr uint16_t kSolid = 1;
constexpr uint16_t kHorizontal = 7;  // ".25 Horizontal": 0°, 0.25 apart
constexpr uint16_t kLargeGrid = 14;  // 0° and 90°, 1.0 apart, own scale 2.5

class HexplodeTest : public HatchHostTest {
protected:
    void SetUp() override {
        HatchHostTest::SetUp();
        qlhost::ResetSession();
        qlhost::SetCommandTable({"Quillet", {"QLHEXPLODE"}, {nullptr, QLHEXPLODE}});
    }
    void TearDown() override {
        qlhost::AbandonCommand();
        qlhost::ResetSession();
        qlhost::SetCommandTable({});
        HatchHostTest::TearDown();
    }

    static qlhost::Record FilledBox(double x1, double y1, double x2, double y2, uint16_t fill) {
        qlhost::Record box = qlhost::MakeBox(x1, y1, x2, y2);
        PutU16(box.data(), kRecFillStyle, fill);
        return box;
    }

    static void Run(int status = ST_OK) {
        ASSERT_TRUE(qlhost::StartCommand("QLHEXPLODE"));
        const qlhost::PromptInfo* prompt = qlhost::CurrentPrompt();
        ASSERT_NE(prompt, nullptr);
        EXPECT_EQ(prompt->text, "Explode scalable hatch - pick entities:");
        EXPECT_EQ(prompt->kind, REQ_SELECTION);
        if (status == ST_OK)
            qlhost::AnswerSelection();
        else
            qlhost::AnswerPrompt(status);
        EXPECT_FALSE(qlhost::CommandRunning());
    }

    static std::vector<Segment> LinesOf(const qlhost::Node* group) {
        std::vector<Segment> lines;
        EXPECT_EQ(group->type(), ET_GROUP);
        for (const qlhost::Node* m = group->children ? group->children->head : nullptr; m;
             m = m->next) {
            EXPECT_EQ(m->type(), ET_LINE);
            const EntRec* r = m->record();
            lines.push_back({GetF64(r, kLineStart), GetF64(r, kLineStart + 8), GetF64(r, kLineEnd),
                             GetF64(r, kLineEnd + 8)});
        }
        return lines;
    }

    // The places of the lines across: y of horizontal lines, x of vertical ones.
    static std::set<long> Across(const std::vector<Segment>& lines, bool horizontal) {
        std::set<long> at;
        for (const Segment& s : lines) {
            const bool isHorizontal = std::fabs(s.y1 - s.y2) < 1e-6;
            if (isHorizontal == horizontal)
                at.insert(std::lround((horizontal ? s.y1 : s.x1) * 1000));
        }
        return at;
    }
};

TEST_F(HexplodeTest, FillBecomesAGroupOfLinesJustBeforeTheEntity) {
    qlhost::Node* before = Add(qlhost::MakeLine(0, -1, 2, -1), false);
    qlhost::Node* box = Add(FilledBox(0, 0.1, 2, 0.9, kHorizontal));
    Run();
    EXPECT_EQ(GetU16(box->record(), kRecFillStyle), 0);
    ASSERT_EQ(box->prev->prev, before);
    const std::vector<Segment> lines = LinesOf(box->prev);
    EXPECT_EQ(Across(lines, true), (std::set<long>{250, 500, 750}));
    for (const Segment& s : lines) {
        EXPECT_NEAR(std::min(s.x1, s.x2), 0, 1e-6);
        EXPECT_NEAR(std::max(s.x1, s.x2), 2, 1e-6);
    }
}

TEST_F(HexplodeTest, PatternKeepsItsOwnScaleWhateverTheModifyValues) {
    HatchOptions options = DefaultHatchOptions();
    options.modify = 1;
    options.scaleBy = 3;
    options.rotateBy = 0.5;
    options.offsetBy[0] = 0.1;
    TheHatchOptions() = options;
    SaveHatchOptions();
    TheLineSettings().angle = 0.3;
    qlhost::Node* box = Add(FilledBox(0, 0.1, 2, 0.9, kHorizontal));
    Run();
    EXPECT_EQ(Across(LinesOf(box->prev), true), (std::set<long>{250, 500, 750}));
    // The records the hatch commands and the dialogs work with are as they were.
    EXPECT_EQ(TheHatchOptions().scaleBy, 3);
    EXPECT_EQ(TheHatchOptions().rotateBy, 0.5);
    EXPECT_EQ(TheHatchOptions().patternKind, kPatternSimple);
    EXPECT_STREQ(TheHatchOptions().scalableName, ".25 Right Diagonal");
    EXPECT_EQ(TheLineSettings().angle, 0.3);
}

TEST_F(HexplodeTest, EveryEntityGetsThePatternsOwnScaleOnce) {
    qlhost::Node* first = Add(FilledBox(0.1, 0.1, 6, 6, kLargeGrid));
    qlhost::Node* second = Add(FilledBox(10.1, 0.1, 16, 6, kLargeGrid));
    Run();
    const std::vector<Segment> a = LinesOf(first->prev);
    const std::vector<Segment> b = LinesOf(second->prev);
    EXPECT_EQ(Across(a, true), (std::set<long>{2500, 5000}));
    EXPECT_EQ(Across(a, false), (std::set<long>{2500, 5000}));
    EXPECT_EQ(Across(b, true), (std::set<long>{2500, 5000}));
    EXPECT_EQ(Across(b, false), (std::set<long>{12500, 15000}));
}

TEST_F(HexplodeTest, LinesTakeTheEntitysAttributesAndTheGroupItsFillColour) {
    qlhost::Record record = FilledBox(0, 0.1, 2, 0.9, kHorizontal);
    PutU32(record.data(), kRecAttr6, 3);
    PutU32(record.data(), kRecAttr10, 5);
    PutU16(record.data(), kRecLineStyle, 1);
    PutU16(record.data(), kRecLayer, 2);
    PutU32(record.data(), kRecAttr22, 9);
    qlhost::Node* box = Add(record);
    Run();
    const qlhost::Node* group = box->prev;
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(GetU32(group->record(), kRecAttr6), 5u);
    EXPECT_EQ(GetU16(group->record(), kRecFillStyle), 0);
    EXPECT_EQ(GetU32(group->record(), kRecAttr22), 0u);
    EXPECT_EQ(GetU16(group->record(), kRecLayer), 2);
    ASSERT_NE(group->children, nullptr);
    ASSERT_NE(group->children->head, nullptr);
    for (const qlhost::Node* m = group->children->head; m; m = m->next) {
        EXPECT_EQ(GetU32(m->record(), kRecAttr6), 3u);
        EXPECT_EQ(GetU16(m->record(), kRecLayer), 2);
        EXPECT_EQ(GetU16(m->record(), kRecFillStyle), 0);
        EXPECT_EQ(GetU16(m->record(), kRecLineStyle), 0);
    }
}

TEST_F(HexplodeTest, FilledEntitiesInsideGroupsAtAnyDepthAreExplodedInPlace) {
    qlhost::Node* outer = Add(qlhost::MakeGroup());
    qlhost::HostList* outerMembers = Work().Children(outer);
    qlhost::Node* inner = outerMembers->Append(qlhost::MakeGroup().data(), kGroupSize);
    qlhost::HostList* innerMembers = outerMembers->Children(inner);
    qlhost::Record record = FilledBox(0, 0.1, 2, 0.9, kHorizontal);
    qlhost::Node* box = innerMembers->Append(record.data(), static_cast<uint32_t>(record.size()));
    Run();
    EXPECT_EQ(Work().count, 1u);
    EXPECT_FALSE(outer->selected());
    EXPECT_EQ(outerMembers->count, 1u);
    ASSERT_EQ(innerMembers->count, 2u);
    EXPECT_EQ(innerMembers->head->next, box);
    EXPECT_EQ(GetU16(box->record(), kRecFillStyle), 0);
    EXPECT_EQ(Across(LinesOf(innerMembers->head), true), (std::set<long>{250, 500, 750}));
}

TEST_F(HexplodeTest, UnfilledOrSolidEntitiesOnlyLeaveTheSelection) {
    qlhost::Node* plain = Add(qlhost::MakeBox(0, 0, 2, 1));
    qlhost::Node* solid = Add(FilledBox(3, 0, 5, 1, kSolid));
    qlhost::Node* open = Add(qlhost::MakeLine(0, 3, 2, 3));
    PutU16(open->record(), kRecFillStyle, kHorizontal);
    Run();
    EXPECT_EQ(Work().count, 3u);
    EXPECT_FALSE(plain->selected());
    EXPECT_FALSE(solid->selected());
    EXPECT_FALSE(open->selected());
    EXPECT_EQ(GetU16(solid->record(), kRecFillStyle), kSolid);
}

TEST_F(HexplodeTest, CancelChangesNothing) {
    qlhost::Node* box = Add(FilledBox(0, 0.1, 2, 0.9, kHorizontal));
    Run(qlhost::kStatusCancel);
    EXPECT_EQ(Work().count, 1u);
    EXPECT_EQ(GetU16(box->record(), kRecFillStyle), kHorizontal);
}

}  // namespace
