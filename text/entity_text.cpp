// Strings and positions of text-bearing entities, rewriting a string in place (attributes
// with the variable parts after their string), and the symbol-reference transformation.
#include "text/entity_text.h"

#include <algorithm>
#include <cstring>

#include "core/records.h"

namespace {

// The first bytes of an attribute that ETran changes and that are put back after an erase
// or draw through its reference.
constexpr uint32_t kAttrSavedBytes = 119;

struct StringField {
    size_t stringAt;
    size_t positionAt;
    size_t layoutAt;
    uint32_t fixedSize;  // record length without the string's characters
};

bool FieldsOf(int type, StringField& field) {
    switch (type) {
        case ET_TEXT:
            field = {kTextString, kTextX, kTextLayout, TextSize(0)};
            return true;
        case ET_TEXT_BEARING:
            field = {kTbString, kTbData, kTbLayout, TextBearingSize(0)};
            return true;
        default:
            return false;
    }
}

// The string at offset when its NUL lies inside the record.
std::optional<std::string_view> TerminatedAt(const EntRec* record, size_t offset) {
    uint32_t length = RecordLength(record);
    if (offset >= length) return std::nullopt;
    const char* text = reinterpret_cast<const char*>(record + offset);
    const void* nul = std::memchr(text, 0, length - offset);
    if (nul == nullptr) return std::nullopt;
    return std::string_view(text, static_cast<size_t>(static_cast<const char*>(nul) - text));
}

std::string_view CutAtNul(std::string_view text) {
    return text.substr(0, std::min(text.size(), text.find('\0')));
}

// An attribute whose string and variable parts lie inside the record, after its data part.
bool AttributeSound(const EntRec* record) {
    uint32_t length = RecordLength(record);
    if (length < kAttrNewString) return false;
    uint32_t stringAt = GetU32(record, kAttrStringOffset);
    if (stringAt != 0 && (stringAt < kAttrNewString || !TerminatedAt(record, stringAt))) return false;
    return GetU32(record, kAttrVariable1) < length && GetU32(record, kAttrVariable2) < length;
}

// Adds delta to each variable-part offset at or after from.
void MoveVariableOffsets(EntRec* record, uint32_t from, int64_t delta) {
    for (size_t field : {kAttrVariable1, kAttrVariable2}) {
        uint32_t offset = GetU32(record, field);
        if (offset >= from) PutU32(record, field, static_cast<uint32_t>(offset + delta));
    }
}

// Erases or draws an attribute in the form its reference shows it: the record is
// transformed in place and its first bytes put back afterwards. Returns its address.
EntRec* ShowThroughReference(EntRec* record, const EntRec* reference, bool draw) {
    uint32_t length = RecordLength(record);
    uint32_t saved = std::min(length, kAttrSavedBytes);
    unsigned char before[kAttrSavedBytes];
    std::memcpy(before, record, saved);
    HostMatrix matrix;
    PushReferenceTransform(reference);
    STCTM(matrix);
    CTMPOP();
    EntRec* shown = ETran(record, matrix);
    if (shown == nullptr) shown = record;
    if (draw)
        EDraw(0, shown);
    else
        EErase(0, shown);
    // The length stays what the record now holds; everything else comes back.
    uint32_t now = RecordLength(shown);
    std::memcpy(shown + kRecLength + 4, before + kRecLength + 4, std::min(saved, now) - 4);
    return shown;
}

EntRec* ShowAttribute(EntRec* record, const EntRec* reference, bool draw) {
    bool through = reference != nullptr && (GetU16(record, kAttrFlags) & kAttrKeepPosition) == 0;
    if (through) return ShowThroughReference(record, reference, draw);
    if (draw)
        EDraw(0, record);
    else
        EErase(0, record);
    return record;
}

EntRec* SetAttributeString(DList* work, EntRec* record, std::string_view text, const EntRec* reference) {
    if (!AttributeSound(record)) return record;
    record = ShowAttribute(record, reference, false);
    uint32_t length = RecordLength(record);
    if (GetU32(record, kAttrStringOffset) == 0) {
        EntRec* grown = ResizeEntity(work, record, length + 1);
        if (grown == nullptr) return ShowAttribute(record, reference, true);
        record = grown;
        std::memmove(record + kAttrNewString + 1, record + kAttrNewString, length - kAttrNewString);
        PutU32(record, kAttrStringOffset, kAttrNewString);
        MoveVariableOffsets(record, kAttrNewString, 1);
        record[kAttrNewString] = 0;
        length += 1;
    }
    uint32_t stringAt = GetU32(record, kAttrStringOffset);
    size_t oldLength = TerminatedAt(record, stringAt)->size();
    int64_t delta = static_cast<int64_t>(text.size()) - static_cast<int64_t>(oldLength);
    uint32_t tailAt = static_cast<uint32_t>(stringAt + oldLength);
    uint32_t tailSize = length - tailAt;
    uint32_t newLength = static_cast<uint32_t>(length + delta);
    if (delta < 0) {
        std::memmove(record + tailAt + delta, record + tailAt, tailSize);
        if (EntRec* shrunk = ResizeEntity(work, record, newLength)) record = shrunk;
    } else if (delta > 0) {
        EntRec* grown = ResizeEntity(work, record, newLength);
        if (grown == nullptr) return ShowAttribute(record, reference, true);
        record = grown;
        std::memmove(record + tailAt + delta, record + tailAt, tailSize);
    }
    MoveVariableOffsets(record, stringAt, delta);
    std::memcpy(record + stringAt, text.data(), text.size());
    return ShowAttribute(record, reference, true);
}

}  // namespace

