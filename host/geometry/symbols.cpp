// Symbol definitions kept by the host, found through the 32-bit handles of references.
#include <map>

#include "host/drawing/layouts.h"
#include "host/geometry/geometry.h"
#include "host/state/parts.h"

namespace qlhost {
namespace {
using namespace layout;

SymbolDefinitions& Defs() { return Part<SymbolDefinitions>(); }
}  // namespace

uint32_t RegisterSymbolDefinition(double baseX, double baseY, const std::string& name, uint32_t handle) {
    SymbolDefinitions& d = Defs();
    if (handle == 0) {
        while (d.byHandle.count(d.next) || d.next == 0) ++d.next;
        handle = d.next++;
    }
    d.byHandle[handle] = MakeSymbolDef(handle, baseX, baseY, name);
    return handle;
}

const unsigned char* FindSymbolDefinition(uint32_t handle) {
    auto it = Defs().byHandle.find(handle);
    return it == Defs().byHandle.end() ? nullptr : it->second.data();
}

uint32_t FindSymbolDefinitionByName(const std::string& name) {
    for (const auto& [handle, rec] : Defs().byHandle)
        if (name == reinterpret_cast<const char*>(rec.data() + kDefName)) return handle;
    return 0;
}

void ClearSymbolDefinitions() {
    Defs().byHandle.clear();
    Defs().next = 1;
}

SymbolDefinitions SaveSymbolDefinitions() { return Defs(); }

void RestoreSymbolDefinitions(SymbolDefinitions definitions) { Defs() = std::move(definitions); }

Matrix SymbolToWorld(const unsigned char* ref) {
    uint32_t size = LengthOf(ref);
    if (TypeOf(ref) != kSymbolRef || size < kSymName) return Matrix::Identity();
    double m12[12];
    for (int i = 0; i < 12; ++i) m12[i] = Get<double>(ref, size, kSymMatrix + 8 * i);
    Matrix m = Matrix::FromSymbol(m12);
    if (const unsigned char* def = FindSymbolDefinition(Get<uint32_t>(ref, size, kSymHandle))) {
        uint32_t dn = LengthOf(def);
        m.m[3] -= Get<double>(def, dn, kDefBaseX);
        m.m[7] -= Get<double>(def, dn, kDefBaseY);
    }
    return m;
}

}  // namespace qlhost
