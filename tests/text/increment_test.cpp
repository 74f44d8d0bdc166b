// The increment of QLTINC (first and last digit run, leading zeros, the floor at zero, the
// 32-bit range), typed and stepped whole numbers, and the walk of the "Select entities" modes
// over groups, symbol references and hidden layers.
#include "text/increment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "tests/text/text_test_util.h"
#include "text/selected_texts.h"

namespace {

struct Case {
    const char* text;
    int32_t increment;
    bool down;
    bool last;
    const char* expected;
};

std::string Incremented(const char* text, int32_t increment, bool down, bool last) {
    char out[64];
    std::memset(out, 'x', sizeof out);
    if (!IncrementNumber(text, increment, down, last, out, sizeof out)) return "<unchanged>";
    return out;
}

TEST(IncrementNumber, CountsTheFirstOrLastRunOfDigits) {
    const Case cases[] = {
        {"A7", 1, false, false, "A8"},
        {"A9", 1, false, false, "A10"},
        {"A09", 1, false, false, "A10"},
        {"A007", 1, false, false, "A008"},
        {"A099", 1, false, false, "A100"},
        {"12-3", 1, false, true, "12-4"},
        {"12-3", 1, false, false, "13-3"},
        {"x9y9", 1, false, true, "x9y10"},
        {"x9y9 ", 1, false, true, "x9y10 "},
        {"0", 1, false, false, "1"},
        // A "-" is no sign: the digits after it count up.
        {"A-5", 1, false, false, "A-6"},
        // Below zero gives zero; leading zeros keep the width.
        {"Room 3", 5, true, false, "Room 0"},
        {"Room 003", 5, true, false, "Room 000"},
        {"Room 10", -2, false, false, "Room 8"},
        {"Room 10", -2, true, false, "Room 12"},
        {"A0999", 1, false, false, "A1000"},
        {"A00000000000000000000001", 1, false, true, "A00000000000000000000002"},
        {"A2147483646", 1, false, false, "A2147483647"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Incremented(c.text, c.increment, c.down, c.last), c.expected)
            << c.text << " " << c.increment << (c.down ? " down" : "") << (c.last ? " last" : "");
}

TEST(IncrementNumber, LeavesTextsWithoutANumberOrTooLong) {
    EXPECT_EQ(Incremented("", 1, false, false), "<unchanged>");
    EXPECT_EQ(Incremented("Hall", 1, false, true), "<unchanged>");
    EXPECT_FALSE(IncrementMatches(std::string(199, 'a') + "1"));
    EXPECT_TRUE(IncrementMatches(std::string(198, 'a') + "1"));
    char out[512];
    EXPECT_FALSE(IncrementNumber(std::string(199, 'a') + "1", 1, false, false, out, sizeof out));
}

TEST(IncrementNumber, NeverLeavesThe32BitRange) {
    // The digit run itself, and every sum, stay within 32 bits; otherwise nothing changes.
    EXPECT_EQ(Incremented("A2147483647", 1, false, false), "<unchanged>");
    EXPECT_EQ(Incremented("A2147483648", 0, false, false), "<unchanged>");
    EXPECT_EQ(Incremented("A99999999999999999999", -1, false, false), "<unchanged>");
    EXPECT_EQ(Incremented("A5", INT32_MAX, false, false), "<unchanged>");
    EXPECT_EQ(Incremented("A5", INT32_MIN, true, false), "<unchanged>");
    EXPECT_EQ(Incremented("A5", INT32_MIN, false, false), "A0");
    EXPECT_EQ(Incremented("A2147483647", INT32_MAX, true, false), "A0");
    EXPECT_EQ(Incremented("A2147483647", INT32_MIN, false, false), "A0");
}

TEST(IncrementNumber, RefusesAResultThatDoesNotFitAndLeavesTheBufferAlone) {
    char out[5];
    std::memcpy(out, "keep", 5);
    EXPECT_FALSE(IncrementNumber("A999", 1, false, false, out, sizeof out));
    EXPECT_STREQ(out, "keep");
    EXPECT_TRUE(IncrementNumber("A998", 1, false, false, out, sizeof out));
    EXPECT_STREQ(out, "A999");
    EXPECT_FALSE(IncrementNumber("A1", 1, false, false, nullptr, 8));
}

TEST(WholeNumbers, TypedNumbersAreTruncatedAndClamped) {
    EXPECT_EQ(ClampTypedNumber(2.9, 7), 2);
    EXPECT_EQ(ClampTypedNumber(-2.9, 7), -2);
    EXPECT_EQ(ClampTypedNumber(-0.5, 7), 0);
    EXPECT_EQ(ClampTypedNumber(1e12, 7), INT32_MAX);
    EXPECT_EQ(ClampTypedNumber(2147483647.9, 7), INT32_MAX);
    EXPECT_EQ(ClampTypedNumber(-1e12, 7), INT32_MIN);
    EXPECT_EQ(ClampTypedNumber(-HUGE_VAL, 7), INT32_MIN);
    EXPECT_EQ(ClampTypedNumber(std::nan(""), 7), 7);
}

TEST(WholeNumbers, StepsStayInRange) {
    EXPECT_EQ(StepWholeNumber(5, 1), 6);
    EXPECT_EQ(StepWholeNumber(-5, -1), -6);
    EXPECT_EQ(StepWholeNumber(INT32_MAX, 1), INT32_MAX);
    EXPECT_EQ(StepWholeNumber(INT32_MIN, -1), INT32_MIN);
    EXPECT_EQ(StepWholeNumber(INT32_MAX, -1), INT32_MAX - 1);
}

// ---------------------------------------------------------------------------------------
// The walk of the "Select entities" modes.

struct Visit {
    std::string text;
    const EntRec* reference;
};
std::vector<Visit> g_visits;

// Changes the texts that start with "+" (drops the sign) and records every visit.
bool ChangePlus(EntRec* entity, EntRec* reference) {
    std::optional<std::string_view> text = EntityString(entity);
    g_visits.push_back(
        {text ? std::string(*text) : std::string("#") + std::to_string(RecordType(entity)),
         reference});
    if (!text || text->empty() || text->front() != '+') return false;
    const std::string rest(text->substr(1));
    SetEntityString(entity, rest, true, reference);
    return true;
}

class SelectedTexts : public texttest::TextHostTest {
protected:
    void SetUp() override {
        TextHostTest::SetUp();
        g_visits.clear();
    }
};

TEST_F(SelectedTexts, ChangedEntitiesStaySelectedAndTheOthersLeaveTheSelection) {
    qlhost::Node* changed = AddText(0, 0, "+A");
    qlhost::Node* kept = AddText(0, 10, "B");
    qlhost::Node* line = Add(qlhost::MakeLine(0, 0, 10, 0));
    qlhost::Node* unselected = AddText(0, 20, "+C");
    for (qlhost::Node* node : {changed, kept, line}) node->flags |= qlhost::Node::kSelected;
    ChangeSelectedTexts(ChangePlus);
    EXPECT_EQ(Text(changed), "A");
    EXPECT_TRUE(changed->selected());
    EXPECT_FALSE(kept->selected());
    EXPECT_FALSE(line->selected());
    EXPECT_EQ(Text(unselected), "+C");
    ASSERT_EQ(g_visits.size(), 3u);
}

TEST_F(SelectedTexts, MembersOfGroupsAndReferencesAreChangedWithTheirReference) {
    qlhost::Node* group = Add(qlhost::MakeGroup());
    qlhost::Node* member = AddMember(group, qlhost::MakeText(0, 0, 2.5, 0, 0, 1, "+G"));
    qlhost::Node* inner = AddMember(group, qlhost::MakeGroup());
    qlhost::Node* deep = AddMember(inner, qlhost::MakeText(0, 5, 2.5, 0, 0, 1, "+D"));
    uint32_t def = qlhost::RegisterSymbolDefinition(0, 0, "Seat");
    qlhost::Node* ref = Add(qlhost::MakeSymbolRef(def, 20, 10, 0, 1, "Seat"));
    qlhost::Node* attr =
        AddMember(ref, qlhost::MakeAttribute(0, 1, qlhost::TextStyle{}, std::string("+7"), "NUM"));
    qlhost::Node* hidden = AddMember(group, qlhost::MakeText(0, 9, 2.5, 0, 0, 1, "+H"));
    int layer = qlhost::AddLayer(qlhost::TheDrawing().tables, "Hidden", qlhost::kLayerHidden);
    PutU16(hidden->record(), kRecLayer, static_cast<uint16_t>(layer));
    group->flags |= qlhost::Node::kSelected;
    ref->flags |= qlhost::Node::kSelected;

    ChangeSelectedTexts(ChangePlus);
    EXPECT_EQ(Text(member), "G");
    EXPECT_EQ(Text(deep), "D");
    EXPECT_EQ(Text(attr), "7");
    EXPECT_EQ(Text(hidden), "+H");
    // The containers themselves change nothing, so they leave the selection.
    EXPECT_FALSE(group->selected());
    EXPECT_FALSE(ref->selected());
    const EntRec* refRecord = ref->record();
    for (const Visit& visit : g_visits) {
        if (visit.text == "+7") {
            EXPECT_EQ(visit.reference, refRecord);
        } else {
            EXPECT_EQ(visit.reference, nullptr) << visit.text;
        }
    }
}

TEST_F(SelectedTexts, EntitiesOnHiddenLayersAreNotWalked) {
    int layer = qlhost::AddLayer(qlhost::TheDrawing().tables, "Off", qlhost::kLayerHidden);
    qlhost::Node* hidden = AddText(0, 0, "+A", layer);
    hidden->flags |= qlhost::Node::kSelected;
    ChangeSelectedTexts(ChangePlus);
    EXPECT_EQ(Text(hidden), "+A");
    EXPECT_TRUE(g_visits.empty());
}

}  // namespace
