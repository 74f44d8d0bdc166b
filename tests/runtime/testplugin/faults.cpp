// Commands that break the prompt protocol on purpose, one fault each.
#include "testplugin.h"

namespace {

double g_point[3];

char g_name[256];

void ReturnsSilently(int) {}

void Leak(int) {
    char* text = nullptr;
    uint32_t size = 0;
    LoadFile(g_name, &text, &size);
    CmdEnd();
}

}  // namespace

void TPNOASK() {}

void TPCONTNOASK() { ReqData(REQ_POINT2, g_point, "Point:", QL_CURSOR(4), ReturnsSilently, 0, 0); }

void TPAFTEREND() {
    CmdEnd();
    ReqData(REQ_POINT2, g_point, "Point:", QL_CURSOR(4), ReturnsSilently, 0, 0);
}

void TPTWICE() {
    CmdEnd();
    CmdEnd();
}

void TPWAIT() { ReqData(REQ_POINT2, g_point, "Waiting:", QL_CURSOR(4), ReturnsSilently, 0, 0); }

void TPBADKIND() { ReqData(42, g_point, "Bad kind:", QL_CURSOR(1), ReturnsSilently, 0, 0); }

void TPLEAK() { ReqData(REQ_TEXT, g_name, "File to leak:", QL_CURSOR(1), Leak, 0, 0); }

void TPKEEPLIST() {
    CreateDList("~Kept.cv7", 2);
    CmdEnd();
}
