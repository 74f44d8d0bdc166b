// QLDIST and QLLENGTH: the measured values and the selection walk behind the dialogs.
#pragma once

#include <cstdint>

#include "core/host_api.h"

// What QLDIST shows for two points: distance, differences in x and y, direction (radians).
struct DistanceValues {
    double distance;
    double dx;
    double dy;
    double angle;
};

DistanceValues MeasureBetween(const double* from, const double* to);

// Total length of the selected visible entities of a list. Entities without a length are
// counted in ignored, redrawn and taken out of the selection.
struct SelectionLength {
    double total;
    int32_t ignored;
};

SelectionLength MeasureSelection(DList* list);
