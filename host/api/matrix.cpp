// The current transformation matrix of the host interface: the CTM calls, STCTM, LDSymTM,
// and SymDefAdr, the symbol definition whose matrix LDSymTM loads.
#include <cstring>

#include "core/host_api.h"
#include "host/drawing/layouts.h"
#include "host/geometry/geometry.h"

namespace {
// Each call composes after the ones before: the newest operation acts last on points.
void Compose(const qlhost::Matrix& op) { qlhost::CurrentMatrix() = qlhost::Then(qlhost::CurrentMatrix(), op); }
}  // namespace

extern "C" {

void CTMI2(void) { qlhost::CurrentMatrix() = qlhost::Matrix::Identity(); }
void CTMI3(void) { qlhost::CurrentMatrix() = qlhost::Matrix::Identity(); }
void CTMT2(double dx, double dy) { Compose(qlhost::Matrix::Translation(dx, dy)); }
void CTMT3(double dx, double dy, double dz) { Compose(qlhost::Matrix::Translation(dx, dy, dz)); }
void CTMR2(double angle) { Compose(qlhost::Matrix::Rotation(angle)); }
void CTMS2(double sx, double sy) { Compose(qlhost::Matrix::Scaling(sx, sy)); }
void CTMS3(double sx, double sy, double sz) { Compose(qlhost::Matrix::Scaling(sx, sy, sz)); }

void CTMMUL2(const double* matrix) {
    if (matrix) Compose(qlhost::Matrix::FromHost(matrix));
}

void CTMPSH(void) { qlhost::PushMatrix(); }
void CTMPOP(void) { qlhost::PopMatrix(); }

void STCTM(double* matrix) {
    if (!matrix) return;
    for (int i = 0; i < 16; ++i) matrix[i] = qlhost::CurrentMatrix().m[i];
}

void LDSymTM(const double* symbolMatrix) {
    if (symbolMatrix) Compose(qlhost::Matrix::FromSymbol(symbolMatrix));
}

// The symbol definition a reference (type 12) names.
const unsigned char* SymDefAdr(const EntRec* reference) {
    using namespace qlhost::layout;
    if (reference == nullptr || TypeOf(reference) != kSymbolRef) return nullptr;
    if (LengthOf(reference) < kSymHandle + 4) return nullptr;
    uint32_t handle = 0;
    std::memcpy(&handle, reference + kSymHandle, sizeof handle);
    return qlhost::FindSymbolDefinition(handle);
}

}  // extern "C"
