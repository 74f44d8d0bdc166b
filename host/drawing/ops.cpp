// The operations table of the host's drawing lists, as the plug-in calls it.
#include <algorithm>
#include <cstring>
#include <vector>

#include "host/drawing/drawing.h"
#include "host/drawing/tables.h"

namespace qlhost {
namespace {

EntRec* RecordOf(Node* node) {
    return node ? node->record() : nullptr;
}

// Layers whose entities the visible-only scope skips (hidden or frozen), sorted.
std::vector<int> BlockedLayers(const Tables& tables) {
    std::vector<int> blocked;
    for (const TableEntry& entry : TableEntries(tables.layers, kTableEntries)) {
        if (entry.length < kLayerFlags + 4) continue;
        uint32_t flags = 0;
        std::memcpy(&flags, tables.layers.data() + entry.offset + kLayerFlags, sizeof flags);
        if (flags & (kLayerHidden | kLayerFrozen))
            blocked.push_back(EntryNumber(tables.layers, entry));
    }
    std::sort(blocked.begin(), blocked.end());
    return blocked;
}

bool InScope(const Node& node, uint32_t scope, const std::vector<int>& blocked) {
    if (node.deleted()) return false;
    if (node.type() == 0 && !(scope & SCOPE_WITH_INTERNAL)) return false;
    if ((scope & SCOPE_SELECTED) && !node.selected()) return false;
    if ((scope & SCOPE_VISIBLE) && !blocked.empty()) {
        uint16_t layer = 0;
        std::memcpy(&layer, node.record() + kHdrLayer, sizeof layer);
        if (std::binary_search(blocked.begin(), blocked.end(), static_cast<int>(layer)))
            return false;
    }
    return true;
}

void OpReleaseList(DList* list) {
    if (HostList* l = ListOf(list)) l->drawing->ReleaseTemporary(l);
}

EntRec* OpAddEntity(DList* list, const EntRec* record) {
    HostList* l = ListOf(list);
    if (!l || !record) return nullptr;
    uint32_t length = 0;
    std::memcpy(&length, record, sizeof length);
    return RecordOf(l->Append(record, length));
}

EntRec* OpNewSubEntity(DList* list, int type, uint32_t length) {
    HostList* l = ListOf(list);
    return l ? RecordOf(l->AppendZeroed(type, length)) : nullptr;
}

// A deleted entity that is located is being edited in place again (the transform
// commands take their entities out, then locate and transform them): it comes back.
EntRec* OpLocateEntity(DList*, EntRec* entity) {
    Node* node = LocateNode(entity);
    if (!node) return nullptr;
    node->flags &= ~Node::kDeleted;
    return node->record();
}

int OpDeleteEntity(DList*, EntRec* entity) {
    Node* node = LocateNode(entity);
    if (!node || node->deleted()) return 0;
    node->flags = (node->flags | Node::kDeleted) & ~Node::kSelected;
    node->owner->drawing->pendingDeleted.push_back(node);
    return 1;
}

int OpRestoreEntity(DList*, EntRec* entity) {
    Node* node = LocateNode(entity);
    if (!node || !node->deleted()) return 0;
    node->flags &= ~Node::kDeleted;
    return 1;
}

int OpRemoveEntity(DList*, EntRec* entity) {
    Node* node = LocateNode(entity);
    if (!node) return 0;
    node->owner->Free(node);
    return 1;
}

EntRec* OpResizeEntity(DList*, EntRec* entity, uint32_t newLength) {
    Node* node = LocateNode(entity);
    return node ? RecordOf(node->owner->Resize(node, newLength)) : nullptr;
}

int OpForEachEntity(DList* list, EntityProc proc, uint32_t scope, void* user1, void* user2) {
    HostList* l = ListOf(list);
    if (!l || !proc) return 0;
    Drawing& drawing = *l->drawing;
    const uint64_t before = drawing.nextSerial;
    const uint32_t walk = drawing.nextWalk++;  // never 0, the visit mark of a new node
    if (drawing.nextWalk == 0) drawing.nextWalk = 1;
    const std::vector<int> blocked =
        (scope & SCOPE_VISIBLE) ? BlockedLayers(drawing.tables) : std::vector<int>{};

    WalkCursor cursor;
    cursor.next = l->head;
    cursor.outer = l->walks;
    l->walks = &cursor;
    int result = 0;
    while (Node* node = cursor.next) {
        cursor.next = node->next;
        if (node->serial >= before || node->visit == walk) continue;
        node->visit = walk;
        if (!InScope(*node, scope, blocked)) continue;
        result = proc(l, node->record(), user1, user2);
        if (cursor.listGone) return result;
        if (result) break;
    }
    for (WalkCursor** at = &l->walks; *at; at = &(*at)->outer) {
        if (*at == &cursor) {
            *at = cursor.outer;
            break;
        }
    }
    return result;
}

void OpMarkEntity(DList*, EntRec* entity) {
    if (Node* node = LocateNode(entity)) node->flags |= Node::kSelected;
}

void OpUnmarkEntity(DList*, EntRec* entity) {
    if (Node* node = LocateNode(entity)) node->flags &= ~Node::kSelected;
}

int OpIsMarked(DList*, EntRec* entity) {
    Node* node = LocateNode(entity);
    return node && node->selected() ? 1 : 0;
}

DList* OpOpenSubList(DList*, EntRec* container) {
    Node* node = LocateNode(container);
    if (!node || !HasMemberList(node->type())) return nullptr;
    return node->owner->Children(node);
}

DList* OpSubList(DList*, EntRec* entity) {
    Node* node = LocateNode(entity);
    return node ? node->children : nullptr;
}

void OpMoveBefore(DList*, EntRec* entity, EntRec* other) {
    Node* node = LocateNode(entity);
    Node* anchor = LocateNode(other);
    if (node && anchor && node->owner == anchor->owner) node->owner->LinkBefore(node, anchor);
}

void OpMoveAfter(DList*, EntRec* entity, EntRec* other) {
    Node* node = LocateNode(entity);
    Node* anchor = LocateNode(other);
    if (node && anchor && node->owner == anchor->owner) node->owner->LinkAfter(node, anchor);
}

void OpBeginChange(DList* list) {
    if (HostList* l = ListOf(list)) ++l->changes;
}

EntRec* OpCopyEntity(DList* list, EntRec* entity) {
    HostList* l = ListOf(list);
    Node* node = LocateNode(entity);
    return l && node ? RecordOf(l->AppendCopy(node)) : nullptr;
}

unsigned char* OpGetTemplate(DList* list, int kind) {
    HostList* l = ListOf(list);
    if (!l) return nullptr;
    Table* table = TableOfKind(l->drawing->tables, kind);
    return table && !table->empty() ? table->data() : nullptr;
}

constexpr DListOps kOps = {
    OpReleaseList,   OpAddEntity,    OpNewSubEntity, OpLocateEntity,  OpDeleteEntity,
    OpRestoreEntity, OpRemoveEntity, OpResizeEntity, OpForEachEntity, OpMarkEntity,
    OpUnmarkEntity,  OpIsMarked,     OpOpenSubList,  OpSubList,       OpMoveBefore,
    OpMoveAfter,     OpBeginChange,  OpCopyEntity,   OpGetTemplate,
};

}  // namespace

const DListOps* HostListOps() {
    return &kOps;
}

}  // namespace qlhost
