// Geometry wrappers over the host's calculations, entity end points, the even-odd point in
// polygon test and the rubber-line origins. Points are two doubles (x, y); 3-D points three.
#pragma once

#include <cstddef>

#include "core/host_api.h"

// Direction from a to b in radians (host Angle).
double AngleOf(const double* a, const double* b);
// AngleOf of a segment's two points, stored one after the other (four doubles).
double SegmentAngle(const double* segment);
// Distance of two points (host Dist2P).
double DistanceOf(const double* a, const double* b);
// Distance of two 3-D points.
double Distance3(const double* a, const double* b);
// The point at distance and angle from origin (host PConv2).
void PolarPoint(const double* origin, double distance, double angle, double* result);

// Start and end of a line (2), path (3) or arc (7); false for any other type and for a
// path without vertices or shorter than its vertex count says.
bool EntityEnds(const EntRec* record, double* start, double* end);

// Even-odd test of point against the vertex list of a path or polygon: polyData is the
// record from offset 32 (16-bit count, then the vertices).
bool PointInPolygon(const unsigned char* polyData, const double* point);
// The same for a whole type 3 or 4 record, reading no vertex past the record's length.
bool PointInPolygonRecord(const EntRec* record, const double* point);

// Origin of the rubber line or box of cursor modes 5 and 6.
void SetRubberOrigin2(const double* point);
void SetRubberOrigin3(const double* point);

// The matrix (a HostMatrix) that takes the members of a symbol reference (type 12) to where
// the drawing shows them and then through outer (a HostMatrix, or null for none): the
// reference's 3 x 4 symbol matrix, less the base point of the definition it names, then
// outer. A reference too short to hold its matrix gives outer alone (or the identity). The
// host's current matrix is kept.
void SymbolMemberMatrix(const EntRec* reference, const double* outer, double* matrix);
