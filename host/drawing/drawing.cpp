// The host's one drawing: working list, temporary lists, purge of deleted entities.
#include "host/drawing/drawing.h"

#include <algorithm>
#include <cstring>

#include "host/drawing/tables.h"
#include "host/state/parts.h"

namespace qlhost {
namespace {

// Frees the blocks left behind by resize moves.
void FreeMovedBlocks(Drawing& drawing) {
    for (auto& [old, moved] : drawing.moved) {
        ReleaseBlock(drawing, const_cast<Node*>(old));
    }
    drawing.moved.clear();
}

// Calls f on every node of a list and its member lists, depth first, without recursion.
template <typename F>
void ForEachNodeDeep(HostList& list, F&& f) {
    std::vector<Node*> pending;
    for (Node* n = list.tail; n; n = n->prev) pending.push_back(n);
    while (!pending.empty()) {
        Node* node = pending.back();
        pending.pop_back();
        if (f(node)) return;
        if (node->children)
            for (Node* n = node->children->tail; n; n = n->prev) pending.push_back(n);
    }
}

}  // namespace

Drawing::Drawing() {
    Reset();
}

Drawing::~Drawing() {
    temporaries.clear();
    work.reset();
    FreeMovedBlocks(*this);
}

// The working list object survives a reset, so pointers to it (GetWorkDL) stay valid.
void Drawing::Reset() {
    temporaries.clear();
    grantedLists = 0;
    refusedLists = 0;
    fileName = "Untitled.cv7";
    if (work) {
        work->Clear();
        work->name = fileName;
        work->changes = 0;
        std::memset(work->fileName, 0, sizeof work->fileName);
        std::memcpy(work->fileName, fileName.data(), fileName.size());
    } else {
        work = std::make_unique<HostList>(this, fileName, 0, nullptr, nullptr);
    }
    FreeMovedBlocks(*this);
    pendingDeleted.clear();
    nextId = 1;
    nextSerial = 1;
    BuildDefaultTables(tables);
}

void Drawing::TakeOver(Drawing& other) {
    Reset();
    HostList* from = other.work.get();
    // The nodes live in the other drawing's store: the stores change places (this one is empty
    // after the reset), so the blocks stay where they are and are freed by their new owner.
    live.Swap(other.live);
    std::vector<const HostList*> memberLists;
    other.lists.ForEach([&](const HostList* list) {
        if (list != from) memberLists.push_back(list);
    });
    for (const HostList* member : memberLists) {
        HostList* list = const_cast<HostList*>(member);
        list->drawing = this;
        if (list->parent == from) list->parent = work.get();
        lists.insert(list);
        other.lists.erase(list);
    }
    for (Node* node = from->head; node; node = node->next) node->owner = work.get();
    work->head = from->head;
    work->tail = from->tail;
    work->count = from->count;
    from->head = from->tail = nullptr;
    from->count = 0;
    moved.insert(other.moved.begin(), other.moved.end());
    other.moved.clear();
    pendingDeleted.insert(pendingDeleted.end(), other.pendingDeleted.begin(), other.pendingDeleted.end());
    other.pendingDeleted.clear();
    tables = std::move(other.tables);
    BuildDefaultTables(other.tables);
    nextId = other.nextId;
    nextSerial = other.nextSerial;
}

void Drawing::PurgeDeleted() {
    std::vector<Node*> deleted;
    deleted.swap(pendingDeleted);
    for (Node* node : deleted) {
        // A node freed since (or a block reused by a new entity) is no longer both live and
        // deleted; anything else goes now.
        if (!live.count(node) || !node->deleted() || !node->owner) continue;
        node->owner->Free(node);
    }
    FreeMovedBlocks(*this);
}

Node* Drawing::FindById(uint32_t id) {
    Node* found = nullptr;
    if (!work || id == 0) return nullptr;
    ForEachNodeDeep(*work, [&](Node* node) {
        if (node->id != id) return false;
        found = node;
        return true;
    });
    return found;
}

HostList* Drawing::CreateTemporary(const std::string& name, int mode) {
    temporaries.push_back(std::make_unique<HostList>(this, name, mode, nullptr, nullptr));
    return temporaries.back().get();
}

bool Drawing::ReleaseTemporary(HostList* list) {
    auto it = std::find_if(temporaries.begin(), temporaries.end(),
                           [list](const std::unique_ptr<HostList>& t) { return t.get() == list; });
    if (it == temporaries.end()) return false;
    // Detach before destroying so a callback releasing the list again finds nothing.
    std::unique_ptr<HostList> doomed = std::move(*it);
    temporaries.erase(it);
    return true;
}

void Drawing::ClearSelection() {
    auto clear = [](Node* node) {
        node->flags &= ~Node::kSelected;
        return false;
    };
    if (work) ForEachNodeDeep(*work, clear);
    for (auto& list : temporaries) ForEachNodeDeep(*list, clear);
}

}  // namespace qlhost