bool IsTextBearing(const EntRec* entity) {
    if (entity == nullptr) return false;
    int type = RecordType(entity);
    return type == ET_TEXT || type == ET_TEXT_BEARING || type == ET_ATTRIBUTE;
}

std::optional<std::string_view> EntityString(const EntRec* entity) {
    if (entity == nullptr) return std::nullopt;
    StringField field;
    if (FieldsOf(RecordType(entity), field)) return TerminatedAt(entity, field.stringAt);
    if (RecordType(entity) != ET_ATTRIBUTE || RecordLength(entity) < kAttrData) return std::nullopt;
    uint32_t stringAt = GetU32(entity, kAttrStringOffset);
    if (stringAt == 0) return std::nullopt;
    return TerminatedAt(entity, stringAt);
}

bool EntityPosition(const EntRec* entity, double* position) {
    if (entity == nullptr) return false;
    StringField field;
    size_t at = 0;
    if (FieldsOf(RecordType(entity), field))
        at = field.positionAt;
    else if (RecordType(entity) == ET_ATTRIBUTE)
        at = kAttrData;
    else
        return false;
    if (RecordLength(entity) < at + 16) return false;
    GetPoint(entity, at, position);
    return true;
}

EntRec* SetEntityString(EntRec* entity, std::string_view text, bool redraw, const EntRec* reference) {
    DList* work = GetWorkDL();
    if (entity == nullptr || work == nullptr) return entity;
    EntRec* record = LocateEntity(work, entity);
    if (record == nullptr) return entity;
    text = CutAtNul(text);
    if (RecordType(record) == ET_ATTRIBUTE) return SetAttributeString(work, record, text, reference);
    StringField field;
    if (!FieldsOf(RecordType(record), field) || RecordLength(record) < field.fixedSize) return record;
    if (redraw) EErase(0, record);
    EntRec* resized = ResizeEntity(work, record, static_cast<uint32_t>(field.fixedSize + text.size()));
    if (resized != nullptr) {
        record = resized;
        PutU8(record, field.layoutAt, 0);
        std::memcpy(record + field.stringAt, text.data(), text.size());
        record[field.stringAt + text.size()] = 0;
    }
    if (redraw) EDraw(0, record);
    return record;
}

void PushReferenceTransform(const EntRec* reference) {
    CTMPSH();
    CTMI3();
    if (reference == nullptr || RecordLength(reference) < kSymMatrix + kSymMatrixSize) return;
    double symbol[12];
    for (int i = 0; i < 12; ++i) symbol[i] = GetF64(reference, kSymMatrix + 8 * static_cast<size_t>(i));
    LDSymTM(symbol);
    if (const unsigned char* definition = SymDefAdr(reference))
        CTMT2(-GetF64(definition, kSymDefBaseX), -GetF64(definition, kSymDefBaseY));
}
