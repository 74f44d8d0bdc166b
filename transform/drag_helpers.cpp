// Modifier keys, drag context view size, drag factor, angle snap and the drag status label.
#include "transform/drag_helpers.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/prompts.h"
#include "core/records.h"

namespace {

constexpr int kLiveCursor = 4147;

// Half a 15-degree step and the step, as the snap divides by them.
constexpr double kHalfSnapStep = 0.13089969375;
constexpr double kSnapStep = 0.2617993875;

// The label: a text data part (record offsets 32 to 103) followed by the filled-in text.
constexpr size_t kLabelTextSize = 256;
constexpr float kLabelWidthFactor = 1.0f;
constexpr float kLabelLineSpacing = 150.0f;
constexpr uint8_t kLabelJustification = 9;
constexpr double kLabelHeightPerView = 1.0 / 20.0;

constexpr unsigned char kScalePrecision = 2;
constexpr unsigned char kAnglePrecision = 1;
constexpr unsigned char kHeightPrecision = 1;

}  // namespace

double* LiveCursorPosition() {
    return static_cast<double*>(RscAdr(kLiveCursor));
}

double DragViewWidth(const void* ctx) {
    return GetF64(ctx, QL_DRAG_VIEW_WIDTH);
}

double DragViewHeight(const void* ctx) {
    return GetF64(ctx, QL_DRAG_VIEW_HEIGHT);
}

double DragStep(double numerator, double viewSize) {
    if (!(viewSize > 0.0) || !std::isfinite(viewSize)) return 0.0;
    double step = numerator / viewSize;
    return std::isfinite(step) ? step : 0.0;
}

double DragFactor(double d) {
    return d >= 0.0 ? 1.0 + d : 1.0 / (1.0 - d);
}

double SnapAngle15(double angle) {
    double steps = std::trunc((angle + kHalfSnapStep) / kSnapStep);
    return steps * static_cast<double>(kSnapStepSingle);
}

void DrawDragStatus(void* ctx, const double* cursor, int mode, const double* first,
                    const double* second, const float* third) {
    PromptRec record{};
    // The host reads an angle field (format 17) as a double; the third value is a float.
    double thirdAngle = third != nullptr ? static_cast<double>(*third) : 0.0;
    switch (mode) {
        case DS_SCALE:
            if (first == nullptr) return;
            if (second != nullptr && *second != *first) {
                record = MakePrompt("X: !01 Y: !02", PromptValue(first, PF_DOUBLE, kScalePrecision),
                                    PromptValue(second, PF_DOUBLE, kScalePrecision));
            } else {
                record = MakePrompt("Scale !01", PromptValue(first, PF_DOUBLE, kScalePrecision));
            }
            break;
        case DS_ANGLE:
            if (first != nullptr) {
                record = MakePrompt("Angle: !01", PromptValue(first, PF_ANGLE, kAnglePrecision));
            } else if (third != nullptr) {
                record =
                    MakePrompt("Angle: !01", PromptValue(&thirdAngle, PF_ANGLE17, kAnglePrecision));
            } else {
                return;
            }
            break;
        case DS_HEIGHT:
            if (third == nullptr) return;
            record = MakePrompt("Height: !01", PromptValue(third, PF_FLOAT, kHeightPrecision));
            break;
        default:
            return;
    }

    unsigned char block[kTdString + kLabelTextSize] = {};
    FormatInto(record, reinterpret_cast<char*>(block + kTdString), kLabelTextSize);
    PutF64(block, kTdX, cursor[0]);
    PutF64(block, kTdY, cursor[1]);
    PutU8(block, kTdLayout, 0);
    PutU16(block, kTdStyleNumber, 0);
    PutF32(block, kTdHeight, static_cast<float>(DragViewHeight(ctx) * kLabelHeightPerView));
    PutF32(block, kTdWidth, kLabelWidthFactor);
    PutF32(block, kTdAngle, 0.0f);
    PutF32(block, kTdSpacing, kLabelLineSpacing);
    PutU16(block, kTdFont, 0);
    PutU8(block, kTdFlags, 0);
    PutU8(block, kTdByte70, 0);
    PutU8(block, kTdJustify, kLabelJustification);
    GetGDraw2()->DrawTextData(ctx, block);
}

void SetArrowCursor() {
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}
