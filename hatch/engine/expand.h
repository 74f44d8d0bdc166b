// The family driver: the run's pattern (simple line rows, a host scalable fill style or a
// PAT pattern) turned into hatch families, each filled against the border; and the warnings
// a command shows when families could not be drawn.
#pragma once

#include "core/host_api.h"
#include "hatch/engine/border.h"
#include "hatch/engine/patterns.h"

// A PAT family whose angle is this close to the border's stays in the border's hatch space.
constexpr double kPatAngleTolerance = 0.00001;

struct ExpandResult {
    bool tooDense = false;  // a family was refused for its size
    bool unusable = false;  // a family had no usable distance or dash cycle, or no pattern was found
    bool stopped = false;   // ESC ended a PAT pattern early
};

// Draws the run's pattern into target. The border must be in the hatch space of the line
// settings angle; it is re-rotated for families of other angles. Frees the PAT library.
ExpandResult ExpandPattern(DList* target, HatchBorder& border, const EntRec* templateEntity,
                           HatchRun& run);

// The warning shown once per command when a family was refused for its size.
void ShowTooDenseWarning();
// The warning shown once per command when a family or the pattern could not be used.
void ShowUnusableWarning();
