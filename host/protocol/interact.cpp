// Snaps, given points, typed relative points, picking into the selection and the
// preselection: the host's side of a user drawing at its prompts.
#include "host/protocol/interact.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <numbers>

#include "host/drawing/drawing.h"
#include "host/drawing/tables.h"
#include "host/geometry/geometry.h"
#include "host/drawing/layouts.h"
#include "host/geometry/pick.h"
#include "host/geometry/shown.h"
#include "host/protocol/protocol.h"
#include "host/state/events.h"
#include "host/state/parts.h"

namespace qlhost {
namespace {

// This room's part of the host's state (host/state/parts.h).
struct InteractState {
    unsigned snapModes = 0;
    bool haveLast = false;
    Pt last;
    std::vector<Pt> commandPoints;  // given in the running command
    bool preselected = false;       // a selection made with no command running, for the next one
};
InteractState& Interact() { return Part<InteractState>(); }

bool Visible(const Drawing& drawing, const Node& node) {
    if (node.deleted()) return false;
    uint16_t layer;
    std::memcpy(&layer, node.record() + kHdrLayer, sizeof layer);
    return (LayerFlags(drawing.tables, layer) & (kLayerHidden | kLayerFrozen)) == 0;
}

bool Number(std::string_view text, double& value) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

// Does the segment a-b meet the rectangle? (Liang-Barsky clipping.)
bool SegmentMeetsBox(Pt a, Pt b, double left, double bottom, double right, double top) {
    double t0 = 0, t1 = 1;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x - left, right - a.x, a.y - bottom, top - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0) t0 = std::max(t0, t);
        else t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    return true;
}

bool Crosses(const Node& node, double left, double bottom, double right, double top) {
    bool meets = false;
    VisitShown(node.record(), nullptr, [&](const unsigned char* shown) {
        if (meets) return;
        const auto lines = FlattenEntity(shown);
        bool any = false;
        for (const auto& line : lines) {
            for (size_t i = 0; i < line.size() && !meets; ++i) {
                any = true;
                const Pt b = i + 1 < line.size() ? line[i + 1] : line[i];
                meets = SegmentMeetsBox(line[i], b, left, bottom, right, top);
            }
        }
        if (any) return;
        // Texts and other entities without an outline: by their extent.
        ExtentRec e{};
        if (EntityExtent(shown, e) && e.valid)
            meets = e.min[0] <= right && e.max[0] >= left && e.min[1] <= top && e.max[1] >= bottom;
    });
    return meets;
}

void Mark(Node* node, bool on) {
    HostList* list = node->owner;
    if (on) list->ops->MarkEntity(list, node->record());
    else list->ops->UnmarkEntity(list, node->record());
}

}  // namespace

unsigned SnapModes() { return Interact().snapModes; }
void SetSnapModes(unsigned modes) { Interact().snapModes = modes & kSnapAll; }

bool SnapNear(double x, double y, SnapHit& hit) {
    Drawing& drawing = TheDrawing();
    if (Interact().snapModes == 0 || !drawing.work) return false;
    const double tolerance = PickTolerance();
    std::vector<Record> near;
    for (const Node* node = drawing.work->head; node; node = node->next) {
        if (!Visible(drawing, *node)) continue;
        VisitShown(node->record(), nullptr, [&](const unsigned char* shown) {
            ExtentRec e{};
            if (!EntityExtent(shown, e) || !e.valid) return;
            if (x < e.min[0] - tolerance || x > e.max[0] + tolerance || y < e.min[1] - tolerance ||
                y > e.max[1] + tolerance)
                return;
            near.emplace_back(shown, shown + layout::LengthOf(shown));
        });
    }
    return FindSnap(near, {x, y}, tolerance, Interact().snapModes, hit);
}

void NotePointGiven(double x, double y) {
    Interact().haveLast = true;
    Interact().last = {x, y};
    if (CommandRunning()) Interact().commandPoints.push_back(Interact().last);
}

