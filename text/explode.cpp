// QLTEXTEXPL: replaces the selected texts, also those inside groups, by the geometry of their
// characters: lines and arcs for the host's stroke fonts, glyph outlines for TrueType fonts.
// Texts inside symbol references stay; other selected entities are only redrawn.
#include <string>

#include "core/commands.h"
#include "core/geometry.h"
#include "text/explode.h"

namespace {

constexpr char kPrompt[] = "Text explode - select entities (h - help):";
constexpr int kSelectCursor = 7;

enum FontKind : uint8_t { kStrokeFont = 0, kTrueTypeFont = 1, kOtherFont = 2 };
constexpr int kJustifyBottomCentre = 1;
constexpr int kJustifyBottomRight = 2;

std::string_view FontName(const unsigned char* entry) {
    const uint32_t length = GetU32(entry, kEntryLength);
    return length > kFontName ? BoundedName(entry, kFontName, length - kFontName) : std::string_view();
}

// A font file that is missing, empty, of another format or of no design height leaves the
// text as it is (drawn again).
void ExplodeStrokeText(DList* list, EntRec* entity, const RecordBuffer& text, std::string_view name) {
    std::string file(1, '#');
    file.append(name);
    char* data = nullptr;
    uint32_t size = 0;
    const bool loaded = LoadFile(file.c_str(), &data, &size) != 0 && data != nullptr;
    const StrokeFontFile font(reinterpret_cast<const unsigned char*>(data), loaded ? size : 0);
    if (font.Usable()) {
        double origin[2];
        ExplodeOrigin(entity, text, origin);
        EErase(0, entity);
        ExplodeWithStrokeFont(list, text, font, origin);
        DeleteEntity(list, entity);
    } else {
        EDraw(0, entity);
    }
    if (loaded) RelMem(data);
}

void ExplodeTrueTypeText(DList* list, EntRec* entity, const RecordBuffer& text, std::string_view face) {
    ExplodeFont font;
    if (!OpenExplodeFont(text, face, font)) {
        EDraw(0, entity);
        return;
    }
    double origin[2];
    ExplodeOrigin(entity, text, origin);
    EErase(0, entity);
    if (ExplodeWithTrueType(list, text, font.dc, origin))
        DeleteEntity(list, entity);
    else
        EDraw(0, entity);
    CloseExplodeFont(font);
}

// Texts whose font number is not in the table (or whose record is too short to be a text)
// are left as they are, not even redrawn.
void ExplodeText(DList* list, EntRec* entity, const unsigned char* fonts) {
    const uint32_t length = RecordLength(entity);
    if (length < TextSize(0)) return;
    const RecordBuffer text(entity, length);
    const unsigned char* entry = FindTableEntry(fonts, kTblEntries, GetU16(text.data(), kTextFont));
    if (entry == nullptr || GetU32(entry, kEntryLength) <= kFontKind) return;
    switch (GetU8(entry, kFontKind)) {
        case kStrokeFont:
            ExplodeStrokeText(list, entity, text, FontName(entry));
            break;
        case kTrueTypeFont:
            ExplodeTrueTypeText(list, entity, text, FontName(entry));
            break;
        case kOtherFont:
            EDraw(0, entity);
            break;
        default:
            break;
    }
}

int ExplodeEntity(DList* list, EntRec* entity, void* fonts, void*) {
    switch (RecordType(entity)) {
        case ET_TEXT:
            ExplodeText(list, entity, static_cast<const unsigned char*>(fonts));
            return 0;
        case ET_GROUP:
            if (DList* members = SubList(list, entity)) {
                ForEachEntity(members, ExplodeEntity, SCOPE_ALL, fonts);
                return 0;
            }
            break;
        case ET_TYPE11:
            return 0;
        default:
            break;
    }
    EDraw(0, entity);
    return 0;
}

void OnSelection(int status) {
    DList* work = GetWorkDL();
    if (status == ST_OK && work != nullptr) {
        BeginChange(work);
        ForEachEntity(work, ExplodeEntity, SCOPE_SELECTED, GetTemplate(work, TPL_FONTS));
        ShowChanges();
    }
    CmdEnd();
}

}  // namespace

void ExplodeOrigin(EntRec* stored, const RecordBuffer& text, double* origin) {
    double position[2];
    GetPoint(text.data(), kTextX, position);
    origin[0] = position[0];
    origin[1] = position[1];
    const int justification = GetU8(text.data(), kTextJustify);
    if (justification != kJustifyBottomCentre && justification != kJustifyBottomRight) return;
    const double length = LenText2(stored);
    const double back = justification == kJustifyBottomCentre ? -length / 2 : -length;
    PolarPoint(position, back, GetF32(text.data(), kTextAngle), origin);
}

void QLTEXTEXPL() { ReqData(REQ_SELECTION, nullptr, kPrompt, QL_CURSOR(kSelectCursor), OnSelection, 0, 0); }
