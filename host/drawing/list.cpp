// Entity nodes and drawing lists: allocation, linking, deep copies and resizing.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "host/drawing/drawing.h"

namespace qlhost {
namespace {

constexpr uint32_t kMovedMagic = 0x51454d56;  // "QEMV": block left behind by a resize move

static_assert(sizeof(Node) <= Node::kHeaderSize, "node header must fit before the record");
static_assert(offsetof(DList, ops) == 0 && offsetof(DList, fileName) == QL_DLIST_NAME_OFFSET,
              "the plug-in finds the operations first and the name 300 bytes in");

uint32_t CapacityFor(uint32_t length) {
    return (length + 15u) & ~15u;
}

bool LengthAllowed(uint32_t length) {
    return length >= kMinRecordLength && length <= kMaxRecordLength;
}

// A fresh node with a record of the given length, not linked; record bytes past the
// length are zero, the rest uninitialised.
Node* NewNode(Drawing& drawing, uint32_t length) {
    const uint32_t capacity = CapacityFor(length);
    void* block = drawing.live.Allocate(Node::kHeaderSize + capacity);
    if (!block) return nullptr;
    Node* node = new (block) Node();
    node->capacity = capacity;
    node->id = drawing.nextId++;
    node->serial = drawing.nextSerial++;
    std::memset(node->record() + length, 0, capacity - length);
    drawing.live.insert(node);
    return node;
}


// Marks the walks of a list as abandoned (the list is going away).
void AbandonWalks(HostList& list) {
    for (WalkCursor* walk = list.walks; walk; walk = walk->outer) {
        walk->listGone = true;
        walk->next = nullptr;
    }
    list.walks = nullptr;
}

// Frees a node that is already unlinked, with every member list below it, without
// recursion (nesting depth comes from files and is not bounded).
void DestroyTree(Drawing& drawing, Node* root) {
    if (!root->children) {
        drawing.live.erase(root);
        ReleaseBlock(drawing, root);
        return;
    }
    std::vector<Node*> pending{root};
    while (!pending.empty()) {
        Node* node = pending.back();
        pending.pop_back();
        if (HostList* members = node->children) {
            for (Node* child = members->head; child; child = child->next) pending.push_back(child);
            members->head = members->tail = nullptr;
            members->count = 0;
            node->children = nullptr;
            delete members;
        }
        drawing.live.erase(node);
        ReleaseBlock(drawing, node);
    }
}

}  // namespace

void ReleaseBlock(Drawing& drawing, Node* node) {
    const size_t bytes = Node::kHeaderSize + node->capacity;
    // A freed block must not pass for a node: stale pointers to it are refused until reused.
    node->magic = 0;
    node->~Node();
    drawing.live.Release(node, bytes);
}

uint32_t Node::length() const {
    uint32_t n = 0;
    std::memcpy(&n, record(), sizeof n);
    return std::min(n, capacity);
}

bool HasMemberList(int type) {
    return type == 10 || type == 12 || type == 13 || type == 34 || type == 36;
}

HostList::HostList(Drawing* d, std::string n, int m, HostList* p, Node* pn)
    : drawing(d), name(std::move(n)), mode(m), parent(p), parentNode(pn) {
    ops = HostListOps();
    std::memset(hostPrivate, 0, sizeof hostPrivate);
    std::memset(fileName, 0, sizeof fileName);
    std::memcpy(fileName, name.data(), std::min(name.size(), sizeof fileName - 1));
    drawing->lists.insert(this);
}

HostList::~HostList() {
    AbandonWalks(*this);
    Clear();
    drawing->lists.erase(this);
}

HostList* HostList::Root() {
    HostList* list = this;
    while (list->parent) list = list->parent;
    return list;
}

size_t HostList::Depth() const {
    size_t depth = 0;
    for (const HostList* list = parent; list; list = list->parent) ++depth;
    return depth;
}

// Links a new node at the end of the list.
static Node* LinkAtEnd(HostList& list, Node* node) {
    node->owner = &list;
    node->prev = list.tail;
    node->next = nullptr;
    if (list.tail)
        list.tail->next = node;
    else
        list.head = node;
    list.tail = node;
    ++list.count;
    return node;
}

// Takes a node out of the chain, keeping every walk of the list on its next node.
static void Unlink(HostList& list, Node* node) {
    for (WalkCursor* walk = list.walks; walk; walk = walk->outer)
        if (walk->next == node) walk->next = node->next;
    if (node->prev)
        node->prev->next = node->next;
    else
        list.head = node->next;
    if (node->next)
        node->next->prev = node->prev;
    else
        list.tail = node->prev;
    node->prev = node->next = nullptr;
    --list.count;
}

Node* HostList::Append(const void* record, uint32_t length) {
    if (!record || !LengthAllowed(length) || Depth() >= kMaxMemberDepth) return nullptr;
    Node* node = NewNode(*drawing, length);
    if (!node) return nullptr;
    std::memcpy(node->record(), record, length);
    std::memcpy(node->record(), &length, sizeof length);
    return LinkAtEnd(*this, node);
}

Node* HostList::AppendZeroed(int type, uint32_t length) {
    if (!LengthAllowed(length) || type < 0 || type > 255 || Depth() >= kMaxMemberDepth) return nullptr;
    Node* node = NewNode(*drawing, length);
    if (!node) return nullptr;
    std::memset(node->record(), 0, length);
    std::memcpy(node->record(), &length, sizeof length);
    node->record()[4] = static_cast<unsigned char>(type);
    return LinkAtEnd(*this, node);
}

Node* HostList::AppendCopy(const Node* source) {
    if (!source) return nullptr;
    // Nodes created from here on are copies; skipping them keeps a copy into the source's
    // own member lists finite.
    const uint64_t before = drawing->nextSerial;
    Node* top = Append(source->record(), source->length());
    if (!top) return nullptr;
    std::vector<std::pair<const Node*, Node*>> pending;
    if (source->children) pending.emplace_back(source, top);
    while (!pending.empty()) {
        auto [from, to] = pending.back();
        pending.pop_back();
        HostList* members = Children(to);
        for (const Node* child = from->children->head; child; child = child->next) {
            if (child->deleted() || child->serial >= before) continue;
            Node* copy = members->Append(child->record(), child->length());
            if (copy && child->children) pending.emplace_back(child, copy);
        }
    }
    return top;
}

void HostList::Free(Node* node) {
    if (!node || node->owner != this) return;
    Unlink(*this, node);
    DestroyTree(*drawing, node);
}

void HostList::LinkBefore(Node* node, Node* other) {
    if (!node || !other || node == other || node->owner != this || other->owner != this) return;
    Unlink(*this, node);
    node->owner = this;
    node->next = other;
    node->prev = other->prev;
    if (other->prev)
        other->prev->next = node;
    else
        head = node;
    other->prev = node;
    ++count;
}

void HostList::LinkAfter(Node* node, Node* other) {
    if (!node || !other || node == other || node->owner != this || other->owner != this) return;
    Unlink(*this, node);
    node->owner = this;
    node->prev = other;
    node->next = other->next;
    if (other->next)
        other->next->prev = node;
    else
        tail = node;
    other->next = node;
    ++count;
}

HostList* HostList::Children(Node* node) {
    if (!node) return nullptr;
    if (!node->children)
        node->children = new HostList(drawing, name, mode, node->owner ? node->owner : this, node);
    return node->children;
}

void HostList::Clear() {
    while (head) Free(head);
}

Node* HostList::Resize(Node* node, uint32_t newLength) {
    if (!node || node->owner != this || !LengthAllowed(newLength)) return nullptr;
    const uint32_t oldLength = node->length();
    if (newLength <= node->capacity) {
        if (newLength > oldLength)
            std::memset(node->record() + oldLength, 0, newLength - oldLength);
        std::memcpy(node->record(), &newLength, sizeof newLength);
        return node;
    }
    const uint32_t capacity = CapacityFor(newLength);
    void* block = drawing->live.Allocate(Node::kHeaderSize + capacity);
    if (!block) return nullptr;
    Node* moved = new (block) Node(*node);
    moved->capacity = capacity;
    std::memcpy(moved->record(), node->record(), oldLength);
    std::memset(moved->record() + oldLength, 0, capacity - oldLength);
    std::memcpy(moved->record(), &newLength, sizeof newLength);

    if (moved->prev)
        moved->prev->next = moved;
    else
        head = moved;
    if (moved->next)
        moved->next->prev = moved;
    else
        tail = moved;
    for (WalkCursor* walk = walks; walk; walk = walk->outer)
        if (walk->next == node) walk->next = moved;
    if (moved->children) moved->children->parentNode = moved;
    if (moved->deleted()) drawing->pendingDeleted.push_back(moved);

    // The old block stays allocated until the next purge so stale pointers to it can be
    // told apart from new entities and led to the new place.
    drawing->live.erase(node);
    drawing->live.insert(moved);
    node->magic = kMovedMagic;
    node->children = nullptr;
    node->owner = nullptr;
    node->prev = node->next = nullptr;
    drawing->moved[node] = moved;
    return moved;
}

// A node pointer from a record pointer, without checks.
static const Node* HeaderOf(const EntRec* record) {
    return reinterpret_cast<const Node*>(record - Node::kHeaderSize);
}

Node* NodeOf(const EntRec* record) {
    if (!record) return nullptr;
    const Node* found = HeaderOf(record);
    if (!TheDrawing().live.contains(found)) return nullptr;
    Node* node = const_cast<Node*>(found);
    return node->magic == Node::kMagic ? node : nullptr;
}

Node* LocateNode(const EntRec* record) {
    if (!record) return nullptr;
    if (Node* node = NodeOf(record)) return node;
    Drawing& drawing = TheDrawing();
    const Node* at = HeaderOf(record);
    // Follow the chain of moves; each step lands on a newer block.
    for (size_t steps = 0; steps <= drawing.moved.size(); ++steps) {
        auto it = drawing.moved.find(at);
        if (it == drawing.moved.end()) return nullptr;
        if (drawing.live.count(it->second)) return it->second;
        at = it->second;
    }
    return nullptr;
}

HostList* ListOf(const DList* list) {
    if (!list) return nullptr;
    const auto* found = reinterpret_cast<const HostList*>(list);
    return TheDrawing().lists.contains(found) ? const_cast<HostList*>(found) : nullptr;
}

}  // namespace qlhost
