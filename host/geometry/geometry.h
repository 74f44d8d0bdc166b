// C++ geometry services of the host for its other rooms (drawing dump, JSON/DXF/SVG,
// painters, scripts). The exported C functions of core/host_api.h are thin wrappers over
// these.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/host_api.h"
#include "host/geometry/records.h"
#include "host/geometry/vec2.h"

namespace qlhost {

// Named tolerances.
constexpr double kSamePointTolerance = 1e-6;   // FDNSame2: two points are the same
constexpr double kMergeTolerance = 1e-9;       // intersections this close (relative) count once
constexpr double kFlattenTolerance = 1e-4;     // chord height when curves become polylines
constexpr double kExplodeTolerance = 2e-4;     // chord height of exploded parts, relative to size
constexpr double kPickPixels = 4;              // EPick distance in pixels

// ---------------------------------------------------------------------------------------
// Matrices: 4 x 4 row-major, points are columns.

struct Matrix {
    double m[16];
    static Matrix Identity();
    static Matrix Translation(double dx, double dy, double dz = 0);
    static Matrix Rotation(double angle);                  // about Z
    static Matrix Scaling(double sx, double sy, double sz = 1);
    static Matrix FromHost(const double* hostMatrix);      // 16 doubles
    static Matrix FromSymbol(const double* matrix12);      // 3 x 4, last row 0 0 0 1
    // Inline: the host moves every point of every transformed entity through these.
    Pt Apply(Pt p) const { return {m[0] * p.x + m[1] * p.y + m[3], m[4] * p.x + m[5] * p.y + m[7]}; }
    Pt ApplyVector(Pt v) const { return {m[0] * v.x + m[1] * v.y, m[4] * v.x + m[5] * v.y}; }  // no translation
    double Det2() const;                                   // determinant of the 2 x 2 part
    bool Inverse(Matrix& out) const;
};
// a then b: the matrix applying a first, then b (b * a).
Matrix Then(const Matrix& a, const Matrix& b);

// The current transformation matrix of the host (CTM calls).
Matrix& CurrentMatrix();
// Resets the matrix and its stack (new scenario, tests).
void ResetMatrixStack();
// CTMPSH / CTMPOP; popping an empty stack leaves the matrix and answers false.
void PushMatrix();
bool PopMatrix();

// ---------------------------------------------------------------------------------------
// Symbols

// Registers a symbol definition with a base point; returns its handle (never 0). A given
// non-zero handle is used as is (a drawing file names its definitions), replacing any
// definition under it; 0 takes the next free handle.
uint32_t RegisterSymbolDefinition(double baseX, double baseY, const std::string& name, uint32_t handle = 0);
// The definition record (type 14 layout) of a handle, or null.
const unsigned char* FindSymbolDefinition(uint32_t handle);
// Handle of the definition with a name, 0 if none.
uint32_t FindSymbolDefinitionByName(const std::string& name);
// Forgets every definition.
void ClearSymbolDefinitions();
// Every definition and the next free handle, set aside while a drawing file is tried and put
// back when the file is refused.
struct SymbolDefinitions {
    std::map<uint32_t, Record> byHandle;
    uint32_t next = 1;
};
SymbolDefinitions SaveSymbolDefinitions();
void RestoreSymbolDefinitions(SymbolDefinitions definitions);
// The matrix that shows the members of a symbol reference in drawing space: M p - base.
Matrix SymbolToWorld(const unsigned char* symbolRef);

// ---------------------------------------------------------------------------------------
// Entity geometry. Every function checks the record's length and type; bad records give
// false / empty results.

// Widens an extent by the entity (members of groups and containers included when the
// record is a stored entity). False when the entity has no extent.
bool EntityExtent(const unsigned char* rec, ExtentRec& extent);
void ExtentAddPoint(ExtentRec& extent, double x, double y, double z = 0);

// EInfo bits (0x02 bounds, 0x04 closed, 0x10 annotation).
uint32_t EntityInfo(const unsigned char* rec);

// The entity as polylines (one per connected piece) within a chord tolerance: lines,
// paths, polygons (closed: last point repeats the first), circles, arcs, ellipses, curves,
// Bezier, walls (centre line), dimensions (their arcs / lines). Empty for others.
std::vector<std::vector<Pt>> FlattenEntity(const unsigned char* rec, double tolerance = kFlattenTolerance);

// Point at parameter t in [0, 1] (by arc length for polylines); false if unsupported.
bool PointAt(const unsigned char* rec, double t, Pt& out);
// Parameter of the point nearest to p (unclamped for lines); false if unsupported.
bool ParamOf(const unsigned char* rec, Pt p, double& t);
// Length of the entity; false for texts, points, groups and the like.
bool LengthOf(const unsigned char* rec, double& length);

// Intersection points of two entities (within both), deduplicated, ordered along b.
std::vector<Pt> Intersections(const unsigned char* a, const unsigned char* b);

// Transforms a record by a matrix. A record that must change its layout (a circle under a
// non-uniform scale) is written to grown; returns false then, and the caller stores grown.
bool TransformRecord(unsigned char* rec, const Matrix& m, Record* grown);

// Distance from p to the entity (texts: to their box); false if unsupported.
bool DistanceTo(const unsigned char* rec, Pt p, double& distance);

// Text boxes: the four corners of a text data part with its string (lower-left,
// lower-right, upper-right, upper-left), honouring justification and angle.
bool TextCorners(const unsigned char* data, const char* text, Pt corners[4]);

}  // namespace qlhost
