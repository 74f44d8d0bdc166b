// The family driver: turns the run's pattern (simple line rows, a host scalable fill style
// or a PAT pattern) into hatch families and fills each against the border.
#include "hatch/engine/expand.h"

#include <cmath>
#include <cstring>
#include <string>

#include "core/hooks.h"
#include "core/prompts.h"
#include "core/records.h"
#include "hatch/engine/pat_reader.h"

namespace {

constexpr int kHatchPatternStyle = 3;  // host fill style kind of a scalable hatch pattern

// Host scalable pattern data, from the style's data offset.
constexpr size_t kPdFamilyCount = 8;
constexpr size_t kPdOwnScale = 12;
constexpr size_t kPdFamilies = 16;
// One host family: angle, origin x, origin y, cycle length, spacing (floats), dash count.
constexpr size_t kHfAngle = 0;
constexpr size_t kHfOriginX = 4;
constexpr size_t kHfOriginY = 8;
constexpr size_t kHfCycle = 12;
constexpr size_t kHfSpacing = 16;
constexpr size_t kHfDashCount = 20;
constexpr size_t kHfDashes = 24;
constexpr size_t kFillStyleDataOffset = 7;

const char kProgressText[] = "Hatching... (press ESC to cancel)";

void RotatePoint(double* point, double angle) {
    HostMatrix matrix;
    RotationMatrix(angle, matrix);
    TRNP2(point, matrix);
}

// The border and the to-drawing matrix follow the families' angles.
struct Orientation {
    double current;
    HostMatrix toDrawing;

    explicit Orientation(double angle) : current(angle) {
        RotationMatrix(angle - kQuarterTurn, toDrawing);
    }

    void TurnTo(HatchBorder& border, double angle) {
        RotationMatrix(angle - kQuarterTurn, toDrawing);
        RotateBorder(border, current - angle);
        current = angle;
    }
};

struct Driver {
    DList* target;
    HatchBorder& border;
    const EntRec* templateEntity;
    HatchRun& run;
    Orientation orientation;
    ExpandResult result;
    PieceBudget budget;

    void Fill(const HatchFamily& family) {
        const FillOutcome outcome =
            FillFamily(target, family, border, orientation.toDrawing, templateEntity, &budget);
        if (outcome == FillOutcome::kTooDense) result.tooDense = true;
        if (outcome == FillOutcome::kRefused) result.unusable = true;
    }

    void Simple() {
        const LineSettings& line = run.line;
        double origin[2] = {line.offset[0], line.offset[1]};
        RotatePoint(origin, kQuarterTurn - line.angle);
        for (int k = 0; k < kRowCount; ++k) {
            if (line.rowOn[k] != 1) continue;
            HatchFamily family;
            family.angle = line.angle;
            family.origin[0] = origin[0] + RowOffsetFactor(line) * line.rowOffset[k];
            family.origin[1] = origin[1];
            family.spacing = line.distance;
            family.lineStyle = LineStyleNumber(line.rowStyle[k], kStyleNameSize);
            Fill(family);
        }
    }

    void Scalable() {
        HatchOptions& options = run.options;
        const std::string name(options.scalableName,
                               strnlen(options.scalableName, kScalableNameSize));
        const unsigned char* style = FindFStyleName(name.c_str());
        if (style == nullptr || GetU8(style, kFillStyleKind) != kHatchPatternStyle) return;
        const size_t length = GetU32(style, kEntryLength);
        const size_t data = GetU8(style, kFillStyleDataOffset);
        if (data + kPdFamilies > length) return;
        const int32_t count = GetI32(style, data + kPdFamilyCount);
        options.scaleBy *= GetF32(style, data + kPdOwnScale);
        size_t at = data + kPdFamilies;
        for (int32_t i = 0; i < count && at + kHfDashes <= length; ++i) {
            const int32_t dashCount = GetI32(style, at + kHfDashCount);
            if (dashCount < 0 || dashCount > static_cast<int32_t>((length - at - kHfDashes) / 4))
                return;
            const double hostAngle = GetF32(style, at + kHfAngle);
            const double angle = hostAngle + options.rotateBy;
            if (angle != orientation.current) orientation.TurnTo(border, angle);
            HatchFamily family;
            family.angle = angle;
            family.origin[0] =
                GetF32(style, at + kHfOriginX) * options.scaleBy + options.offsetBy[0];
            family.origin[1] =
                GetF32(style, at + kHfOriginY) * options.scaleBy + options.offsetBy[1];
            RotatePoint(family.origin, -hostAngle);
            family.spacing = GetF32(style, at + kHfSpacing);
            family.cycleLength = GetF32(style, at + kHfCycle);
            for (int32_t j = 0; j < dashCount; ++j)
                family.dashes.push_back(GetF32(style, at + kHfDashes + 4 * j));
            family.scale = options.scaleBy;
            Fill(family);
            at += kHfDashes + 4 * static_cast<size_t>(dashCount);
        }
    }

    void Pat() {
        const HatchOptions& options = run.options;
        if (ThePatLibrary().Empty()) ReadPatLibrary();
        const std::string name(options.patName, strnlen(options.patName, kPatNameSize));
        const PatPattern* pattern = FindPatPattern(name.c_str());
        if (pattern == nullptr || pattern->families.empty()) {
            result.unusable = true;
            return;
        }
        const int count = static_cast<int>(pattern->families.size());
        ProgressMsg(kProgressText);
        int done = 0;
        for (const PatFamily& pat : pattern->families) {
            ShowProgress(done, count);
            if (KeyDown(VK_ESCAPE)) {
                result.stopped = true;
                break;
            }
            const double angle = options.rotateBy + pat.angle;
            if (std::fabs(orientation.current - angle) > kPatAngleTolerance)
                orientation.TurnTo(border, angle);
            HatchFamily family;
            family.angle = angle;
            family.origin[0] = options.scaleBy * pat.originX + options.offsetBy[0];
            family.origin[1] = options.scaleBy * pat.originY + options.offsetBy[1];
            RotatePoint(family.origin, kQuarterTurn - pat.angle);
            // Lines follow each other at delta y across and delta x along; with a negative
            // delta y the same lines are reached from the other side.
            const double deltaX = pat.deltaY < 0 ? -pat.deltaX : pat.deltaX;
            family.spacing = std::fabs(pat.deltaY);
            family.stagger = -deltaX;
            family.cycleLength = pat.cycleLength;
            family.dashes = pat.dashes;
            family.scale = options.scaleBy;
            Fill(family);
            ++done;
        }
        ShowProgress(0, 1);
    }
};

}  // namespace

ExpandResult ExpandPattern(DList* target, HatchBorder& border, const EntRec* templateEntity,
                           HatchRun& run) {
    Driver driver{target, border, templateEntity, run, Orientation(run.line.angle), {}, {}};
    switch (run.options.patternKind) {
        case kPatternSimple:
            driver.Simple();
            break;
        case kPatternScalable:
            driver.Scalable();
            break;
        case kPatternPat:
            driver.Pat();
            break;
        default:
            break;
    }
    FreePatLibrary();
    return driver.result;
}

void ShowUnusableWarning() {
    ShowMessage(
        "The pattern could not be drawn: a line distance or dash cycle is zero, too small or not "
        "a number, or the pattern was not found in its file.\n\nCheck the hatch distance and the "
        "pattern.",
        "Warning", MS_WARNING);
}

void ShowTooDenseWarning() {
    ShowMessage(
        "The pattern is too dense for this area: some of its line families were not drawn."
        "\n\nUse a larger scale or distance.",
        "Warning", MS_WARNING);
}
