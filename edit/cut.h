// QLCUT: cut the selected entities along a circle, a box or a picked closed boundary. The
// dialog and boundary requests (cut.cpp), the classification and splitting (cut_split.cpp)
// and the placement of an enlarged copy with its connecting lines (cut_place.cpp) share the
// state declared here.
#pragma once

#include <cstdint>

#include "core/host_api.h"
#include "core/records.h"

enum CutOperation : int32_t {
    kCutDelete = 0,  // Delete / Trim
    kCutCopy = 1,    // Copy / Enlarge
    kCutSelect = 2,  // Select
};

enum CutKeep : int32_t {
    kKeepOutside = 0,
    kKeepInside = 1,
};

enum CutBoundaryKind : int32_t {
    kBoundaryCircle = 0,
    kBoundaryBox = 1,
    kBoundaryExisting = 2,
};

// Settings kept from one cut to the next until the plug-in is unloaded.
struct CutSettings {
    int32_t operation = kCutDelete;
    int32_t keep = kKeepOutside;
    int32_t boundaryKind = kBoundaryCircle;
    int32_t drawBoundary = 1;
    double defaultScale = 3.0;
};
CutSettings& TheCutSettings();

// A scale typed in the dialog or at the placement prompt is taken only above 0.0001 (and
// within the transform engine's sane range).
bool CutScaleAccepted(double scale);

// The state of the running cut.
struct CutRun {
    RecordBuffer circle;         // the circle boundary record (56 bytes, type 6)
    RecordBuffer box;            // the box boundary record (114 bytes, type 4)
    EntRec* picked = nullptr;    // the picked boundary entity (Existing entity)
    EntRec* boundary = nullptr;  // the circle record, the box record or the picked entity
    double centre[3] = {0, 0, 0};
    double corner[3] = {0, 0, 0};
    double answer[3] = {0, 0, 0};  // the buffer of point requests
    double previousCursor[3] = {0, 0, 0};
    double radius = 0.0;
    ExtentRec boundaryExtent = {};
    DList* copyList = nullptr;
    // Placement of the enlarged copy.
    double base[3] = {0, 0, 0};
    double place[3] = {0, 0, 0};
    bool haveCursor = false;  // false until the first placement drag step
    bool ctrlScale = false;
    HostMatrix matrix = {};
};
CutRun& TheCutRun();

// True for the circle and box boundaries, which the cut builds itself.
bool CutBuildsBoundary();

// Step after the boundary is given: classifies and splits the selection, adds the boundary
// where asked and either ends the command or goes on with the placement.
void ApplyCut();

// Which side of the boundary an entity lies on, if it is touched at all.
enum class CutVerdict { Untouched, Inside, Outside };

// Strict overlap of two extents: touching along an edge is not overlapping.
bool ExtentsOverlap(const ExtentRec& a, const ExtentRec& b);

// The point that decides which side an entity is on: a text's insertion point, a symbol's
// translation, the point halfway along the entity, or the centre of its extent.
bool CutTestPoint(EntRec* entity, double* point);

// True when the point lies inside a circle or polygon boundary record.
bool InsideBoundary(const EntRec* boundary, const double* point);

// Asks for the place of the enlarged copy, carrying the base point to the cursor.
void StartCutPlacement(const double* base);

// The scaled copy's transform: minus the base point, the default scale, to the place.
void CutTransform(const double* base, const double* place, double scale, double* matrix);

// The connecting lines between a circle or polygon boundary and its transformed copy: the
// two outer tangents of two circles, or the two extreme lines joining matching vertices.
// Writes up to two segments (four doubles each) and returns how many.
int ConnectingLines(const EntRec* boundary, const EntRec* copy, double lines[2][4]);
