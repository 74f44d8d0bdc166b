// Strings and positions of text-bearing entities, rewriting them (attributes with their
// variable parts), and the candidate list with its scan.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "tests/text/text_test_util.h"

namespace {

using qlhost::Node;
using qlhost::TextStyle;

class EntityText : public texttest::TextHostTest {};
class Candidates : public texttest::TextHostTest {};

std::string AttrPart(const Node* node, size_t field) {
    return std::string(reinterpret_cast<const char*>(node->record() + GetU32(node->record(), field)));
}

TEST_F(EntityText, StringsAndPositionsOfTheThreeKinds) {
    Node* text = AddText(1, 2, "plain");
    Node* bearing = Add(qlhost::MakeTextBearing(3, 4, TextStyle{}, "bearing"));
    Node* valued = Add(qlhost::MakeAttribute(5, 6, TextStyle{}, std::string("value"), "TAG", "Prompt"));
    Node* empty = Add(qlhost::MakeAttribute(7, 8, TextStyle{}, std::nullopt, "TAG"));
    Node* line = Add(qlhost::MakeLine(0, 0, 1, 1));
    EXPECT_EQ(Text(text), "plain");
    EXPECT_EQ(Text(bearing), "bearing");
    EXPECT_EQ(Text(valued), "value");
    EXPECT_EQ(Text(empty), "<none>");
    EXPECT_EQ(Text(line), "<none>");
    double p[2];
    ASSERT_TRUE(EntityPosition(text->record(), p));
    EXPECT_EQ(p[0], 1);
    EXPECT_EQ(p[1], 2);
    ASSERT_TRUE(EntityPosition(bearing->record(), p));
    EXPECT_EQ(p[0], 3);
    ASSERT_TRUE(EntityPosition(empty->record(), p));
    EXPECT_EQ(p[1], 8);
    EXPECT_FALSE(EntityPosition(line->record(), p));
    EXPECT_FALSE(IsTextBearing(line->record()));
    EXPECT_TRUE(IsTextBearing(empty->record()));
}

TEST_F(EntityText, AStringWithoutItsNulInsideTheRecordIsNone) {
    Node* text = AddText(0, 0, "abc");
    // The NUL at 107 is overwritten: the record ends inside the string.
    text->record()[107] = 'd';
    EXPECT_EQ(Text(text), "<none>");
    Node* attr = Add(qlhost::MakeAttribute(0, 0, TextStyle{}, std::string("v"), "T"));
    PutU32(attr->record(), kAttrStringOffset, 5000);
    EXPECT_EQ(Text(attr), "<none>");
}

TEST_F(EntityText, TextsAndTextBearingEntitiesAreResized) {
    Node* text = AddText(0, 0, "short");
    text->record()[kTextLayout] = 7;
    EntRec* rewritten = SetEntityString(text->record(), "a much longer string", true, nullptr);
    ASSERT_NE(rewritten, nullptr);
    Node* node = qlhost::NodeOf(rewritten);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(Text(node), "a much longer string");
    EXPECT_EQ(RecordLength(rewritten), TextSize(20));
    EXPECT_EQ(rewritten[kTextLayout], 0);
    EXPECT_EQ(GetF64(rewritten, kTextX), 0);

    Node* bearing = Add(qlhost::MakeTextBearing(3, 4, TextStyle{}, "bearing"));
    bearing->record()[kTbLayout] = 5;
    EntRec* shorter = SetEntityString(bearing->record(), std::string_view("be\0ignored", 10), false, nullptr);
    EXPECT_EQ(Text(qlhost::NodeOf(shorter)), "be");
    EXPECT_EQ(RecordLength(shorter), TextBearingSize(2));
    EXPECT_EQ(shorter[kTbLayout], 0);
    EXPECT_EQ(GetF64(shorter, kTbData), 3);
    EXPECT_EQ(qlhost::ValidateDrawing(qlhost::TheDrawing()), "");
}

TEST_F(EntityText, OtherTypesAreReturnedUnchanged) {
    Node* line = Add(qlhost::MakeLine(0, 0, 1, 1));
    qlhost::Record before(line->record(), line->record() + line->length());
    EXPECT_EQ(SetEntityString(line->record(), "x", true, nullptr), line->record());
    EXPECT_EQ(qlhost::Record(line->record(), line->record() + line->length()), before);
}

TEST_F(EntityText, AttributeStringsMoveTheirVariableParts) {
    Node* attr = Add(qlhost::MakeAttribute(5, 6, TextStyle{}, std::string("value"), "TAG", "Prompt text"));
    uint32_t length = attr->length();
    EntRec* longer = SetEntityString(attr->record(), "a longer value", false, nullptr);
    Node* node = qlhost::NodeOf(longer);
    EXPECT_EQ(Text(node), "a longer value");
    EXPECT_EQ(node->length(), length + 9);
    EXPECT_EQ(AttrPart(node, kAttrVariable1), "TAG");
    EXPECT_EQ(AttrPart(node, kAttrVariable2), "Prompt text");
    EntRec* shorter = SetEntityString(longer, "v", false, nullptr);
    node = qlhost::NodeOf(shorter);
    EXPECT_EQ(Text(node), "v");
    EXPECT_EQ(node->length(), length - 4);
    EXPECT_EQ(AttrPart(node, kAttrVariable1), "TAG");
    EXPECT_EQ(AttrPart(node, kAttrVariable2), "Prompt text");
    EXPECT_EQ(GetF64(shorter, kAttrData), 5);
    EXPECT_EQ(qlhost::ValidateDrawing(qlhost::TheDrawing()), "");
}

TEST_F(EntityText, AnAttributeWithoutStringGetsOne) {
    Node* attr = Add(qlhost::MakeAttribute(5, 6, TextStyle{}, std::nullopt, "TAG", "Prompt"));
    uint32_t length = attr->length();
    EntRec* rewritten = SetEntityString(attr->record(), "new", false, nullptr);
    Node* node = qlhost::NodeOf(rewritten);
    EXPECT_EQ(GetU32(rewritten, kAttrStringOffset), kAttrNewString);
    EXPECT_EQ(Text(node), "new");
    EXPECT_EQ(node->length(), length + 4);
    EXPECT_EQ(AttrPart(node, kAttrVariable1), "TAG");
    EXPECT_EQ(AttrPart(node, kAttrVariable2), "Prompt");
}

TEST_F(EntityText, AttributesWithOffsetsOutsideTheRecordAreLeftAlone) {
    for (size_t field : {kAttrVariable1, kAttrVariable2, kAttrStringOffset}) {
        Node* attr = Add(qlhost::MakeAttribute(5, 6, TextStyle{}, std::string("value"), "TAG", "P"));
        PutU32(attr->record(), field, attr->length() + 10);
        qlhost::Record before(attr->record(), attr->record() + attr->length());
        EntRec* result = SetEntityString(attr->record(), "changed", false, nullptr);
        EXPECT_EQ(result, attr->record()) << field;
        EXPECT_EQ(qlhost::Record(result, result + RecordLength(result)), before) << field;
    }
}

TEST_F(EntityText, AttributesInAReferenceAreShownThroughItAndKeepTheirRecord) {
    uint32_t def = qlhost::RegisterSymbolDefinition(1, 1, "Mark");
    Node* ref = Add(qlhost::MakeSymbolRef(def, 20, 10, 0, 2, "Mark"));
    Node* attr = AddMember(ref, qlhost::MakeAttribute(1, 1, TextStyle{}, std::string("A1"), "TAG"));
    qlhost::ResetScreenCounters();
    EntRec* rewritten = SetEntityString(attr->record(), "A2", false, ref->record());
    EXPECT_EQ(Text(qlhost::NodeOf(rewritten)), "A2");
    // Erased and drawn whatever the redraw flag says; the stored position is untouched.
    EXPECT_EQ(qlhost::Screen().erases, 1);
    EXPECT_EQ(qlhost::Screen().draws, 1);
    EXPECT_EQ(GetF64(rewritten, kAttrData), 1);
    EXPECT_EQ(GetF64(rewritten, kAttrData + 8), 1);
    EXPECT_EQ(GetF32(rewritten, kAttrData + kTdHeight), 2.5f);
}

TEST_F(Candidates, NearestAndNextBreakTiesByListOrder) {
    Node* a = AddText(0, 0, "a");
    Node* b = AddText(10, 0, "b");
    Node* c = AddText(5, 5, "c");
    const double pa[2] = {0, 0}, pb[2] = {10, 0}, pc[2] = {5, 5};
    ASSERT_TRUE(AddCandidate(a->record(), pa, nullptr));
    ASSERT_TRUE(AddCandidate(b->record(), pb, nullptr));
    ASSERT_TRUE(AddCandidate(c->record(), pc, nullptr));
    const double middle[2] = {5, 0};
    EXPECT_EQ(NearestCandidate(middle)->entity, a->record());
    EXPECT_EQ(NextCandidate(CO_SMALLEST_X)->entity, a->record());
    EXPECT_EQ(NextCandidate(CO_LARGEST_Y)->entity, c->record());
    EXPECT_EQ(NextCandidate(7)->entity, a->record());
    MarkCandidateUsed(FirstCandidate());
    MarkCandidateUsed(FirstCandidate()->next->next);
    // With a and c used, b is next whatever the order; ties at y 0 keep the earlier one.
    EXPECT_EQ(NextCandidate(CO_LARGEST_Y)->entity, b->record());
    MarkCandidateUsed(FirstCandidate()->next);
    EXPECT_EQ(NextCandidate(CO_SMALLEST_X), nullptr);
    EXPECT_EQ(CandidateCount(), 3u);
}

TEST_F(Candidates, RemovingKeepsTheListLinked) {
    const double p[2] = {0, 0};
    Node* a = AddText(0, 0, "a");
    for (int i = 0; i < 3; ++i) AddCandidate(a->record(), p, nullptr);
    TextCandidate* last = FirstCandidate()->next->next;
    RemoveCandidate(last);
    TextCandidate stranger{};
    RemoveCandidate(&stranger);
    EXPECT_EQ(CandidateCount(), 2u);
    ASSERT_TRUE(AddCandidate(a->record(), p, nullptr));
    EXPECT_EQ(CandidateCount(), 3u);
    RemoveCandidate(FirstCandidate());
    RemoveCandidate(FirstCandidate());
    RemoveCandidate(FirstCandidate());
    EXPECT_TRUE(CandidatesEmpty());
    EXPECT_EQ(NearestCandidate(p), nullptr);
}

bool StartsWithA(const EntRec*, std::string_view text, void*) { return !text.empty() && text[0] == 'A'; }

TEST_F(Candidates, TheScanFindsTextsInGroupsAndReferences) {
    SetLayerFlags(1, kLayerHidden);
    SetLayerFlags(2, kLayerFrozen);
    AddText(1, 1, "A top");
    AddText(2, 2, "A hidden", 1);
    AddText(3, 3, "A frozen", 2);
    AddText(4, 4, "B top");
    Node* group = Add(qlhost::MakeGroup());
    AddMember(group, qlhost::MakeText(5, 5, 2.5, 0, 0, 1, "A grouped"));
    uint32_t def = qlhost::RegisterSymbolDefinition(1, 1, "Mark");
    Node* ref = Add(qlhost::MakeSymbolRef(def, 20, 10, 0, 2, "Mark"));
    AddMember(ref, qlhost::MakeAttribute(2, 3, TextStyle{}, std::string("A moved"), "T"));
    AddMember(ref, qlhost::MakeAttribute(2, 3, TextStyle{}, std::string("A kept"), "T", "", kAttrKeepPosition));
    Node* inner = AddMember(ref, qlhost::MakeGroup());
    AddMember(inner, qlhost::MakeText(0, 0, 2.5, 0, 0, 1, "A deep"));
    // A reference inside the reference: (1, 1) there, shown at (20 + 2 - 1, 10 + 2 - 1).
    uint32_t dot = qlhost::RegisterSymbolDefinition(0, 0, "Dot");
    Node* nested = AddMember(ref, qlhost::MakeSymbolRef(dot, 1, 1, 0, 1, "Dot"));
    AddMember(nested, qlhost::MakeText(0, 0, 2.5, 0, 0, 1, "A nested"));

    CandidateScan scan;
    scan.match = StartsWithA;
    ASSERT_TRUE(ScanCandidates(scan));
    std::vector<std::string> found;
    std::vector<std::pair<double, double>> at;
    for (TextCandidate* c = FirstCandidate(); c != nullptr; c = c->next) {
        found.emplace_back(*EntityString(c->entity));
        at.emplace_back(c->x, c->y);
    }
    ASSERT_EQ(found, (std::vector<std::string>{"A top", "A frozen", "A grouped", "A moved", "A kept", "A deep",
                                               "A nested"}));
    // M p - base: (20 + 2 * 2 - 1, 10 + 2 * 3 - 1).
    EXPECT_DOUBLE_EQ(at[3].first, 23);
    EXPECT_DOUBLE_EQ(at[3].second, 15);
    EXPECT_DOUBLE_EQ(at[4].first, 2);
    EXPECT_DOUBLE_EQ(at[4].second, 3);
    EXPECT_DOUBLE_EQ(at[5].first, 19);
    EXPECT_DOUBLE_EQ(at[5].second, 9);
    EXPECT_EQ(FirstCandidate()->next->next->next->reference, ref->record());
    EXPECT_DOUBLE_EQ(at[6].first, 21);
    EXPECT_DOUBLE_EQ(at[6].second, 11);

    ClearCandidates();
    scan.enterReferences = false;
    scan.skipFrozen = true;
    scan.match = nullptr;
    ASSERT_TRUE(ScanCandidates(scan));
    found.clear();
    for (TextCandidate* c = FirstCandidate(); c != nullptr; c = c->next) found.emplace_back(*EntityString(c->entity));
    EXPECT_EQ(found, (std::vector<std::string>{"A top", "B top", "A grouped"}));
}

}  // namespace
