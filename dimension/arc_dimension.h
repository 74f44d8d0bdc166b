// QLDIMA: an arc dimension (type 30) about the point where two leaders meet.
#pragma once

#include "core/host_api.h"

// The arc of an arc dimension as it follows a point: the two leaders (points and directions
// towards the centre) bound it, and it always passes the point.
struct ArcSpan {
    double radius;
    double start;          // radians
    double sweep;          // radians, 0 to 2 pi
    double startDistance;  // centre to the leader at the start
    double endDistance;    // centre to the leader at the end
};

struct Leader {
    double point[2];
    double direction;  // towards the centre, radians
};

ArcSpan ArcThrough(const double* centre, const Leader& first, const Leader& second, const double* point);

// The direction of a leader picked at point P, from the entity (line, path or polygon on a
// visible layer) nearest to the raw pick position within 4 pixels: from P towards the
// entity's point nearest to that position. False when there is none, or when P is that point.
bool FindLeaderDirection(const double* pick, double* direction);

// The centre where the two leaders meet; false when they are parallel.
bool LeaderCentre(const Leader& first, const Leader& second, double* centre);

// The text is outside the arc when its angle about the centre, counted from the start,
// is not less than the sweep.
bool TextOutsideArc(const double* centre, const ArcSpan& span, const double* text);
