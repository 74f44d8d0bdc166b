// The placement drag of QLMOVE and QLCOPY, open to the benchmark that times its frames.
#pragma once

#include "transform/engine.h"

// The placement state of move and copy.
PlacementDragState& MovePlacement();

// The drag procedure of the move and copy place prompts.
void PlacementDrag(void* ctx);
