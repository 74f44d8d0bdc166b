// Record-level split and explode of entities (the list work is in host/api/entities.cpp).
#pragma once

#include <vector>

#include "host/geometry/geometry.h"
#include "host/geometry/shape.h"

namespace qlhost {

// Splits at t in (0, 1). An open entity gives pieces a (start..t) and b (t..end); a closed
// one is opened: a runs from t round to t, b stays empty and opened is set. The pieces carry
// the header attributes of rec. False when t is outside (0, 1) or the kind cannot split.
bool SplitRecord(const unsigned char* rec, double t, Record& a, Record& b, bool& opened);

// Simple parts of an ellipse form, curve or Bezier (lines, paths, polygons, arcs, circles),
// with the header attributes of rec. Empty for other kinds.
std::vector<Record> ExplodeRecord(const unsigned char* rec);

// Copies the header attributes (bytes 5..31) of one record into another.
void CopyHeader(const unsigned char* from, Record& to);

}  // namespace qlhost