bool LastPoint(Pt& point) {
    point = Interact().last;
    return Interact().haveLast;
}

const std::vector<Pt>& CommandPoints() { return Interact().commandPoints; }
void ClearCommandPoints() { Interact().commandPoints.clear(); }

bool ParsePointInput(const std::string& input, bool haveLast, Pt last, Pt& point, double& z, bool& hasZ) {
    std::string_view text(input);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    const bool relative = !text.empty() && text.front() == '@';
    if (relative) {
        if (!haveLast) return false;
        text.remove_prefix(1);
    }
    z = 0;
    hasZ = false;
    const size_t angle = text.find('<');
    if (angle != std::string_view::npos) {
        double distance, degrees;
        if (!relative || !Number(text.substr(0, angle), distance) || !Number(text.substr(angle + 1), degrees))
            return false;
        point = Polar(last, distance, degrees * std::numbers::pi / 180.0);
        return true;
    }
    double values[3];
    size_t count = 0, start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        if (count == 3 || !Number(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start), values[count]))
            return false;
        ++count;
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    if (count < 2) return false;
    point = {values[0], values[1]};
    if (relative) point = point + last;
    hasZ = count == 3;
    if (hasZ) z = values[2];
    return true;
}

// Of the entities under the point, the last in list order that the click changes (a click on
// entities lying over one another adds the next one each time); else the last of them.
bool PickIntoSelection(double x, double y, bool remove) {
    Drawing& drawing = TheDrawing();
    if (!drawing.work) return false;
    const double point[2] = {x, y};
    Node* any = nullptr;
    Node* changes = nullptr;
    for (Node* node = drawing.work->head; node; node = node->next) {
        if (!Visible(drawing, *node) || !EPick(node->record(), point)) continue;
        any = node;
        if (node->selected() == remove) changes = node;
    }
    if (!any) return false;
    Mark(changes ? changes : any, !remove);
    return true;
}

void SelectInWindow(double x1, double y1, double x2, double y2, bool crossing, bool add) {
    Drawing& drawing = TheDrawing();
    if (!add) drawing.ClearSelection();
    if (!drawing.work) return;
    const double left = std::min(x1, x2), right = std::max(x1, x2);
    const double bottom = std::min(y1, y2), top = std::max(y1, y2);
    for (Node* node = drawing.work->head; node; node = node->next) {
        if (!Visible(drawing, *node) || node->selected()) continue;
        ExtentRec extent{};
        EXCheck(node->record(), &extent);
        if (!extent.valid) continue;
        const bool inside = extent.min[0] >= left && extent.max[0] <= right && extent.min[1] >= bottom && extent.max[1] <= top;
        if (inside || (crossing && Crosses(*node, left, bottom, right, top))) Mark(node, true);
    }
}

size_t SelectedCount() {
    const Drawing& drawing = TheDrawing();
    size_t n = 0;
    if (drawing.work)
        for (const Node* node = drawing.work->head; node; node = node->next)
            if (!node->deleted() && node->selected()) ++n;
    return n;
}

void NotePreselection() { Interact().preselected = !CommandRunning() && SelectedCount() > 0; }
void DropPreselection() { Interact().preselected = false; }

bool TakePreselection() {
    const PromptInfo* prompt = CurrentPrompt();
    if (!Interact().preselected || !prompt || prompt->kind != REQ_SELECTION) return false;
    Interact().preselected = false;
    const size_t count = SelectedCount();
    if (count == 0) return false;
    Transcript("preselection taken: " + std::to_string(count) + (count == 1 ? " entity" : " entities"));
    AnswerPrompt(0);
    return true;
}

void ResetInteraction() {
    Interact().snapModes = 0;
    Interact().haveLast = false;
    Interact().last = {};
    Interact().commandPoints.clear();
    Interact().preselected = false;
    ClearRubberOrigin();
}

}  // namespace qlhost
