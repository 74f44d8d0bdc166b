// The fill core shared by the hatch methods: the border list (the boundary copied into
// hatch space), the crossings of scan lines with it, the row tables of the simple line
// pattern, the family sweep and the family driver that expands the current pattern.
//
// Hatch space is the drawing rotated by (quarter turn - family angle): a family's lines are
// vertical there, at x = origin x + k * spacing, with their dash phase at origin y + k *
// stagger.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "core/host_api.h"
#include "hatch/crossings.h"
#include "hatch/patterns.h"

// A family is refused with a warning when it would need more hatch lines than this, or when
// its pieces (every dash of every cycle of every line, counted before sweeping) would
// overrun what is left of the hatch's piece budget; such scales, spacings and dash lists
// are input mistakes that would otherwise keep the host busy for hours and fill its memory.
// The budget covers all families of one fill, so a pattern of many fine families cannot add
// up past it. Fuzzing builds use a smaller budget so that each input stays quick.
constexpr double kMaxHatchLines = 200000;
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
constexpr double kMaxHatchPieces = 50000;
#else
constexpr double kMaxHatchPieces = 1000000;
#endif
// A PAT family whose angle is this close to the border's stays in the border's hatch space.
constexpr double kPatAngleTolerance = 0.00001;

// One set of parallel lines, in hatch space. The scale applies to spacing, stagger, cycle
// length and dashes.
struct HatchFamily {
    double angle = 0;
    double origin[2] = {0, 0};
    double spacing = 0;
    double stagger = 0;
    int16_t lineStyle = 0;
    float cycleLength = 0;
    std::vector<float> dashes;  // empty: continuous lines; negative gap, 0 dot
    double scale = 1.0;
};

enum class FillOutcome {
    kDrawn,     // the family was swept (possibly drawing nothing)
    kRefused,   // spacing or dash cycle unusable: nothing drawn
    kTooDense,  // over the line or dash cycle limits: nothing drawn
};

// ---------------------------------------------------------------------------------------
// The border list "~HatchBorder.cv7" and its extents.

struct HatchBorder {
    DList* list = nullptr;
    ExtentRec extent{};
};

// The starting extents: (5, 5, 0) to (800, 800, 0), not yet valid.
void ResetBorderExtent(ExtentRec& extent);
// Creates the border list and resets the extents; false when the host cannot.
bool CreateHatchBorder(HatchBorder& border);
void ReleaseHatchBorder(HatchBorder& border);

// Copies the boundary entities of a list walk (scope as the method needs) into the border,
// transformed by matrix (null: as they are); composite curves are exploded, groups walked.
void CollectBorder(HatchBorder& border, DList* list, const double* matrix, uint32_t scope);
// The same for one entity of list.
void CollectBorderEntity(HatchBorder& border, DList* list, EntRec* entity, const double* matrix);
// Rotates every border entity by angle and rebuilds the extents.
void RotateBorder(HatchBorder& border, double angle);

// ---------------------------------------------------------------------------------------
// Crossings of one scan line with the border.

struct ScanLine {
    bool vertical = true;  // x = at; else y = at
    double at = 0;
    double from = 0;  // along-coordinates of the line's ends
    double to = 0;
};

// Appends the along-coordinates (y of a vertical line, x of a horizontal one) where the
// border crosses the scan line; unsorted.
void CollectCrossings(DList* border, const ScanLine& scan, std::vector<double>& crossings);

// The border split once into pieces for scan lines of one direction, with the entities left
// to the host; for methods that ask about many scan lines in any order.
struct BorderShape {
    std::vector<BorderPiece> pieces;
    std::vector<EntRec*> others;
    bool vertical = true;
};
BorderShape SplitBorder(DList* border, bool vertical);
// CollectCrossings for a scan line of the shape's direction.
void CollectCrossings(const BorderShape& shape, const ScanLine& scan,
                      std::vector<double>& crossings);

// ---------------------------------------------------------------------------------------
// Row tables of the simple line pattern: lines follow each other at x, x + step[1], x +
// step[1] + step[2], ..., and the whole cycle spans the distance.

struct RowTables {
    double step[kRowCount] = {};
    int16_t style[kRowCount] = {};
    int count = 0;
};
RowTables BuildRowTables(const LineSettings& settings);

// The host line style of that name (a field of the given width), 0 when there is none.
int16_t LineStyleNumber(const char* name, size_t width);

// ---------------------------------------------------------------------------------------
// Families.

struct SweepBounds {
    double xMin = 0;
    double xMax = 0;
    double yMin = 0;
    double yMax = 0;
};
using CrossingSource = std::function<void(double x, std::vector<double>& crossings)>;
using LineSink = std::function<void(double x, double yFrom, double yTo)>;

// What is left of the pieces one fill may still draw; each family takes its worst case
// (lines x dash cycles x dashes per cycle) from it before it is swept.
struct PieceBudget {
    double left = kMaxHatchPieces;
};

// Sweeps the family's lines over the bounds: for each line asks for its crossings, pairs
// them bottom up (even-odd) and emits the pairs, cut into dashes when the family has them.
// Without a budget the family has the whole budget to itself.
FillOutcome SweepFamily(const HatchFamily& family, const SweepBounds& bounds,
                        const CrossingSource& crossings, const LineSink& emit,
                        PieceBudget* budget = nullptr);

// Draws one family against the border into target: each line is transformed by toDrawing
// and takes the attributes of the template entity, or the current ones without one.
FillOutcome FillFamily(DList* target, const HatchFamily& family, const HatchBorder& border,
                       const double* toDrawing, const EntRec* templateEntity,
                       PieceBudget* budget = nullptr);

struct ExpandResult {
    bool tooDense = false;  // a family was refused for its size
    bool unusable = false;  // a family had no usable distance or dash cycle, or no pattern was found
    bool stopped = false;   // ESC ended a PAT pattern early
};

// Draws the run's pattern into target. The border must be in the hatch space of the line
// settings angle; it is re-rotated for families of other angles. Frees the PAT library.
ExpandResult ExpandPattern(DList* target, HatchBorder& border, const EntRec* templateEntity,
                           HatchRun& run);

// The warning shown once per command when a family was refused for its size.
void ShowTooDenseWarning();
// The warning shown once per command when a family or the pattern could not be used.
void ShowUnusableWarning();

// Rotation about the origin by angle, as a host matrix.
void RotationMatrix(double angle, double* matrix);
