// The host-bound part of the fill engine shared by the hatch methods: the border list (the
// boundary copied into hatch space), the crossings of scan lines with it (entities without
// pieces are asked of the host), the row tables of the simple line pattern, and the filling
// of one family against the border.
#pragma once

#include <cstdint>
#include <vector>

#include "core/host_api.h"
#include "hatch/engine/crossings.h"
#include "hatch/engine/patterns.h"
#include "hatch/engine/sweep.h"

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

// Draws one family against the border into target: each line is transformed by toDrawing
// and takes the attributes of the template entity, or the current ones without one.
FillOutcome FillFamily(DList* target, const HatchFamily& family, const HatchBorder& border,
                       const double* toDrawing, const EntRec* templateEntity,
                       PieceBudget* budget = nullptr);

// Rotation about the origin by angle, as a host matrix.
void RotationMatrix(double angle, double* matrix);
