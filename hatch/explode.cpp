// QLHEXPLODE: closed entities the host fills with a scalable hatch pattern get real hatch
// lines instead. The fill is taken off the entity, and a group of lines reproducing the
// pattern inside its outline is placed just before it, the lines taking its attributes.
// Groups in the selection are searched at any depth.
#include <cstring>

#include "core/commands.h"
#include "core/host_api.h"
#include "core/prompts.h"
#include "core/records.h"
#include "hatch/engine/expand.h"

namespace {

constexpr uintptr_t kSelectCursor = 4;
constexpr uint32_t kInfoClosed = 0x04;
constexpr int kHatchPatternStyle = 3;  // host fill style kind of a scalable hatch pattern

struct ExplodeWalk {
    HatchBorder border;
    bool tooDense = false;
    bool unusable = false;
};

int RemoveFromBorder(DList* list, EntRec* entity, void*, void*) {
    RemoveEntity(list, entity);
    return 0;
}

// The host hatch pattern filling a closed entity, or null.
const unsigned char* HatchStyleOf(EntRec* entity) {
    if ((EInfo(entity, 1) & kInfoClosed) == 0) return nullptr;
    const unsigned char* style = FindFStyleID(GetU16(entity, kRecFillStyle));
    if (style == nullptr || GetU8(style, kFillStyleKind) != kHatchPatternStyle) return nullptr;
    return style;
}

// The records of one entity's run: its pattern at the pattern's own scale and orientation
// in drawing space (hatch space starts out as drawing space). Each entity gets a fresh run,
// so the pattern's own scale never compounds from one entity to the next, and the records
// the hatch commands and dialogs work with stay as they are.
HatchRun PatternRun(const unsigned char* style) {
    HatchRun run{TheHatchOptions(), TheLineSettings()};
    run.line.angle = kQuarterTurn;
    run.options.patternKind = kPatternScalable;
    run.options.scaleBy = 1.0;
    run.options.rotateBy = 0;
    run.options.offsetBy[0] = 0;
    run.options.offsetBy[1] = 0;
    const uint32_t length = GetU32(style, kEntryLength);
    const char* name = reinterpret_cast<const char*>(style) + kFillStyleName;
    const size_t room = length > kFillStyleName ? length - kFillStyleName : 0;
    const size_t size = strnlen(name, room < kScalableNameSize ? room : kScalableNameSize - 1);
    std::memset(run.options.scalableName, 0, kScalableNameSize);
    std::memcpy(run.options.scalableName, name, size);
    return run;
}

void ExplodeEntity(DList* list, EntRec* entity, const unsigned char* style, ExplodeWalk& walk) {
    ForEachEntity(walk.border.list, RemoveFromBorder, SCOPE_ALL);
    ResetBorderExtent(walk.border.extent);
    CollectBorderEntity(walk.border, list, entity, nullptr);
    HatchRun run = PatternRun(style);

    EntRec* group = AddEntity(list, BuildGroup().data());
    if (group == nullptr) return;
    DList* members = OpenSubList(list, group);
    MoveBefore(list, group, entity);
    if (members == nullptr) return;
    MarkEntity(members, group);
    CopyCStuff(entity, group);
    // The group shows in the fill colour and is not filled itself.
    PutU32(group, kRecAttr6, GetU32(entity, kRecAttr10));
    PutU16(group, kRecFillStyle, 0);
    PutU32(group, kRecAttr22, 0);

    EntRec* stored = LocateEntity(list, entity);
    if (stored == nullptr) stored = entity;
    PutU16(stored, kRecFillStyle, 0);
    const ExpandResult result = ExpandPattern(members, walk.border, stored, run);
    walk.tooDense |= result.tooDense;
    walk.unusable |= result.unusable;
}

// Selecting a group selects all of it, so its members are walked whole.
int ExplodeVisit(DList* list, EntRec* entity, void* user1, void*) {
    ExplodeWalk& walk = *static_cast<ExplodeWalk*>(user1);
    EDraw(0, entity);
    if (RecordType(entity) == ET_GROUP) {
        if (DList* members = SubList(list, entity)) {
            UnmarkEntity(list, entity);
            ForEachEntity(members, ExplodeVisit, SCOPE_ALL, user1);
            return 0;
        }
    }
    if (const unsigned char* style = HatchStyleOf(entity))
        ExplodeEntity(list, entity, style, walk);
    else
        UnmarkEntity(list, entity);
    return 0;
}

void ExplodeSelection(int status) {
    if (status != ST_OK) {
        CmdEnd();
        return;
    }
    ExplodeWalk walk;
    if (!CreateHatchBorder(walk.border)) {
        ShowMessage("Error: Couldn't create temporary drawing list 1\n\nExiting...", "Error",
                    MS_ERROR);
        CmdEnd();
        return;
    }
    DList* work = GetWorkDL();
    BeginChange(work);
    ForEachEntity(work, ExplodeVisit, SCOPE_SELECTED, &walk);
    ReleaseHatchBorder(walk.border);
    ShowChanges();
    if (walk.tooDense) ShowTooDenseWarning();
    if (walk.unusable) ShowUnusableWarning();
    CmdEnd();
}

}  // namespace

void QLHEXPLODE() {
    ReqData(REQ_SELECTION, nullptr,
            "Explode scalable hatch - pick entities:", QL_CURSOR(kSelectCursor), ExplodeSelection,
            0, 0);
}
