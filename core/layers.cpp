// The hidden-layer lookup and the redraw after a cancelled selection.
#include "core/layers.h"

#include "core/host_api.h"
#include "core/records.h"

bool IsLayerHidden(int layer) {
    DList* work = GetWorkDL();
    return work != nullptr && LayerHiddenIn(GetTemplate(work, TPL_LAYERS), layer);
}

bool LayerHiddenIn(const unsigned char* layerTable, int layer) {
    const unsigned char* entry = FindTableEntry(layerTable, kTblEntries, layer);
    if (entry == nullptr || GetU32(entry, kEntryLength) < kLayerFlags + 4) return false;
    return (GetU32(entry, kLayerFlags) & kLayerHidden) != 0;
}

namespace {

int DrawNormally(DList*, EntRec* entity, void*, void*) {
    EDraw(0, entity);
    return 0;
}

}  // namespace

void RedrawSelection() {
    DList* work = GetWorkDL();
    if (work != nullptr) ForEachEntity(work, DrawNormally, SCOPE_SELECTED);
    ShowChanges();
}
