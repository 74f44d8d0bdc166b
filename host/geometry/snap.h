// Object snaps: the points of entities a cursor snaps to (end points, midpoints, centres,
// intersections, the nearest point on a curve) and the choice among them near a cursor.
#pragma once

#include <vector>

#include "host/geometry/records.h"
#include "host/geometry/vec2.h"

namespace qlhost {

// Snap modes, combined as bits.
enum SnapMode : unsigned {
    kSnapEnd = 1,
    kSnapMid = 2,
    kSnapCentre = 4,
    kSnapIntersection = 8,
    kSnapNearest = 16,
    kSnapAll = 31,
};

// The name of one mode ("end", "mid", "centre", "intersection", "nearest"), and back (0 when
// the name is none of these; "center" and "int" are taken too).
const char* SnapModeName(unsigned mode);
unsigned SnapModeByName(const char* name);

struct SnapHit {
    Pt at;
    unsigned mode = 0;  // one SnapMode bit; 0 when nothing is near
};

// The snap points of one record (as it shows, members not included) for the modes, besides
// nearest and intersection: end points and corners, midpoints of segments and arcs, centres.
void SnapPoints(const unsigned char* rec, unsigned modes, std::vector<SnapHit>& out);

// The snap within tolerance of the cursor among records (each as it shows): the closest
// end point, midpoint, centre or intersection; else, with kSnapNearest, the nearest point on
// a curve. False when nothing lies within tolerance.
bool FindSnap(const std::vector<Record>& records, Pt cursor, double tolerance, unsigned modes, SnapHit& hit);

}  // namespace qlhost
