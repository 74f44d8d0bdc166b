// Commands over the host's services: scripts, files, parts, registry, resources, clock.
#include <cstring>

#include "testplugin.h"

namespace {

char g_text[256];
double g_point[3];
double g_number;
DList* g_part = nullptr;
uint32_t g_tick;

constexpr const char* kKeyPath = "Software\\Tarnwell\\QuilletTest\\";

SettingsRec Settings(char* path, void* data, uint32_t size) {
    std::memset(path, 0, 256);
    std::strcpy(path, kKeyPath);
    return SettingsRec{0x80000001u, path, "Number", data, size, 3, size, 0};
}

void FileNamed(int status) {
    if (status == 0) {
        char* text = nullptr;
        uint32_t size = 0;
        if (LoadFile(g_text, &text, &size)) {
            SetNumberVar("size", size);
            SetVar("content", text);
            RelMem(text);
        } else {
            SetVar("size", "none");
        }
        SetVar("full", FullFileName(g_text));
    }
    CmdEnd();
}

void PartPlaced(int status) {
    if (status == 0) {
        CTMI3();
        CTMT3(g_point[0], g_point[1], 0);
        double matrix[16];
        STCTM(matrix);
        CTMI3();
        PartInsert(g_part, GetWorkDL(), matrix, GetWorkDL());
        ShowChanges();
    }
    ReleaseList(g_part);
    g_part = nullptr;
    CmdEnd();
}

void PartNamed(int status) {
    if (status == 0) g_part = PartLoad(g_text);
    if (!g_part) {
        SetVar("part", "none");
        return CmdEnd();
    }
    ReqData(REQ_POINT3, g_point, "Place part at:", QL_CURSOR(4), PartPlaced, 0, 723);
}

void RegisterNumber(int status) {
    if (status == 0) {
        char path[256];
        SettingsRec record = Settings(path, &g_number, sizeof g_number);
        RMSetValue(&record);
    }
    CmdEnd();
}

void Picked(int status) {
    const unsigned char* pick = static_cast<const unsigned char*>(RscAdr(4198));
    double x, y;
    std::memcpy(&x, pick + 36, sizeof x);
    std::memcpy(&y, pick + 44, sizeof y);
    SetNumberVar("pickx", x);
    SetNumberVar("picky", y);
    SetNumberVar("status", status);
    CmdEnd();
}

void Ticked(int) {
    SetNumberVar("elapsed", GetTickCount() - g_tick);
    CmdEnd();
}

void RecordAnswered(int status) {
    SetNumberVar("status", status);
    CmdEnd();
}

}  // namespace

void TPNEXT() {
    SetVar("next", "ran");
    CmdEnd();
}

void TPSCRIPT() {
    ExecScriptCopy("ZOOMALL;");
    ExecScriptCopy("LINE;0,0;10,0;");
    ExecScriptCopy("TPNEXT;");
    CmdEnd();
}

void TPFILE() { ReqData(REQ_TEXT, g_text, "File:", QL_CURSOR(1), FileNamed, 0, 0); }

void TPPART() { ReqData(REQ_TEXT, g_text, "Part:", QL_CURSOR(1), PartNamed, 0, 0); }

void TPREGSET() { ReqData(REQ_REAL, &g_number, "Number to keep:", QL_CURSOR(1), RegisterNumber, 0, 0); }

void TPREGGET() {
    g_number = -1;
    char path[256];
    SettingsRec record = Settings(path, &g_number, sizeof g_number);
    RMGetValue(&record);
    SetNumberVar("kept", g_number);
    CmdEnd();
}

void TPRES() {
    SetVar("path", static_cast<const char*>(RscAdr(4144)));
    static EntRec* picked;
    ReqData(REQ_PICK, &picked, "Pick:", QL_CURSOR(7), Picked, 0, 0);
}

void TPTICK() {
    g_tick = GetTickCount();
    ReqData(REQ_POINT2, g_point, "Tick:", QL_CURSOR(4), Ticked, 0, 0);
}

void TPRECORD() {
    static double value = 2.5;
    static double point[2] = {3, 4};
    static const PromptRec record = {"Value !01 at !02:", {{&value, 10, 0, 5, 255}, {point, 12, 0, 5, 255}}};
    ReqData(REQ_POINT2, g_point, &record, QL_CURSOR(4), RecordAnswered, REQ_FLAG_RECORD, 0);
}
