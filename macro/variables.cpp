// Macro commands that put a value into a named macro variable: QLGVD (a real value with a
// number of decimals), QLKEYSTAT (SHIFT/CTRL state), QLGTH (current text height),
// QLGETFNAMEM (drawing file name without extension), QLGETLAYERNAMEM (current layer name).
#include <cstdio>
#include <cstring>

#include "core/commands.h"
#include "core/hooks.h"
#include "core/host_api.h"
#include "core/prompts.h"
#include "core/records.h"
#include "macro/macro_text.h"

namespace {

// The host writes at most kTextAnswerSize bytes into a text answer.
char g_variable[kTextAnswerSize];
double g_realValue = 0.0;
int32_t g_decimals = 0;

constexpr int kMaxDecimals = 32;
constexpr size_t kValueTextSize = 128;
constexpr size_t kHeightTextSize = 16;
constexpr unsigned char kHeightPrecision = 3;

// The variable prompt of every command here; the continuation runs on its answer.
void AskVariable(ContProc continuation) {
    ReqData(REQ_VARIABLE, g_variable, "Variable:", QL_CURSOR(1), continuation, 0x40, 0);
}

void GvdFormat(int status) {
    if (status == ST_OK) {
        if (g_decimals < 0) g_decimals = 0;
        if (g_decimals > kMaxDecimals) g_decimals = kMaxDecimals;
        const PromptRec record =
            MakePrompt("!01", PromptValue(&g_realValue, PF_DOUBLE, static_cast<unsigned char>(g_decimals)));
        char text[kValueTextSize];
        FormatInto(record, text, sizeof text);
        SetVar(g_variable, text);
    }
    CmdEnd();
}

void GvdDecimals(int status) {
    if (status != ST_OK) return CmdEnd();
    ReqData(REQ_INTEGER, &g_decimals, "# of decimals:", QL_CURSOR(1), GvdFormat, 0, 0);
}

void GvdValue(int status) {
    if (status != ST_OK) return CmdEnd();
    ReqData(REQ_REAL, &g_realValue, "Real value:", QL_CURSOR(1), GvdDecimals, 0, 0);
}

void KeyStatSet(int status) {
    if (status == ST_OK) {
        int state = (KeyDown(VK_SHIFT) ? 1 : 0) + (KeyDown(VK_CONTROL) ? 2 : 0);
        char text[8];
        std::snprintf(text, sizeof text, "%d", state);
        SetVar(g_variable, text);
    }
    CmdEnd();
}

void TextHeightSet(int status) {
    DList* work = status == ST_OK ? GetWorkDL() : nullptr;
    const unsigned char* style = work ? CurrentTableData(GetTemplate(work, TPL_TEXT_STYLES)) : nullptr;
    if (style != nullptr) {
        float height = GetF32(style, kStyleBlockHeight);
        const PromptRec record = MakePrompt("!01", PromptValue(&height, PF_FLOAT, kHeightPrecision));
        char text[kHeightTextSize];
        FormatInto(record, text, sizeof text);
        SetVar(g_variable, text);
    }
    CmdEnd();
}

void FileNameSet(int status) {
    if (status == ST_OK) {
        char name[QL_DLIST_NAME_SIZE + 1];
        DrawingBaseName(GetWorkDL(), name, sizeof name);
        SetVar(g_variable, name);
    }
    CmdEnd();
}

void LayerNameSet(int status) {
    const unsigned char* layer = status == ST_OK ? GetCurLayer() : nullptr;
    if (layer != nullptr) {
        char name[kTextAnswerSize] = {};
        CopyBounded(name, sizeof name, reinterpret_cast<const char*>(layer + kLayerName),
                    LayerNameLimit(GetU32(layer, kEntryLength), sizeof name));
        SetVar(g_variable, name);
    }
    CmdEnd();
}

}  // namespace

void QLGVD() { AskVariable(GvdValue); }
void QLKEYSTAT() { AskVariable(KeyStatSet); }
void QLGTH() { AskVariable(TextHeightSet); }
void QLGETFNAMEM() { AskVariable(FileNameSet); }
void QLGETLAYERNAMEM() { AskVariable(LayerNameSet); }
