// The screen of the reference host: what the plug-in drew into the last preview frame
// (drag procedures, owner-drawn previews) and the screen effects of EDraw and friends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

struct PreviewFrame {
    std::vector<PreviewPrim> prims;
    double viewWidth = 0, viewHeight = 0;
    int cursorCalls = 0;  // XHReqCsr / XHReqCsr3 calls in this frame
};

// Starts a new frame (the host removes the previous preview before each drag call).
void BeginFrame(double viewWidth, double viewHeight);
// The frame being drawn, or the last one drawn.
PreviewFrame& CurrentFrame();

}  // namespace qlhost
