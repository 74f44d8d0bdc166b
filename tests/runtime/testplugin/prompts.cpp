// Prompt kinds, statuses, chains and drags.
#include <cstring>

#include "testplugin.h"

namespace {

int32_t g_kind = 0;
char g_text[256];
double g_point[3];
double g_number;
int32_t g_whole;
EntRec* g_picked;
int g_drags;
double g_viewHeight;

int CountSelected(DList*, EntRec*, void* count, void*) {
    ++*static_cast<int*>(count);
    return 0;
}

void SetStatus(const char* name, int status) { SetNumberVar(name, status); }

// The answer of the asked kind, shown in the variable "value".
void KindDone(int status) {
    SetStatus("status", status);
    if (status == 0 || status == 3) {
        char text[300];
        switch (g_kind) {
            case REQ_VARIABLE:
            case REQ_TEXT:
                SetVar("value", g_text);
                break;
            case REQ_POINT2:
            case REQ_POINT3:
                if (status == 3)
                    std::snprintf(text, sizeof text, "%.6g", g_point[0]);
                else
                    std::snprintf(text, sizeof text, "%.6g,%.6g,%.6g", g_point[0], g_point[1], g_point[2]);
                SetVar("value", text);
                break;
            case REQ_DISTANCE:
            case REQ_ANGLE:
            case REQ_REAL:
                SetNumberVar("value", g_number);
                break;
            case REQ_INTEGER:
                SetNumberVar("value", g_whole);
                break;
            case REQ_SELECTION: {
                int count = 0;
                ForEachEntity(GetWorkDL(), CountSelected, SCOPE_SELECTED, &count);
                SetNumberVar("value", count);
                break;
            }
            case REQ_PICK:
                SetNumberVar("value", g_picked ? g_picked[4] : -1);
                break;
            default:
                break;
        }
    }
    CmdEnd();
}

void* BufferOf(int kind) {
    switch (kind) {
        case REQ_VARIABLE:
        case REQ_TEXT: return g_text;
        case REQ_POINT2:
        case REQ_POINT3: return g_point;
        case REQ_DISTANCE:
        case REQ_ANGLE:
        case REQ_REAL: return &g_number;
        case REQ_INTEGER: return &g_whole;
        case REQ_PICK: return &g_picked;
        default: return nullptr;
    }
}

void KindChosen(int status) {
    if (status != 0) return CmdEnd();
    g_kind = g_whole;
    std::memset(g_point, 0, sizeof g_point);
    g_picked = nullptr;
    static char prompt[64];
    std::snprintf(prompt, sizeof prompt, "Answer kind %d:", g_kind);
    ReqData(g_kind, BufferOf(g_kind), prompt, QL_CURSOR(1), KindDone, REQ_FLAG_NUMBER, 0);
}

void ChainThird(int status) {
    SetStatus("s3", status);
    if (status == 0) SetNumberVar("real", g_number);
    CmdEnd();
}

void ChainSecond(int status) {
    SetStatus("s2", status);
    if (status == 0) SetVar("name", g_text);
    if (status != 0 && status != 2) return CmdEnd();
    ReqData(REQ_REAL, &g_number, "Factor:", QL_CURSOR(1), ChainThird, 0, 0);
}

void ChainFirst(int status) {
    SetStatus("s1", status);
    if (status == 3) SetNumberVar("typed", g_point[0]);
    if (status != 0 && status != 2 && status != 3) return CmdEnd();
    std::strcpy(g_text, "default");
    ReqData(REQ_TEXT, g_text, "Name [default]:", QL_CURSOR(1), ChainSecond, 0, 0);
}

// Draws a line from the origin to the live cursor and counts the calls.
void DragLine(void* ctx) {
    const double* cursor = static_cast<const double*>(RscAdr(4147));
    const double origin[2] = {0, 0};
    GetGDraw2()->DrawLine(ctx, origin, cursor);
    std::memcpy(&g_viewHeight, static_cast<unsigned char*>(ctx) + QL_DRAG_VIEW_HEIGHT, sizeof g_viewHeight);
    ++g_drags;
    XHReqCsr(ctx);
}

void DragDone(int status) {
    SetNumberVar("drags", g_drags);
    SetNumberVar("viewh", g_viewHeight);
    SetStatus("status", status);
    if (status == 3) {
        // A typed number redraws the preview at once, as text placement does after a key.
        POINT pixel;
        GetCursorPos(&pixel);
        PostMessageA(GetFocus(), WM_MOUSEMOVE, static_cast<WPARAM>(pixel.x + 65536 * pixel.y), 0);
        ReqData(REQ_POINT2, g_point, "Drag to:", QL_DRAG(DragLine), DragDone, REQ_FLAG_NUMBER, 0);
        return;
    }
    if (status == 0) {
        char text[64];
        std::snprintf(text, sizeof text, "%.6g,%.6g", g_point[0], g_point[1]);
        SetVar("point", text);
    }
    CmdEnd();
}

// Snaps the live cursor the way placement drags do and shows where it went.
void SnapDrag(void* ctx) {
    double* cursor = static_cast<double*>(RscAdr(4147));
    const double raw[2] = {cursor[0], cursor[1]};
    ProcCsrSnap(2);
    SetNumberVar("snapx", cursor[0]);
    SetNumberVar("snapy", cursor[1]);
    cursor[0] = raw[0];
    cursor[1] = raw[1];
    XHReqCsr(ctx);
}

void SnapDone(int status) {
    SetNumberVar("status", status);
    CmdEnd();
}

}  // namespace

void TPSNAP() { ReqData(REQ_POINT2, g_point, "Snap:", QL_DRAG(SnapDrag), SnapDone, 0, 0); }

void TPKIND() { ReqData(REQ_INTEGER, &g_whole, "Kind:", QL_CURSOR(1), KindChosen, 0, 0); }

void TPCHAIN() {
    std::memset(g_point, 0, sizeof g_point);
    ReqData(REQ_POINT2, g_point, QL_PROMPT_NUMBER(0x108d), QL_CURSOR(8), ChainFirst, REQ_FLAG_NUMBER, 0);
}

void TPDRAG() {
    g_drags = 0;
    ReqData(REQ_POINT2, g_point, "Drag to:", QL_DRAG(DragLine), DragDone, REQ_FLAG_NUMBER, 0);
}
