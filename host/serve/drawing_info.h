// What the page's panels show of the drawing: the layer table (name, visibility, the current
// layer, the colours drawn on each layer) and the selected entities with their properties.
#pragma once

#include <cstddef>

#include <nlohmann/json.hpp>

#include "host/drawing/drawing.h"

namespace qlhost::serve {

// Every layer of the table in table order: {number, name, hidden, frozen, current, entities,
// colors}; colors are the CSS colours of the entities on the layer (at most a few), entities
// their count. Layers used by entities but missing from the table come after, unnamed.
nlohmann::json LayersJson(const Drawing& drawing);

// The selected entities of the working list: {count, entities: [...]} with at most limit
// entities described: id, type, layer and its name, line style name, colour, and the fields
// of the entity's listing line (points as [x, y] pairs, centre, radius, text, height, ...).
nlohmann::json SelectionJson(const Drawing& drawing, size_t limit);

}  // namespace qlhost::serve
