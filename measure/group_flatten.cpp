// QLGROUP1: puts the selected entities into one new group of a single level. Members of
// selected groups, at any depth, become direct members; the emptied group records stay.
// Symbols and containers move whole.
#include "core/commands.h"
#include "core/host_api.h"
#include "core/records.h"

namespace {

constexpr char kPrompt[] = "Group to one level (h = help): ";
constexpr int kSelectCursor = 11;

// Moves an entity into the new group's list, or the members of a group, recursively.
int MoveIntoGroup(DList* list, EntRec* entity, void* target, void*) {
    if (RecordType(entity) == ET_GROUP) {
        if (DList* members = SubList(list, entity)) ForEachEntity(members, MoveIntoGroup, SCOPE_ALL, target);
        return 0;
    }
    CopyEntity(static_cast<DList*>(target), entity);
    DeleteEntity(list, entity);
    EDraw(0, entity);
    return 0;
}

void GroupSelected(int status) {
    if (status != ST_OK) return CmdEnd();
    DList* work = GetWorkDL();
    BeginChange(work);
    const RecordBuffer record = BuildGroup();
    EntRec* group = AddEntity(work, record.data());
    DList* members = group != nullptr ? OpenSubList(work, group) : nullptr;
    if (members == nullptr) return CmdEnd();
    SetCStuff(group);
    UnmarkEntity(work, group);
    ForEachEntity(work, MoveIntoGroup, SCOPE_SELECTED, members);
    MarkEntity(work, group);
    ShowChanges();
    CmdEnd();
}

}  // namespace

void QLGROUP1() { ReqData(REQ_SELECTION, nullptr, kPrompt, QL_CURSOR(kSelectCursor), GroupSelected, 0, 0); }
