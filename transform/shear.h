// The shear of QLSHEAR: the selection slides along an axis, by an amount proportional to the
// distance from the axis, so that a point on the axis' perpendicular through the second axis
// point goes to the chosen point.
#pragma once

// v counts as 0 (the point lies on the axis: no shear) within this fraction of the axis
// length; turning a point of a slanted axis into the axis frame never gives an exact 0.
constexpr double kShearOnAxisTolerance = 1e-9;

// The shear factor k (x' = x + k y in the axis frame) for the chosen point at (u, v) in the
// axis frame: u / v, or 0 when the point lies on the axis, the axis has no length or the
// factor is not finite.
double ShearFactor(double u, double v, double axisLength);

// The shear matrix (a HostMatrix) for the axis (two 2-D points, one after the other) and the
// chosen point; the identity when the factor is 0.
void ShearMatrix(const double* axis, const double* point, double* matrix);
