// QLATTREXPL through the host's prompts: attributes become texts with their data part and
// string, attributes without a string go, symbol references are not entered, and records
// whose string offset is unsound are left alone.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/commands.h"
#include "core/records.h"
#include "host/drawing/drawing.h"
#include "host/geometry/records.h"
#include "host/protocol/protocol.h"
#include "tests/support/command_test.h"
#include "text/entity_text.h"

namespace {

using qlhost::Node;

class AttributeExplode : public HostCommandTest {
protected:
    void SetUp() override { UseCommands({"attribute explode test", {"QLATTREXPL"}, {nullptr, QLATTREXPL}}); }

    static qlhost::HostList& Work() { return *qlhost::TheDrawing().work; }
    static Node* Add(qlhost::HostList& list, const qlhost::Record& record) {
        return list.Append(record.data(), static_cast<uint32_t>(record.size()));
    }
    static qlhost::Record Attribute(double x, double y, const std::optional<std::string>& value) {
        qlhost::TextStyle style;
        style.height = 3.5;
        style.angle = 0.25;
        style.justification = 4;
        style.font = 2;
        return qlhost::MakeAttribute(x, y, style, value, "TAG", "Prompt");
    }
    void RunOnAll() {
        ASSERT_TRUE(qlhost::StartCommand("QLATTREXPL"));
        std::vector<uint32_t> ids;
        for (const Node* n = Work().head; n; n = n->next) ids.push_back(n->id);
        std::string error;
        qlhost::SelectIds(ids, error);
        ASSERT_EQ(error, "");
        qlhost::AnswerSelection();
        EXPECT_FALSE(qlhost::CommandRunning());
    }
    static Node* Find(qlhost::HostList& list, uint32_t id) {
        for (Node* n = list.head; n; n = n->next)
            if (n->id == id) return n;
        return nullptr;
    }
    // Deleted entities may already be gone from the list once the changes are shown.
    static bool Gone(qlhost::HostList& list, uint32_t id) {
        const Node* node = Find(list, id);
        return node == nullptr || node->deleted();
    }
};

TEST_F(AttributeExplode, AttributeBecomesTextWithItsDataPart) {
    const qlhost::Record attribute = Attribute(12, 7, std::string("A-12"));
    const uint32_t id = Add(Work(), attribute)->id;
    RunOnAll();
    Node* text = Find(Work(), id);
    ASSERT_NE(text, nullptr);
    ASSERT_EQ(text->type(), ET_TEXT);
    const EntRec* record = text->record();
    EXPECT_EQ(RecordLength(record), TextSize(4));
    EXPECT_EQ(std::memcmp(record + kRecType + 1, attribute.data() + kRecType + 1, kRecHeaderSize - kRecType - 1), 0);
    EXPECT_EQ(std::memcmp(record + kTextData, attribute.data() + kAttrData, kTextDataSize), 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(record + kTextString), "A-12");
    EXPECT_DOUBLE_EQ(GetF64(record, kTextX), 12);
    EXPECT_FLOAT_EQ(GetF32(record, kTextHeight), 3.5f);
    EXPECT_EQ(GetU8(record, kTextJustify), 4);
}

TEST_F(AttributeExplode, EmptyAttributesGoAndReferencesAreNotEntered) {
    const uint32_t empty = Add(Work(), Attribute(0, 0, std::nullopt))->id;
    Node* group = Add(Work(), qlhost::MakeGroup());
    qlhost::HostList& members = *Work().Children(group);
    const uint32_t inGroup = Add(members, Attribute(1, 1, std::string("G")))->id;
    const uint32_t emptyInGroup = Add(members, Attribute(2, 2, std::nullopt))->id;
    const double matrix[12] = {1, 0, 0, 50, 0, 1, 0, 0, 0, 0, 1, 0};
    Node* symbol = Add(Work(), qlhost::MakeSymbolRef(0, matrix, "Tag"));
    const uint32_t inSymbol = Add(*Work().Children(symbol), Attribute(3, 3, std::string("S")))->id;
    const uint32_t line = Add(Work(), qlhost::MakeLine(0, 0, 5, 5))->id;
    RunOnAll();
    EXPECT_TRUE(Gone(Work(), empty));
    ASSERT_NE(Find(members, inGroup), nullptr);
    EXPECT_EQ(Find(members, inGroup)->type(), ET_TEXT);
    EXPECT_TRUE(Gone(members, emptyInGroup));
    ASSERT_NE(Find(*Work().Children(symbol), inSymbol), nullptr);
    EXPECT_EQ(Find(*Work().Children(symbol), inSymbol)->type(), ET_ATTRIBUTE);
    EXPECT_TRUE(group->selected());
    EXPECT_FALSE(symbol->selected());
    ASSERT_NE(Find(Work(), line), nullptr);
    EXPECT_FALSE(Find(Work(), line)->selected());
}

TEST_F(AttributeExplode, UnsoundAttributesAreOnlyDeselected) {
    qlhost::Record outside = Attribute(0, 0, std::string("out"));
    PutU32(outside.data(), kAttrStringOffset, static_cast<uint32_t>(outside.size()) + 40);
    // The record ends with the string's last character: no NUL.
    qlhost::Record unterminated = Attribute(0, 0, std::string("abc"));
    unterminated.resize(kAttrNewString + 3);
    PutU32(unterminated.data(), kRecLength, static_cast<uint32_t>(unterminated.size()));
    PutU32(unterminated.data(), kAttrVariable1, 0);
    PutU32(unterminated.data(), kAttrVariable2, 0);
    qlhost::Record shortRecord = qlhost::MakeHeader(ET_ATTRIBUTE, 60);
    PutU32(shortRecord.data(), kAttrStringOffset, 50);
    std::vector<uint32_t> ids;
    for (const qlhost::Record* r : {&outside, &unterminated, &shortRecord}) ids.push_back(Add(Work(), *r)->id);
    RunOnAll();
    for (uint32_t id : ids) {
        Node* node = Find(Work(), id);
        ASSERT_NE(node, nullptr) << id;
        EXPECT_EQ(node->type(), ET_ATTRIBUTE) << id;
        EXPECT_FALSE(node->deleted()) << id;
        EXPECT_FALSE(node->selected()) << id;
    }
}

TEST_F(AttributeExplode, StringOverTheDataPartConvertsFromItsOwnCopy) {
    qlhost::Record attribute = Attribute(4, 5, std::string("value"));
    // A string offset inside the data part: the data part is copied over it, the string is not.
    const uint32_t at = kAttrData + 20;
    std::memcpy(attribute.data() + at, "inner", 6);
    PutU32(attribute.data(), kAttrStringOffset, at);
    const uint32_t id = Add(Work(), attribute)->id;
    RunOnAll();
    Node* node = Find(Work(), id);
    ASSERT_NE(node, nullptr);
    ASSERT_EQ(node->type(), ET_TEXT);
    EXPECT_STREQ(reinterpret_cast<const char*>(node->record() + kTextString), "inner");
}

TEST_F(AttributeExplode, CancelChangesNothing) {
    const uint32_t id = Add(Work(), Attribute(0, 0, std::string("keep")))->id;
    ASSERT_TRUE(qlhost::StartCommand("QLATTREXPL"));
    qlhost::AnswerPrompt(qlhost::kStatusCancel);
    EXPECT_FALSE(qlhost::CommandRunning());
    ASSERT_NE(Find(Work(), id), nullptr);
    EXPECT_EQ(Find(Work(), id)->type(), ET_ATTRIBUTE);
}

}  // namespace
