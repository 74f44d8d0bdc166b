// Helpers shared by every live drag: the modifier keys, the view size of a drag context, the
// drag factor, the 15-degree angle snap and the small status label drawn beside the cursor.
#pragma once

#include "core/host_api.h"

// Status label modes of DrawDragStatus.
enum DragStatusMode : int {
    DS_NONE = 0,
    DS_SCALE = 1,   // "Scale !01", or "X: !01 Y: !02" when the second value differs
    DS_ANGLE = 2,   // "Angle: !01"
    DS_HEIGHT = 3,  // "Height: !01"
};

// The 15-degree snap step as the snap multiplies it: 0.2617994 held in single precision.
constexpr float kSnapStepSingle = 0.2617994f;

// The live cursor position: host resource 4147, three doubles, writable.
double* LiveCursorPosition();

inline void CopyPoint3(double* to, const double* from) {
    to[0] = from[0];
    to[1] = from[1];
    to[2] = from[2];
}

// The view width and height of a drag context in drawing units (doubles at bytes 324, 332).
double DragViewWidth(const void* ctx);
double DragViewHeight(const void* ctx);

// The relative cursor step numerator / view size for a drag, or 0 when the view size is not
// a positive finite number (so no step can turn into an infinite or NaN factor).
double DragStep(double numerator, double viewSize);

// 1 + d for d >= 0, 1 / (1 - d) below: always positive, 1 at d = 0, and a step up followed
// by the same step down gives 1 again.
double DragFactor(double d);

// Snaps an angle (radians) to 15-degree steps: the step count is truncated toward zero, so
// angles below -7.5 degrees go one step nearer to zero than the nearest step.
double SnapAngle15(double angle);

// Draws the status label at the cursor (2-D point) into the drag context. first and second
// are doubles (the scale or scales, or an angle); third is a float (an angle or a height).
// Absent values are null; a mode without the value it shows draws nothing.
void DrawDragStatus(void* ctx, const double* cursor, int mode, const double* first,
                    const double* second, const float* third);

// Sets the standard arrow cursor (the end of every placement drag).
void SetArrowCursor();
