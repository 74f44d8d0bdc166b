// Draw order. The host draws a list in list order, so later entities cover earlier ones:
// QLFRONT moves the selected entities to the end of their list, QLBACK to just before the
// first entity that is not selected. Both keep the order of the moved entities and also
// reorder the selected members of type-36 containers whose flags allow it.
#include "core/commands.h"
#include "core/host_api.h"
#include "core/records.h"

namespace {

constexpr int kSelectPrompt = 0x1065;

int RememberEach(DList*, EntRec* entity, void* last, void*) {
    *static_cast<EntRec**>(last) = entity;
    return 0;
}

EntRec* LastEntity(DList* list, uint32_t scope) {
    EntRec* last = nullptr;
    ForEachEntity(list, RememberEach, scope, &last);
    return last;
}

int FirstUnmarked(DList* list, EntRec* entity, void* found, void*) {
    if (RecordType(entity) == 0 || IsMarked(list, entity)) return 0;
    *static_cast<EntRec**>(found) = entity;
    return 1;
}

// The QLBACK anchor: the first entity that is neither selected nor host-internal.
EntRec* FirstUnselected(DList* list, uint32_t scope) {
    EntRec* found = nullptr;
    ForEachEntity(list, FirstUnmarked, scope, &found);
    return found;
}

bool ReorderedContainer(const EntRec* entity) {
    return RecordType(entity) == ET_CONTAINER && RecordLength(entity) >= kContainerFlags + 4 &&
           (GetU32(entity, kContainerFlags) & kContainerReorder) != 0;
}

int DrawOnly(DList*, EntRec* entity, void*, void*) {
    EDraw(0, entity);
    return 0;
}

// Calls pass(list) for the member list of every type-36 container that allows reordering.
using MemberPass = void (*)(DList* members);

int ForReorderedContainers(DList* list, EntRec* entity, void* pass, void*) {
    if (!ReorderedContainer(entity)) return 0;
    if (DList* members = SubList(list, entity)) (*static_cast<MemberPass*>(pass))(members);
    return 0;
}

void ContainerPass(MemberPass pass) { ForEachEntity(GetWorkDL(), ForReorderedContainers, SCOPE_WITH_INTERNAL, &pass); }

void AskSelection(ContProc continuation) {
    ReqData(REQ_SELECTION, nullptr, QL_PROMPT_NUMBER(kSelectPrompt), QL_CURSOR(1), continuation, 0, 0);
}

// ---------------------------------------------------------------------------------------
// QLFRONT

// Moves one selected entity just after the anchor, which it then becomes.
int FrontMove(DList* list, EntRec* entity, void* anchor, void*) {
    EntRec*& last = *static_cast<EntRec**>(anchor);
    EDraw(0, entity);
    EntRec* stored = LocateEntity(list, entity);
    if (stored == nullptr) return 0;
    if (stored != last) {
        MoveAfter(list, stored, last);
        last = stored;
    }
    UnmarkEntity(list, stored);
    return 0;
}

void FrontPass(DList* list, uint32_t lastScope, uint32_t selectedScope) {
    EntRec* anchor = LastEntity(list, lastScope);
    if (anchor != nullptr) ForEachEntity(list, FrontMove, selectedScope, &anchor);
}

void FrontInContainer(DList* members) { FrontPass(members, SCOPE_ALL, SCOPE_SELECTED); }

void FrontSelected(int status) {
    if (status != ST_OK) return CmdEnd();
    DList* work = GetWorkDL();
    BeginChange(work);
    ContainerPass(FrontInContainer);
    FrontPass(work, SCOPE_WITH_INTERNAL, SCOPE_SELECTED);
    Redraw();
    CmdEnd();
}

// ---------------------------------------------------------------------------------------
// QLBACK

// Moves one selected entity just before the fixed anchor; containers stay where they are.
int BackMove(DList* list, EntRec* entity, void* anchor, void*) {
    if (RecordType(entity) == ET_CONTAINER) return 0;
    EDraw(0, entity);
    EntRec* stored = LocateEntity(list, entity);
    if (stored == nullptr) return 0;
    MoveBefore(list, stored, static_cast<EntRec*>(anchor));
    UnmarkEntity(list, stored);
    return 0;
}

void BackPass(DList* list, uint32_t anchorScope, uint32_t selectedScope) {
    EntRec* anchor = FirstUnselected(list, anchorScope);
    if (anchor != nullptr)
        ForEachEntity(list, BackMove, selectedScope, anchor);
    else
        ForEachEntity(list, DrawOnly, selectedScope);
}

void BackInContainer(DList* members) { BackPass(members, SCOPE_ALL, SCOPE_SELECTED); }

void BackSelected(int status) {
    if (status != ST_OK) return CmdEnd();
    DList* work = GetWorkDL();
    BeginChange(work);
    ContainerPass(BackInContainer);
    BackPass(work, SCOPE_WITH_INTERNAL, SCOPE_SELECTED | SCOPE_WITH_INTERNAL);
    Redraw();
    CmdEnd();
}

}  // namespace

void QLFRONT() { AskSelection(FrontSelected); }
void QLBACK() { AskSelection(BackSelected); }
