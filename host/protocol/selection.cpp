// Selection and pick answers: which entities of the working list a script's `select` marks
// and which one `pick` finds under a point.
#include <algorithm>
#include <cstring>

#include "host/drawing/drawing.h"
#include "host/drawing/tables.h"
#include "host/protocol/protocol.h"

namespace qlhost {
namespace {

// Entities the user can see: not deleted, on a layer neither hidden nor frozen.
bool Visible(const Drawing& drawing, const Node& node) {
    if (node.deleted()) return false;
    uint16_t layer;
    std::memcpy(&layer, node.record() + kHdrLayer, sizeof layer);
    return (LayerFlags(drawing.tables, layer) & (kLayerHidden | kLayerFrozen)) == 0;
}

void Mark(Node* node) {
    HostList* list = node->owner;
    list->ops->MarkEntity(list, node->record());
}

}  // namespace

void SelectNone() { TheDrawing().ClearSelection(); }

void SelectAll() {
    Drawing& drawing = TheDrawing();
    drawing.ClearSelection();
    if (!drawing.work) return;
    for (Node* node = drawing.work->head; node; node = node->next)
        if (Visible(drawing, *node)) Mark(node);
}

void SelectIds(const std::vector<uint32_t>& ids, std::string& error) {
    Drawing& drawing = TheDrawing();
    std::vector<Node*> nodes;
    for (uint32_t id : ids) {
        Node* node = drawing.FindById(id);
        if (!node || node->deleted()) {
            error = "no entity " + std::to_string(id);
            return;
        }
        nodes.push_back(node);
    }
    drawing.ClearSelection();
    for (Node* node : nodes) Mark(node);
}

void SelectWindow(double x1, double y1, double x2, double y2) {
    Drawing& drawing = TheDrawing();
    drawing.ClearSelection();
    if (!drawing.work) return;
    const double left = std::min(x1, x2), right = std::max(x1, x2);
    const double bottom = std::min(y1, y2), top = std::max(y1, y2);
    for (Node* node = drawing.work->head; node; node = node->next) {
        if (!Visible(drawing, *node)) continue;
        ExtentRec extent{};
        extent.valid = 0;
        EXCheck(node->record(), &extent);
        if (!extent.valid) continue;
        if (extent.min[0] >= left && extent.max[0] <= right && extent.min[1] >= bottom && extent.max[1] <= top)
            Mark(node);
    }
}

EntRec* PickAt(double x, double y) {
    Drawing& drawing = TheDrawing();
    if (!drawing.work) return nullptr;
    const double point[2] = {x, y};
    EntRec* found = nullptr;
    for (Node* node = drawing.work->head; node; node = node->next)
        if (Visible(drawing, *node) && EPick(node->record(), point)) found = node->record();
    return found;
}

}  // namespace qlhost
