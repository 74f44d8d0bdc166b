// QLATTREXPL: turns the selected attributes, also those inside groups, into plain texts with
// the same string, position and text settings; attributes without a string are deleted.
// Symbol references are not entered; other selected entities leave the selection.
#include <cstring>
#include <string>
#include <vector>

#include "core/commands.h"
#include "core/records.h"
#include "text/entity_text.h"

namespace {

constexpr int kSelectPromptNumber = 0x1065;
constexpr int kSelectCursor = 1;
// Member lists nest only a few levels; a deeper walk is refused rather than risked.
constexpr int kMaxDepth = 256;

// The text record of an attribute: its header with the type changed, its data part and its
// string.
std::vector<unsigned char> TextOfAttribute(const EntRec* attribute, std::string_view text) {
    std::vector<unsigned char> record(TextSize(text.size()), 0);
    std::memcpy(record.data(), attribute, kRecHeaderSize);
    PutU32(record.data(), kRecLength, TextSize(text.size()));
    PutU8(record.data(), kRecType, ET_TEXT);
    std::memcpy(record.data() + kTextData, attribute + kAttrData, kTextDataSize);
    std::memcpy(record.data() + kTextString, text.data(), text.size());
    return record;
}

// The record is built apart first, so a record whose string lies anywhere in it (even over
// its data part) converts safely, and a failed resize leaves the attribute whole.
void ConvertAttribute(DList* list, EntRec* entity, std::string_view text) {
    const std::vector<unsigned char> converted = TextOfAttribute(entity, text);
    EntRec* stored = LocateEntity(list, entity);
    if (stored == nullptr) return;
    stored = ResizeEntity(list, stored, static_cast<uint32_t>(converted.size()));
    if (stored != nullptr) std::memcpy(stored, converted.data(), converted.size());
}

struct VisitContext {
    int depth;
};

int VisitEntity(DList* list, EntRec* entity, void* user1, void*) {
    auto* context = static_cast<VisitContext*>(user1);
    EDraw(0, entity);
    const int type = RecordType(entity);
    if (type == ET_GROUP) {
        DList* members = SubList(list, entity);
        if (members != nullptr && context->depth < kMaxDepth) {
            ++context->depth;
            ForEachEntity(members, VisitEntity, SCOPE_ALL, context);
            --context->depth;
            return 0;
        }
    } else if (type == ET_ATTRIBUTE && RecordLength(entity) >= kAttrNewString) {
        if (GetU32(entity, kAttrStringOffset) == 0) {
            DeleteEntity(list, entity);
            return 0;
        }
        // A string offset that points outside the record is no string to convert.
        if (std::optional<std::string_view> text = EntityString(entity)) {
            ConvertAttribute(list, entity, std::string(*text));
            return 0;
        }
    }
    UnmarkEntity(list, entity);
    return 0;
}

void OnSelection(int status) {
    DList* work = GetWorkDL();
    if (status == ST_OK && work != nullptr) {
        BeginChange(work);
        VisitContext context{0};
        ForEachEntity(work, VisitEntity, SCOPE_SELECTED, &context);
        ShowChanges();
    }
    CmdEnd();
}

}  // namespace

void QLATTREXPL() {
    ReqData(REQ_SELECTION, nullptr, QL_PROMPT_NUMBER(kSelectPromptNumber), QL_CURSOR(kSelectCursor), OnSelection, 0,
            0);
}
