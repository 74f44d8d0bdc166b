// The text work record, the far justification table and the current text settings.
#include "text/work_record.h"

#include <cstdlib>
#include <cstring>

#include "core/commands.h"
#include "core/records.h"

namespace {

EntRec* g_record = nullptr;

// An entry long enough to hold its length word and a style block.
constexpr uint32_t kStyleEntryMinimum = kEntryData + kStyleBlockSize;

}  // namespace

const uint8_t kFarTable[kJustifyCodes] = {11, 13, 15, 9, 4, 10, 16, 18, 20, 3, 5,
                                          0,  0,  1,  2, 2, 6,  6,  7,  8, 8};

EntRec* TextWorkRecord() { return g_record; }

EntRec* EnsureTextWorkRecord() {
    if (g_record == nullptr) g_record = static_cast<EntRec*>(std::calloc(1, kWorkRecordSize));
    return g_record;
}

void FreeTextWorkRecord() {
    std::free(g_record);
    g_record = nullptr;
}

char* WorkString() { return reinterpret_cast<char*>(g_record + kTextString); }

size_t WorkStringLength() {
    // The last byte always ends the string, whatever was typed into the buffer.
    g_record[kWorkRecordSize - 1] = 0;
    return static_cast<size_t>(StLen(WorkString()));
}

void SetWorkLength() {
    PutU32(g_record, kRecLength, TextSize(WorkStringLength()));
    PutU8(g_record, kTextLayout, 0);
}

bool SetWorkString(const char* text, size_t length) {
    const void* nul = std::memchr(text, 0, length);
    if (nul != nullptr) length = static_cast<size_t>(static_cast<const char*>(nul) - text);
    if (length > kWorkStringCapacity) return false;
    std::memcpy(WorkString(), text, length);
    WorkString()[length] = 0;
    return true;
}

int PlainJustify(int code, bool* far) {
    *far = false;
    if (code < 0 || code >= kJustifyCodes) return 0;
    if (code <= 8) return code;
    *far = true;
    return kFarTable[code];
}

int BuildJustify(int vertical, int horizontal, bool far) {
    int code = vertical * 3 + horizontal;
    if (code < 0 || code > 8) code = 0;
    return far ? kFarTable[code] : code;
}

unsigned char* TextTemplate() {
    DList* work = GetWorkDL();
    return work != nullptr ? GetTemplate(work, TPL_TEXT_STYLES) : nullptr;
}

unsigned char* CurrentStyleBlock(unsigned char* textTemplate) {
    const unsigned char* data = CurrentTableData(textTemplate);
    if (data == nullptr || GetU32(data - kEntryData, kEntryLength) < kStyleEntryMinimum) return nullptr;
    return const_cast<unsigned char*>(data);
}

bool LoadCurrentSettings(EntRec* record) {
    const unsigned char* block = CurrentStyleBlock(TextTemplate());
    if (block == nullptr) return false;
    std::memcpy(record + kTextStyleBlock, block, kStyleBlockSize);
    return true;
}

unsigned char* MakeSettingsCurrent(const unsigned char* styleBlock, bool normalise) {
    unsigned char* textTemplate = TextTemplate();
    if (textTemplate == nullptr) return nullptr;
    if (normalise) {
        uint32_t first = GetU32(textTemplate, kTblEntries + kEntryLength);
        if (first < kStyleEntryMinimum || first > kMaxTableEntryLength) return nullptr;
        PutU16(textTemplate, kTblCurrentNumber, 0);
        PutU32(textTemplate, kTblCurrentOffset, kTblEntries);
    }
    unsigned char* block = CurrentStyleBlock(textTemplate);
    if (block == nullptr) return nullptr;
    std::memcpy(block, styleBlock, kStyleBlockSize);
    return block;
}
