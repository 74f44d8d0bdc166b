// Pick distance of entities (EPick).
#pragma once

#include "host/geometry/vec2.h"

namespace qlhost {

// Distance from p to the entity: texts by their box (0 inside), groups, containers and
// symbol references by their nearest member; infinity when the entity has no geometry.
double PickDistance(const unsigned char* rec, Pt p);

}  // namespace qlhost
