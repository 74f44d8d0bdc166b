// The undo journal: images of the drawing when a step begins, the difference when it ends,
// and putting either side of a step back.
#include "host/drawing/undo.h"

#include <algorithm>
#include <cstring>

#include "host/drawing/drawing.h"
#include "host/drawing/tables.h"

namespace qlhost {
namespace {

// The settings tables a step compares, by GetTemplate kind.
constexpr int kTableKinds[] = {TPL_ATTRIBUTES, TPL_LAYERS,   TPL_FILL_STYLES, TPL_LINE_STYLES,
                               TPL_FONTS,      TPL_DIM_STYLES, TPL_TEXT_STYLES};

// The selection and the highlight are how the user looks at the drawing, not part of it.
constexpr uint32_t kKeptFlags = ~(Node::kSelected | Node::kHighlighted);
constexpr uint32_t kNoMembers = UINT32_MAX;

// Each node of a tree: id, flags, member count (kNoMembers without a member list), record
// length, the record; its members follow it, depth first.
struct NodeHeader {
    uint32_t id, flags, members, length;
};

void Put(std::vector<unsigned char>& out, const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    out.insert(out.end(), bytes, bytes + size);
}

NodeHeader HeaderOf(const Node& node) {
    return {node.id, node.flags & kKeptFlags,
            node.children ? static_cast<uint32_t>(node.children->count) : kNoMembers, node.length()};
}

// Appends the image of a top-level entity and every member below it, without recursion;
// an entity without members (nearly all) needs no list of pending nodes.
void AppendTree(const Node& top, std::vector<unsigned char>& out) {
    if (!top.children) {
        const NodeHeader header = HeaderOf(top);
        const size_t at = out.size();
        out.resize(at + sizeof header + header.length);
        std::memcpy(out.data() + at, &header, sizeof header);
        std::memcpy(out.data() + at + sizeof header, top.record(), header.length);
        return;
    }
    std::vector<const Node*> pending{&top};
    while (!pending.empty()) {
        const Node* node = pending.back();
        pending.pop_back();
        const NodeHeader header = HeaderOf(*node);
        Put(out, &header, sizeof header);
        Put(out, node->record(), header.length);
        if (node->children)
            for (const Node* child = node->children->tail; child; child = child->prev) pending.push_back(child);
    }
}

// Whether one node is what the image at `at` says; moves `at` past it.
bool SameNode(const Node& node, const unsigned char*& at, const unsigned char* end) {
    const NodeHeader header = HeaderOf(node);
    if (static_cast<size_t>(end - at) < sizeof header + header.length) return false;
    if (std::memcmp(at, &header, sizeof header) != 0) return false;
    at += sizeof header;
    if (std::memcmp(at, node.record(), header.length) != 0) return false;
    at += header.length;
    return true;
}

// Whether a tree is, node for node, what its image says (AppendTree without the copy).
bool SameTree(const Node& top, const unsigned char* image, size_t size) {
    const unsigned char* at = image;
    const unsigned char* end = image + size;
    if (!top.children) return SameNode(top, at, end) && at == end;
    std::vector<const Node*> pending{&top};
    while (!pending.empty()) {
        const Node* node = pending.back();
        pending.pop_back();
        if (!SameNode(*node, at, end)) return false;
        if (node->children)
            for (const Node* child = node->children->tail; child; child = child->prev) pending.push_back(child);
    }
    return at == end;
}

// The bytes AppendTree writes for a tree.
size_t TreeBytes(const Node& top) {
    if (!top.children) return sizeof(NodeHeader) + top.length();
    size_t bytes = 0;
    std::vector<const Node*> pending{&top};
    while (!pending.empty()) {
        const Node* node = pending.back();
        pending.pop_back();
        bytes += sizeof(NodeHeader) + node->length();
        if (node->children)
            for (const Node* child = node->children->head; child; child = child->next) pending.push_back(child);
    }
    return bytes;
}

NodeHeader ReadHeader(const unsigned char*& at) {
    NodeHeader header{};
    std::memcpy(&header, at, sizeof header);
    at += sizeof header;
    return header;
}

// Makes the entity an image describes at the end of a list, with its ids and flags.
Node* MakeNode(HostList* list, const NodeHeader& header, const unsigned char* record) {
    if (!list) return nullptr;
    Node* node = list->Append(record, header.length);
    if (!node) return nullptr;
    node->id = header.id;
    node->flags = header.flags;
    if (node->deleted()) list->drawing->pendingDeleted.push_back(node);
    return node;
}

// Builds the tree an image starts with at the end of a list; null when the list refused it.
Node* BuildTree(HostList& list, const unsigned char* at) {
    const NodeHeader topHeader = ReadHeader(at);
    Node* top = MakeNode(&list, topHeader, at);
    at += topHeader.length;
    struct Open {
        HostList* list;
        uint32_t left;
    };
    std::vector<Open> open;
    if (topHeader.members != kNoMembers) open.push_back({top ? list.Children(top) : nullptr, topHeader.members});
    while (!open.empty()) {
        if (open.back().left == 0) {
            open.pop_back();
            continue;
        }
        --open.back().left;
        HostList* into = open.back().list;
        const NodeHeader header = ReadHeader(at);
        Node* node = MakeNode(into, header, at);
        at += header.length;
        if (header.members != kNoMembers) open.push_back({node ? into->Children(node) : nullptr, header.members});
    }
    return top;
}

void AddImage(UndoStep::Images& images, uint32_t id, const unsigned char* bytes, size_t size) {
    images.index.emplace_back(id, images.bytes.size());
    images.bytes.insert(images.bytes.end(), bytes, bytes + size);
}

void SortIndex(UndoStep::Images& images) {
    std::sort(images.index.begin(), images.index.end());
}

void NameDrawing(Drawing& drawing, const std::string& name) {
    drawing.fileName = name;
    drawing.work->name = name;
    std::memset(drawing.work->fileName, 0, sizeof drawing.work->fileName);
    std::memcpy(drawing.work->fileName, name.data(), std::min(name.size(), sizeof drawing.work->fileName - 1));
}

size_t SideBytes(const UndoStep::Side& side) {
    size_t bytes = side.images.bytes.capacity() + side.images.index.capacity() * sizeof side.images.index[0] +
                   side.ids.capacity() * sizeof(uint32_t) +
                   side.order.capacity() * sizeof(uint32_t) + side.name.capacity() + side.extra.capacity();
    for (const auto& table : side.tables) bytes += table.capacity() + sizeof table;
    return bytes;
}

}  // namespace

size_t UndoStep::Bytes() const {
    return sizeof(UndoStep) + name.capacity() + SideBytes(before) + SideBytes(after) +
           tableKinds.capacity() * sizeof(int);
}

void UndoHistory::Begin(Drawing& drawing, const std::string& name, const UndoExtra& extra) {
    if (depth_++ > 0) return;
    base_.bytes.clear();
    base_.order.clear();
    size_t bytes = 0;
    for (const Node* node = drawing.work->head; node; node = node->next) bytes += TreeBytes(*node);
    base_.bytes.reserve(bytes);
    base_.order.reserve(drawing.work->count);
    for (const Node* node = drawing.work->head; node; node = node->next) {
        base_.order.emplace_back(node->id, base_.bytes.size());
        AppendTree(*node, base_.bytes);
    }
    base_.tables.clear();
    for (int kind : kTableKinds) base_.tables.push_back(*TableOfKind(drawing.tables, kind));
    base_.name = drawing.fileName;
    base_.nextId = drawing.nextId;
    base_.nextSerial = drawing.nextSerial;
    base_.extraHooks = extra;
    base_.extra = extra.save ? extra.save() : std::string();
    base_.stepName = name;
}

bool UndoHistory::End(Drawing& drawing) {
    if (depth_ == 0 || --depth_ > 0) return false;
    UndoStep step;
    step.name = base_.stepName;
    const auto& base = base_.order;
    auto baseSize = [&](size_t k) {
        return (k + 1 < base.size() ? base[k + 1].second : base_.bytes.size()) - base[k].second;
    };

    // Entities: each top-level tree now against its image by id; the common case of an
    // unchanged order finds each image at the next place, and nodes made during the step are
    // new without a look. Only the before images are copied now: the drawing keeps the after
    // side until the step is undone, which takes its images then.
    std::vector<uint32_t> now;
    now.reserve(drawing.work->count);
    std::vector<char> seen(base.size(), 0);
    std::unordered_map<uint32_t, size_t> byId;
    std::vector<size_t> changed;  // baseline entries changed or removed
    size_t next = 0;
    for (const Node* node = drawing.work->head; node; node = node->next) {
        now.push_back(node->id);
        size_t k = base.size();
        if (node->serial < base_.nextSerial) {
            if (next < base.size() && base[next].first == node->id) {
                k = next;
            } else {
                if (byId.empty())
                    for (size_t i = 0; i < base.size(); ++i) byId.emplace(base[i].first, i);
                if (auto it = byId.find(node->id); it != byId.end()) k = it->second;
            }
        }
        if (k < base.size() && !seen[k]) {
            seen[k] = 1;
            next = k + 1;
            if (SameTree(*node, base_.bytes.data() + base[k].second, baseSize(k))) continue;
            changed.push_back(k);
        }
        step.after.ids.push_back(node->id);
    }
    for (size_t k = 0; k < base.size(); ++k)
        if (!seen[k]) changed.push_back(k);
    // The before images: copied out of the start image, or, when they are most of it (a
    // command that moved everything), the start image itself.
    size_t changedBytes = 0;
    for (size_t k : changed) changedBytes += baseSize(k);
    if (changedBytes * 2 >= base_.bytes.size() && !changed.empty()) {
        for (size_t k : changed) step.before.images.index.emplace_back(base[k].first, base[k].second);
        step.before.images.bytes = std::move(base_.bytes);
    } else {
        step.before.images.bytes.reserve(changedBytes);
        for (size_t k : changed) AddImage(step.before.images, base[k].first, base_.bytes.data() + base[k].second, baseSize(k));
    }
    SortIndex(step.before.images);
    for (const auto& entry : step.before.images.index) step.before.ids.push_back(entry.first);
    if (!std::is_sorted(step.after.ids.begin(), step.after.ids.end()))
        std::sort(step.after.ids.begin(), step.after.ids.end());

    // Order: the stretch between the common start and the common end.
    size_t prefix = 0, suffix = 0;
    while (prefix < base.size() && prefix < now.size() && base[prefix].first == now[prefix]) ++prefix;
    while (suffix + prefix < base.size() && suffix + prefix < now.size() &&
           base[base.size() - 1 - suffix].first == now[now.size() - 1 - suffix])
        ++suffix;
    step.anchor = prefix > 0 ? now[prefix - 1] : 0;
    for (size_t i = prefix; i + suffix < base.size(); ++i) step.before.order.push_back(base[i].first);
    step.after.order.assign(now.begin() + static_cast<std::ptrdiff_t>(prefix),
                            now.end() - static_cast<std::ptrdiff_t>(suffix));

    for (size_t i = 0; i < std::size(kTableKinds); ++i) {
        const Table& current = *TableOfKind(drawing.tables, kTableKinds[i]);
        if (current == base_.tables[i]) continue;
        step.tableKinds.push_back(kTableKinds[i]);
        step.before.tables.push_back(std::move(base_.tables[i]));
        step.after.tables.push_back(current);
    }
    step.renamed = drawing.fileName != base_.name;
    step.before.name = base_.name;
    step.after.name = drawing.fileName;
    step.before.nextId = base_.nextId;
    step.after.nextId = drawing.nextId;
    if (base_.extraHooks.save && base_.extraHooks.restore) {
        std::string extra = base_.extraHooks.save();
        if (extra != base_.extra) {
            step.extraChanged = true;
            step.before.extra = std::move(base_.extra);
            step.after.extra = std::move(extra);
            step.restoreExtra = base_.extraHooks.restore;
        }
    }
    base_ = Baseline{};

    const bool anything = !step.before.ids.empty() || !step.after.ids.empty() ||
                         !step.before.order.empty() || !step.after.order.empty() || !step.tableKinds.empty() ||
                         step.renamed || step.extraChanged;
    if (!anything) return false;
    for (UndoStep::Side* side : {&step.before, &step.after}) {
        side->ids.shrink_to_fit();
        side->images.bytes.shrink_to_fit();
        side->images.index.shrink_to_fit();
        side->order.shrink_to_fit();
    }
    Keep(std::move(step));
    return true;
}

void UndoHistory::Keep(UndoStep step) {
    for (const UndoStep& dropped : undone_) bytes_ -= dropped.Bytes();
    undone_.clear();
    bytes_ += step.Bytes();
    done_.push_back(std::move(step));
    while (done_.size() > 1 && bytes_ > limit_) {
        bytes_ -= done_.front().Bytes();
        done_.pop_front();
    }
}

void UndoHistory::Apply(Drawing& drawing, const UndoStep& step, bool toBefore) {
    const UndoStep::Side& to = toBefore ? step.before : step.after;
    const UndoStep::Side& from = toBefore ? step.after : step.before;
    HostList& list = *drawing.work;
    std::unordered_map<uint32_t, Node*> nodes;
    nodes.reserve(list.count);
    for (Node* node = list.head; node; node = node->next) nodes.emplace(node->id, node);

    // Entities only the other side has go; those of this side come back as their images say,
    // a changed one in its place, a removed one at the end until the order below places it.
    for (uint32_t id : from.ids) {
        if (std::binary_search(to.ids.begin(), to.ids.end(), id)) continue;
        if (auto it = nodes.find(id); it != nodes.end()) {
            list.Free(it->second);
            nodes.erase(it);
        }
    }
    for (const auto& [id, offset] : to.images.index) {
        Node* made = BuildTree(list, to.images.bytes.data() + offset);
        if (!made) continue;
        if (auto it = nodes.find(id); it != nodes.end()) {
            list.LinkAfter(made, it->second);
            list.Free(it->second);
            it->second = made;
        } else {
            nodes.emplace(id, made);
        }
    }
    Node* at = nullptr;
    if (step.anchor != 0)
        if (auto it = nodes.find(step.anchor); it != nodes.end()) at = it->second;
    for (uint32_t id : to.order) {
        auto it = nodes.find(id);
        if (it == nodes.end()) continue;
        Node* node = it->second;
        if (at == nullptr) {
            if (list.head != node) list.LinkBefore(node, list.head);
        } else if (at != node && at->next != node) {
            list.LinkAfter(node, at);
        }
        at = node;
    }

    for (size_t i = 0; i < step.tableKinds.size(); ++i) *TableOfKind(drawing.tables, step.tableKinds[i]) = to.tables[i];
    if (step.renamed) NameDrawing(drawing, to.name);
    drawing.nextId = to.nextId;
    if (step.extraChanged && step.restoreExtra) step.restoreExtra(to.extra);
}

bool UndoHistory::Undo(Drawing& drawing, std::string& name) {
    if (done_.empty() || depth_ > 0) return false;
    UndoStep step = std::move(done_.back());
    done_.pop_back();
    if (!step.afterTaken) {
        // The drawing is as the step left it: its after side is taken from it now.
        bytes_ -= step.Bytes();
        std::unordered_map<uint32_t, const Node*> nodes;
        nodes.reserve(drawing.work->count);
        for (const Node* node = drawing.work->head; node; node = node->next) nodes.emplace(node->id, node);
        std::vector<const Node*> trees;
        trees.reserve(step.after.ids.size());
        size_t total = 0;
        for (uint32_t id : step.after.ids) {
            auto it = nodes.find(id);
            trees.push_back(it == nodes.end() ? nullptr : it->second);
            if (trees.back()) total += TreeBytes(*trees.back());
        }
        step.after.images.bytes.reserve(total);
        step.after.images.index.reserve(trees.size());
        for (size_t i = 0; i < trees.size(); ++i) {
            if (!trees[i]) continue;
            step.after.images.index.emplace_back(step.after.ids[i], step.after.images.bytes.size());
            AppendTree(*trees[i], step.after.images.bytes);
        }
        step.after.images.bytes.shrink_to_fit();
        step.after.images.index.shrink_to_fit();
        step.afterTaken = true;
        bytes_ += step.Bytes();
    }
    Apply(drawing, step, true);
    name = step.name;
    undone_.push_back(std::move(step));
    while (!done_.empty() && bytes_ > limit_) {
        bytes_ -= done_.front().Bytes();
        done_.pop_front();
    }
    return true;
}

bool UndoHistory::Redo(Drawing& drawing, std::string& name) {
    if (undone_.empty() || depth_ > 0) return false;
    UndoStep step = std::move(undone_.back());
    undone_.pop_back();
    Apply(drawing, step, false);
    name = step.name;
    done_.push_back(std::move(step));
    return true;
}

void UndoHistory::Clear() {
    done_.clear();
    undone_.clear();
    bytes_ = 0;
    depth_ = 0;
    base_ = Baseline{};
}

}  // namespace qlhost
