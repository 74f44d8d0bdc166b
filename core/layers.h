// The hidden-layer lookup and the redraw after a cancelled selection.
#pragma once

// True when the layer's hidden bit is set in the working list's layer table; false when the
// layer is not listed or there is no table.
bool IsLayerHidden(int layer);
// The same lookup in a given layer table (null: no table).
bool LayerHiddenIn(const unsigned char* layerTable, int layer);

// Draws the selected entities normally and shows the changes: takes the selection
// highlight away after a cancel.
void RedrawSelection();
