// The shape test of QLSAMEAS for closed polylines (type 4), which picks the host command
// that draws one more like it.
#pragma once

#include "core/host_api.h"

enum class PolygonKind {
    kBox,      // five vertices along the axes (within 1 % of the diagonal): "BOX;"
    kRegular,  // four or more vertices, sides equal within 1 % of the longest: "RPOLY;…"
    kPolygon,  // anything else, and records shorter than their vertex count: "POLY;"
};

PolygonKind ClassifyClosedPolyline(const EntRec* polygon);
