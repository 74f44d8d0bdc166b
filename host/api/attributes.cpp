// Attributes, layers, styles and colours of the host interface, and the host's text settings
// dialog (TSpecDialog).
#include <cstring>

#include "core/host_api.h"
#include "host/drawing/drawing.h"
#include "host/drawing/tables.h"
#include "host/ui/modal.h"

using namespace qlhost;

namespace {

Tables& Current() {
    return TheDrawing().tables;
}

template <typename T>
T AttributeField(size_t offset) {
    T value{};
    const Table& attributes = Current().attributes;
    if (offset + sizeof(T) <= attributes.size())
        std::memcpy(&value, attributes.data() + offset, sizeof(T));
    return value;
}

template <typename T>
void PutField(EntRec* entity, size_t offset, T value) {
    std::memcpy(entity + offset, &value, sizeof(T));
}

}  // namespace

// The entity may be a stored record or a record the plug-in is building in its own buffer.
extern "C" void SetCStuff(EntRec* entity) {
    if (!entity) return;
    const Tables& tables = Current();
    PutField<int8_t>(entity, kHdrWidth, AttributeField<int8_t>(kAttrWidth));
    PutField<uint32_t>(entity, kHdrColor, AttributeField<uint32_t>(kAttrColor));
    PutField<uint32_t>(entity, kHdrFillColor, AttributeField<uint32_t>(kAttrFillColor));
    PutField<uint16_t>(entity, kHdrFillStyle, static_cast<uint16_t>(CurrentFillStyle(tables)));
    PutField<uint16_t>(entity, kHdrLineStyle, static_cast<uint16_t>(CurrentLineStyle(tables)));
    PutField<uint16_t>(entity, kHdrLayer, static_cast<uint16_t>(CurrentLayer(tables)));
    PutField<uint32_t>(entity, kHdrFillParam, AttributeField<uint32_t>(kAttrFillParam));
}

extern "C" void CopyCStuff(const EntRec* from, EntRec* to) {
    if (!from || !to || from == to) return;
    std::memmove(to + 5, from + 5, 27);
}

extern "C" unsigned char* GetCurLayer(void) {
    return CurrentEntry(Current().layers, kTableEntries);
}

extern "C" void SetCurLayer(int layer) {
    SetCurrentEntry(Current().layers, kTableEntries, layer);
}

extern "C" unsigned char* FindLayerID(int layer) {
    return FindLayer(Current(), layer);
}

extern "C" int AskLayerFrozen(int layer) {
    return (LayerFlags(Current(), layer) & kLayerFrozen) ? 1 : 0;
}

extern "C" void SetCurFStyle(int style) {
    SetCurrentEntry(Current().fillStyles, kTableEntries, style);
}

extern "C" void SetCurLStyle(int style) {
    SetCurrentEntry(Current().lineStyles, kLineStyleEntries, style);
}

extern "C" unsigned char* FindFStyleName(const char* name) {
    return name ? FindFillStyleByName(Current(), name) : nullptr;
}

extern "C" unsigned char* FindFStyleID(int style) {
    return FindFillStyle(Current(), style);
}

extern "C" unsigned char* FindLStyleName(const char* name) {
    return name ? FindLineStyleByName(Current(), name) : nullptr;
}

extern "C" int GetCurColor(void) {
    return CurrentColor(Current());
}

extern "C" int GetBkgndColor(int) {
    return kBackgroundColor;
}

extern "C" COLORREF LookupColor(int color) {
    return PaletteColor(color);
}

extern "C" int TSpecDialog(unsigned char* styleBlock, int mode) { return qlhost::TextSettingsDialog(styleBlock, mode); }
