// Screen calls of the reference host: no pixels, only counters, the progress display and
// the set of highlighted entities; ShowChanges can validate the drawing.
#include <algorithm>

#include "host/display/preview.h"
#include "host/drawing/drawing.h"
#include "host/state/events.h"
#include "host/state/parts.h"

namespace qlhost {
namespace {

// This room's part of the host's state (host/state/parts.h).
struct ScreenState {
    ScreenCounters screen;
    std::vector<uint32_t> highlighted;
    bool validate = false;
};
ScreenState& Screens() { return Part<ScreenState>(); }

Node* LiveNode(const unsigned char* record, const char* call) {
    if (!record) {
        ScriptFault(std::string(call) + ": null entity");
        return nullptr;
    }
    return NodeOf(record);
}

void Unhighlight(Node* node) {
    if (!node || !(node->flags & Node::kHighlighted)) return;
    node->flags &= ~Node::kHighlighted;
    Screens().highlighted.erase(std::remove(Screens().highlighted.begin(), Screens().highlighted.end(), node->id), Screens().highlighted.end());
}

}  // namespace

ScreenCounters& Screen() { return Screens().screen; }

void ResetScreenCounters() {
    std::string text = Screens().screen.progressText;
    Screens().screen = ScreenCounters{};
    Screens().screen.progressText = std::move(text);
}

const std::vector<uint32_t>& HighlightedIds() { return Screens().highlighted; }

void ClearHighlights() {
    for (uint32_t id : Screens().highlighted)
        if (Node* node = TheDrawing().FindById(id)) node->flags &= ~Node::kHighlighted;
    Screens().highlighted.clear();
}

void SetValidateOnShowChanges(bool on) { Screens().validate = on; }
bool ValidateOnShowChanges() { return Screens().validate; }

void ScreenDraw(int, const unsigned char* record) {
    ++Screens().screen.draws;
    // Entities the plug-in builds in its own buffers may be drawn too; only stored ones
    // carry a highlight.
    Unhighlight(LiveNode(record, "EDraw"));
}

void ScreenErase(int, const unsigned char* record) {
    ++Screens().screen.erases;
    Unhighlight(LiveNode(record, "EErase"));
}

void ScreenMark(const unsigned char* record) {
    ++Screens().screen.marks;
    Node* node = LiveNode(record, "EMark");
    if (!node || (node->flags & Node::kHighlighted)) return;
    node->flags |= Node::kHighlighted;
    Screens().highlighted.push_back(node->id);
}

void ScreenRedraw() {
    ++Screens().screen.redraws;
    ClearHighlights();
}

void ScreenShowChanges() {
    ++Screens().screen.showChanges;
    if (!Screens().validate) return;
    std::string fault = ValidateDrawing(TheDrawing());
    if (!fault.empty()) ScriptFault("drawing inconsistent at ShowChanges: " + fault);
}

void ScreenProgressMsg(const char* text) {
    ++Screens().screen.progressCalls;
    Screens().screen.progressText = text ? text : "";
    Screens().screen.progressDone = Screens().screen.progressTotal = 0;
}

void ScreenShowProgress(int done, int total) {
    ++Screens().screen.progressCalls;
    Screens().screen.progressDone = done;
    Screens().screen.progressTotal = total;
}

}  // namespace qlhost
