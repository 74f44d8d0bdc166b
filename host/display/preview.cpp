// Preview frames: the drag frame that the runtime starts before each drag call, the
// painters' pen, and owner-drawn preview controls with frames of their own.
#include "host/display/preview.h"

#include <algorithm>
#include <memory>

#include "host/state/events.h"
#include "host/state/parts.h"

namespace qlhost {
namespace {


// A live control; the magic word lets FrameOf tell controls from drag contexts.
struct PreviewControl {
    static constexpr uint32_t kMagic = 0x5158574c;  // "QXWL"
    uint32_t magic = kMagic;
    RECT rect{};
    PreviewFrame frame;
};

// This room's part of the host's state (host/state/parts.h).
struct PreviewState {
    PreviewFrame frame;
    std::vector<std::unique_ptr<PreviewControl>> liveControls;
    std::vector<ControlPreview> kept;
};
PreviewState& Previews() { return Part<PreviewState>(); }

PreviewControl* LiveControl(void* ctx) {
    for (auto& control : Previews().liveControls)
        if (control.get() == ctx) return control.get();
    return nullptr;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void Keep(const PreviewControl& control) {
    auto same = std::find_if(Previews().kept.begin(), Previews().kept.end(),
                             [&](const ControlPreview& kept) { return SameRect(kept.rect, control.rect); });
    if (same != Previews().kept.end()) Previews().kept.erase(same);
    if (Previews().kept.size() >= kMaxControlPreviews) Previews().kept.erase(Previews().kept.begin());
    Previews().kept.push_back({control.rect, control.frame});
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
    PrimList prims = std::move(Previews().frame.prims);
    prims.clear();
    Previews().frame = PreviewFrame{};
    Previews().frame.prims = std::move(prims);
    Previews().frame.viewWidth = viewWidth;
    Previews().frame.viewHeight = viewHeight;
}

PreviewFrame& CurrentFrame() { return Previews().frame; }

PreviewFrame& FrameOf(void* ctx) {
    if (PreviewControl* control = LiveControl(ctx)) return control->frame;
    return Previews().frame;
}

void* CreatePreviewControl(const double* view, const RECT* rect, HDC) {
    auto control = std::make_unique<PreviewControl>();
    if (view) {
        control->frame.viewWidth = view[0];
        control->frame.viewHeight = view[1];
    }
    if (rect) control->rect = *rect;
    control->frame.centredView = true;
    Previews().liveControls.push_back(std::move(control));
    return Previews().liveControls.back().get();
}

void ReleasePreviewControl(void* ctx) {
    auto it = std::find_if(Previews().liveControls.begin(), Previews().liveControls.end(),
                           [&](const auto& control) { return control.get() == ctx; });
    if (it == Previews().liveControls.end()) {
        ScriptFault("ReleaseXWCtrl: not a live preview control");
        return;
    }
    Keep(**it);
    Previews().liveControls.erase(it);
}

const std::vector<ControlPreview>& ControlPreviews() { return Previews().kept; }

void ClearControlPreviews() { Previews().kept.clear(); }

}  // namespace qlhost
