// The prompt protocol state of the reference host: which command runs and which prompt is
// open. Other rooms query it (the ui room for prompt texts, io for the drag context).
#pragma once

#include <cstdint>
#include <string>

#include "core/host_api.h"

namespace qlhost {

// The open request of the running command.
struct PromptInfo {
    int kind = 0;               // REQ_* kind
    void* buffer = nullptr;
    std::string text;           // the prompt as shown, placeholders filled
    uintptr_t cursor = 0;       // cursor number, or the drag procedure
    bool drag = false;          // cursor is a drag procedure
    ContProc continuation = nullptr;
    uint32_t flags = 0;
    int extra = 0;
};

// True while a plug-in command runs (from its start until CmdEnd).
bool CommandRunning();
// The name of the running command, or empty.
std::string RunningCommand();
// The open prompt, or null when the running command is not waiting for input.
const PromptInfo* CurrentPrompt();

// Drag context handed to drag procedures: a host block with the view size at the offsets
// of host_api.h (QL_DRAG_VIEW_WIDTH, QL_DRAG_VIEW_HEIGHT).
constexpr size_t kDragContextSize = 512;
void* DragContext();
// True when ctx is the host's drag context.
bool IsDragContext(const void* ctx);

// The view of the active drawing window in drawing units and its size in pixels.
double ViewWidth();
double ViewHeight();
void SetView(double width, double height);
constexpr int kWindowPixelsX = 1000;
constexpr int kWindowPixelsY = 750;
// The pick tolerance (4 pixels) in drawing units for the current view.
double PickTolerance();

// The live cursor (RscAdr 4147) in drawing units.
double* LiveCursor();
// Pixel position of a drawing point in the drawing window (y down), and back.
POINT PixelOf(double x, double y);
void DrawingPointOf(int px, int py, double& x, double& y);

}  // namespace qlhost
