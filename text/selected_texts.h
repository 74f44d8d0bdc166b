// The walk of the "Select entities" modes of the text commands: every selected entity of
// the working list, and the members of selected groups and symbol references.
#pragma once

#include "core/host_api.h"
#include "core/records.h"

// Changes one entity (reference: the symbol reference that contains it, or null); true when
// the entity's string was changed.
using SelectedTextChange = bool (*)(EntRec* entity, EntRec* reference);

namespace selectedtexts {

// Member lists nest only a few levels; a deeper walk is refused rather than risked.
constexpr int kMaxDepth = 256;

struct Walk {
    SelectedTextChange change;
    int depth;
};

inline int VisitEntity(DList* list, EntRec* entity, void* user1, void* user2) {
    auto* walk = static_cast<Walk*>(user1);
    auto* reference = static_cast<EntRec*>(user2);
    if (walk->change(entity, reference)) return 0;
    int type = RecordType(entity);
    if ((type == ET_GROUP || type == ET_SYMBOL) && walk->depth < kMaxDepth) {
        // The members of a selected container are not marked themselves.
        if (DList* members = SubList(list, entity)) {
            ++walk->depth;
            ForEachEntity(members, VisitEntity, SCOPE_VISIBLE, walk,
                          type == ET_SYMBOL ? entity : reference);
            --walk->depth;
        }
    }
    // What was not changed leaves the selection, so the highlight shows what was.
    if (walk->depth == 0) {
        UnmarkEntity(list, entity);
        EDraw(0, entity);
    }
    return 0;
}

}  // namespace selectedtexts

// Calls change for every selected entity on a visible layer (scope 0x11000) and for the
// visible members of selected groups and symbol references, the reference passed along for
// the entities inside it. Top-level entities that change does not change are taken out of
// the selection and drawn normally.
inline void ChangeSelectedTexts(SelectedTextChange change) {
    DList* work = GetWorkDL();
    if (work == nullptr) return;
    selectedtexts::Walk walk{change, 0};
    ForEachEntity(work, selectedtexts::VisitEntity, SCOPE_SELECTED | SCOPE_VISIBLE, &walk, nullptr);
}
