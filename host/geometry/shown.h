// Walking an entity as it shows in the drawing: the entity itself and, for stored
// containers, every member at any depth, symbol members through their reference's matrix.
#pragma once

#include <functional>

#include "host/geometry/geometry.h"

namespace qlhost {

// Calls visit for the record and for each member of a stored container (groups, symbol
// references, containers; deleted members skipped, at most 64 levels deep), each as it shows
// under m (null: as stored). Records are temporary copies wherever a matrix applies.
void VisitShown(const unsigned char* record, const Matrix* m,
                const std::function<void(const unsigned char*)>& visit);

}  // namespace qlhost
