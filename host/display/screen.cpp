// Screen calls of the reference host: no pixels, only counters, the progress display and
// the set of highlighted entities; ShowChanges can validate the drawing.
#include <algorithm>

#include "host/display/preview.h"
#include "host/drawing/drawing.h"
#include "host/events/events.h"

namespace qlhost {
namespace {

ScreenCounters g_screen;
std::vector<uint32_t> g_highlighted;
bool g_validate = false;

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
    g_highlighted.erase(std::remove(g_highlighted.begin(), g_highlighted.end(), node->id), g_highlighted.end());
}

}  // namespace

ScreenCounters& Screen() { return g_screen; }

void ResetScreenCounters() {
    std::string text = g_screen.progressText;
    g_screen = ScreenCounters{};
    g_screen.progressText = std::move(text);
}

const std::vector<uint32_t>& HighlightedIds() { return g_highlighted; }

void ClearHighlights() {
    for (uint32_t id : g_highlighted)
        if (Node* node = TheDrawing().FindById(id)) node->flags &= ~Node::kHighlighted;
    g_highlighted.clear();
}

void SetValidateOnShowChanges(bool on) { g_validate = on; }
bool ValidateOnShowChanges() { return g_validate; }

void ScreenDraw(int, const unsigned char* record) {
    ++g_screen.draws;
    // Entities the plug-in builds in its own buffers may be drawn too; only stored ones
    // carry a highlight.
    Unhighlight(LiveNode(record, "EDraw"));
}

void ScreenErase(int, const unsigned char* record) {
    ++g_screen.erases;
    Unhighlight(LiveNode(record, "EErase"));
}

void ScreenMark(const unsigned char* record) {
    ++g_screen.marks;
    Node* node = LiveNode(record, "EMark");
    if (!node || (node->flags & Node::kHighlighted)) return;
    node->flags |= Node::kHighlighted;
    g_highlighted.push_back(node->id);
}

void ScreenRedraw() {
    ++g_screen.redraws;
    ClearHighlights();
}

void ScreenShowChanges() {
    ++g_screen.showChanges;
    if (!g_validate) return;
    std::string fault = ValidateDrawing(TheDrawing());
    if (!fault.empty()) ScriptFault("drawing inconsistent at ShowChanges: " + fault);
}

void ScreenProgressMsg(const char* text) {
    ++g_screen.progressCalls;
    g_screen.progressText = text ? text : "";
    g_screen.progressDone = g_screen.progressTotal = 0;
}

void ScreenShowProgress(int done, int total) {
    ++g_screen.progressCalls;
    g_screen.progressDone = done;
    g_screen.progressTotal = total;
}

}  // namespace qlhost
