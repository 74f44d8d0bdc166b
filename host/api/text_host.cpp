// Host calls for the text tools: the host's own edit function (EEdit), recorded in the
// transcript, and the symbol definition a reference names (SymDefAdr).
#include <cstring>
#include <string>

#include "core/host_api.h"
#include "host/drawing/drawing.h"
#include "host/drawing/layouts.h"
#include "host/events/events.h"
#include "host/geometry/geometry.h"

extern "C" {

// The reference host has no entity editor of its own: the call is recorded and declined,
// so the command goes on as after an edit that changed nothing.
int EEdit(EntRec* entity) {
    qlhost::Node* node = qlhost::NodeOf(entity);
    if (node == nullptr) {
        qlhost::ScriptFault("EEdit: not a stored entity");
        return 0;
    }
    qlhost::Transcript("host edit of entity " + std::to_string(node->id));
    return 0;
}

const unsigned char* SymDefAdr(const EntRec* reference) {
    using namespace qlhost::layout;
    if (reference == nullptr || TypeOf(reference) != kSymbolRef) return nullptr;
    if (LengthOf(reference) < kSymHandle + 4) return nullptr;
    uint32_t handle = 0;
    std::memcpy(&handle, reference + kSymHandle, sizeof handle);
    return qlhost::FindSymbolDefinition(handle);
}

}  // extern "C"
