// The prompt protocol of the host interface: ReqData, CmdEnd, RscAdr and the cursor calls.
#include "core/host_api.h"
#include "host/protocol/protocol.h"

extern "C" void ReqData(int kind, void* buffer, const void* prompt, uintptr_t cursor, ContProc continuation,
                        uint32_t flags, int extra) {
    qlhost::Request(kind, buffer, prompt, cursor, continuation, flags, extra);
}
extern "C" void CmdEnd(void) { qlhost::FinishCommand(); }
extern "C" void* RscAdr(int number) { return qlhost::HostResource(number); }
extern "C" void ProcCsrSnap(int mode) { qlhost::SnapCursor(mode); }
extern "C" void SetCursorOrg2(double x, double y) { qlhost::SetRubberOrigin(x, y, 0); }
extern "C" void SetCursorOrg3(double x, double y, double z) { qlhost::SetRubberOrigin(x, y, z); }
extern "C" void XHReqCsr(void*) { qlhost::CountCursorRequest(); }
extern "C" void XHReqCsr3(void*) { qlhost::CountCursorRequest(); }
