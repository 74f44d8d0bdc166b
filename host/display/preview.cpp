// Preview frames: the drag frame that the runtime starts before each drag call, the
// painters' pen, and owner-drawn preview controls with frames of their own.
#include "host/display/preview.h"

#include <algorithm>
#include <memory>

#include "host/events/events.h"

namespace qlhost {
namespace {

PreviewFrame g_frame;

// A live control; the magic word lets FrameOf tell controls from drag contexts.
struct PreviewControl {
    static constexpr uint32_t kMagic = 0x5158574c;  // "QXWL"
    uint32_t magic = kMagic;
    RECT rect{};
    PreviewFrame frame;
};

std::vector<std::unique_ptr<PreviewControl>> g_liveControls;
std::vector<ControlPreview> g_kept;

PreviewControl* LiveControl(void* ctx) {
    for (auto& control : g_liveControls)
        if (control.get() == ctx) return control.get();
    return nullptr;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void Keep(const PreviewControl& control) {
    auto same = std::find_if(g_kept.begin(), g_kept.end(),
                             [&](const ControlPreview& kept) { return SameRect(kept.rect, control.rect); });
    if (same != g_kept.end()) g_kept.erase(same);
    if (g_kept.size() >= kMaxControlPreviews) g_kept.erase(g_kept.begin());
    g_kept.push_back({control.rect, control.frame});
}

}  // namespace

PreviewPrim& PrimList::Add(PreviewPrim::Kind kind) {
    if (used_ == store_.size()) store_.emplace_back();
    PreviewPrim& prim = store_[used_++];
    prim.kind = kind;
    prim.points.clear();
    prim.radius = 0;
    prim.text.clear();
    prim.record.clear();
    prim.color = prim.lineStyle = prim.fillStyle = 0;
    return prim;
}

void BeginFrame(double viewWidth, double viewHeight) {
    // Everything but the primitives' buffers starts afresh.
    PrimList prims = std::move(g_frame.prims);
    prims.clear();
    g_frame = PreviewFrame{};
    g_frame.prims = std::move(prims);
    g_frame.viewWidth = viewWidth;
    g_frame.viewHeight = viewHeight;
}

PreviewFrame& CurrentFrame() { return g_frame; }

PreviewFrame& FrameOf(void* ctx) {
    if (PreviewControl* control = LiveControl(ctx)) return control->frame;
    return g_frame;
}

void* CreatePreviewControl(const double* view, const RECT* rect, HDC) {
    auto control = std::make_unique<PreviewControl>();
    if (view) {
        control->frame.viewWidth = view[0];
        control->frame.viewHeight = view[1];
    }
    if (rect) control->rect = *rect;
    control->frame.centredView = true;
    g_liveControls.push_back(std::move(control));
    return g_liveControls.back().get();
}

void ReleasePreviewControl(void* ctx) {
    auto it = std::find_if(g_liveControls.begin(), g_liveControls.end(),
                           [&](const auto& control) { return control.get() == ctx; });
    if (it == g_liveControls.end()) {
        ScriptFault("ReleaseXWCtrl: not a live preview control");
        return;
    }
    Keep(**it);
    g_liveControls.erase(it);
}

const std::vector<ControlPreview>& ControlPreviews() { return g_kept; }

void ClearControlPreviews() { g_kept.clear(); }

}  // namespace qlhost
