// The screen of the reference host: what the plug-in drew into the last preview frame
// (drag procedures, owner-drawn previews) and the screen effects of EDraw and friends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/win32.h"

namespace qlhost {

// One primitive of a preview frame, in drawing units.
struct PreviewPrim {
    enum Kind { Line, Polyline, Circle, Text, Entity } kind = Line;
    std::vector<double> points;         // x, y pairs (Line: 2 points; Polyline: n points)
    double radius = 0;                  // Circle: centre in points
    std::string text;                   // Text
    std::vector<unsigned char> record;  // Entity (EDrawM): a copy of the record; Text: data part
    int color = 0, lineStyle = 0, fillStyle = 0;
};

// The primitives of a frame. Clearing keeps the primitives' buffers for the next frame, so a
// drag redrawing the same entities each frame allocates nothing once the first frame is drawn.
class PrimList {
public:
    PrimList() = default;
    PrimList(const PrimList& other) : store_(other.begin(), other.end()), used_(other.used_) {}
    PrimList& operator=(const PrimList& other) {
        if (this != &other) {
            store_.assign(other.begin(), other.end());
            used_ = other.used_;
        }
        return *this;
    }
    PrimList(PrimList&&) = default;
    PrimList& operator=(PrimList&&) = default;

    size_t size() const { return used_; }
    bool empty() const { return used_ == 0; }
    PreviewPrim* data() { return store_.data(); }
    const PreviewPrim* data() const { return store_.data(); }
    PreviewPrim* begin() { return store_.data(); }
    PreviewPrim* end() { return store_.data() + used_; }
    const PreviewPrim* begin() const { return store_.data(); }
    const PreviewPrim* end() const { return store_.data() + used_; }
    PreviewPrim& operator[](size_t i) { return store_[i]; }
    const PreviewPrim& operator[](size_t i) const { return store_[i]; }
    PreviewPrim& back() { return store_[used_ - 1]; }
    const PreviewPrim& back() const { return store_[used_ - 1]; }
    // A primitive at the end, reset to a default one of the kind (its buffers reused).
    PreviewPrim& Add(PreviewPrim::Kind kind);
    void clear() { used_ = 0; }

private:
    std::vector<PreviewPrim> store_;  // the first used_ are the frame's
    size_t used_ = 0;
};

struct PreviewFrame {
    PrimList prims;
    double viewWidth = 0, viewHeight = 0;
    int cursorCalls = 0;  // XHReqCsr / XHReqCsr3 calls in this frame
    // Pen of the painters (SetPen), applied to the primitives drawn after it.
    int penColor = 0, penLineStyle = 0, penFillStyle = 0;
    int beginPreviewCalls = 0;
    // Preview controls show the view centred on the origin; drag frames show their primitives.
    bool centredView = false;
};

// Starts a new frame (the host removes the previous preview before each drag call).
void BeginFrame(double viewWidth, double viewHeight);
// The frame being drawn, or the last one drawn.
PreviewFrame& CurrentFrame();

// The frame a painter call draws into: the control's own frame when ctx is a live preview
// control (CreateXWCtrl), else the current drag frame.
PreviewFrame& FrameOf(void* ctx);

// Owner-drawn preview controls. Each control records its primitives; the host keeps the
// frames of the last kMaxControlPreviews controls by item rectangle (a control drawn again
// over the same rectangle replaces the older one), in order of their rectangles' tops.
struct ControlPreview {
    RECT rect{};
    PreviewFrame frame;
};
constexpr size_t kMaxControlPreviews = 256;
void* CreatePreviewControl(const double* view, const RECT* rect, HDC dc);
void ReleasePreviewControl(void* control);
const std::vector<ControlPreview>& ControlPreviews();
void ClearControlPreviews();
// The kept control previews as one SVG picture, each at its item rectangle (pixels).
bool WriteControlPreviewsSvg(const std::string& path, std::string& error);
std::string ControlPreviewsToSvg();

// Screen effects of the entity calls; the reference host has no screen, so it counts.
struct ScreenCounters {
    int draws = 0;        // EDraw
    int erases = 0;       // EErase
    int marks = 0;        // EMark
    int redraws = 0;      // Redraw
    int showChanges = 0;  // ShowChanges
    int progressCalls = 0;
    std::string progressText;  // last ProgressMsg
    int progressDone = 0, progressTotal = 0;  // last ShowProgress
};
ScreenCounters& Screen();
// Called when a command starts: counters back to zero (highlights stay until redrawn).
void ResetScreenCounters();
// Entity ids highlighted by EMark and not drawn normally since (EDraw, EErase, Redraw).
const std::vector<uint32_t>& HighlightedIds();
void ClearHighlights();

// When on, ShowChanges validates the drawing and reports a fault through ScriptFault.
void SetValidateOnShowChanges(bool on);
bool ValidateOnShowChanges();

// The screen calls behind the C functions of host_api.h.
void ScreenDraw(int mode, const unsigned char* record);
void ScreenErase(int mode, const unsigned char* record);
void ScreenMark(const unsigned char* record);
void ScreenRedraw();
void ScreenShowChanges();
void ScreenProgressMsg(const char* text);
void ScreenShowProgress(int done, int total);

// SVG picture of one preview frame (drag previews, owner-drawn previews), drawn as the SVG
// files of the io room draw a drawing list.
bool WritePreviewSvg(const std::string& path, const PreviewFrame& frame, std::string& error);
std::string PreviewToSvg(const PreviewFrame& frame);

}  // namespace qlhost
