// Splitting stored entities (ESplit) and exploding composite ones into the working list
// (EExplode).
#include <cstring>

#include "core/host_api.h"
#include "host/drawing/drawing.h"
#include "host/drawing/layouts.h"
#include "host/geometry/split.h"

namespace {

using namespace qlhost;

// Writes a record over a stored node, resizing it when the length changes.
Node* Store(Node* node, const Record& rec) {
    if (node->length() != rec.size()) {
        Node* moved = node->owner->Resize(node, static_cast<uint32_t>(rec.size()));
        if (!moved) return nullptr;
        node = moved;
    }
    std::memcpy(node->record(), rec.data(), rec.size());
    return node;
}

}  // namespace

extern "C" {

int ESplit(EntRec* entity, double t, EntRec** a, EntRec** b) {
    Node* node = NodeOf(entity);
    if (!node || !node->owner || node->deleted()) return 0;
    Record pieceA, pieceB;
    bool opened = false;
    if (!SplitRecord(entity, t, pieceA, pieceB, opened)) return 0;
    HostList* list = node->owner;
    bool selected = node->selected();
    Node* first = Store(node, pieceA);
    if (!first) return 0;
    Node* second = first;
    if (!opened) {
        second = list->Append(pieceB.data(), static_cast<uint32_t>(pieceB.size()));
        if (!second) return 0;
        list->LinkAfter(second, first);
        if (selected) list->ops->MarkEntity(list, second->record());
    }
    if (a) *a = first->record();
    if (b) *b = second->record();
    return 1;
}

int EExplode(EntRec* entity, ExplodeProc callback) {
    if (!entity || layout::LengthOf(entity) < layout::kHeaderSize) return 0;
    std::vector<Record> parts = ExplodeRecord(entity);
    HostList* work = TheDrawing().work.get();
    if (parts.empty() || !work) return 0;
    for (const Record& part : parts) {
        Node* node = work->Append(part.data(), static_cast<uint32_t>(part.size()));
        if (!node) return 0;
        if (callback && callback(node->record()) != 0) break;
    }
    return 1;
}

}  // extern "C"
