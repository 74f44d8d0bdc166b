// The hatch choices without the dialog, for menus and macros: QLHATCHLAST repeats the last
// method, QLHATCHOPTSEL chooses the pattern, QLHATCHOPTMOD sets the modify values and
// QLHATCHOPT the simple line pattern's distance and angle.
#include "core/commands.h"
#include "core/host_api.h"
#include "core/prompts.h"
#include "hatch/command.h"
#include "hatch/engine/patterns.h"

namespace {

constexpr uintptr_t kPlainCursor = 1;
constexpr uintptr_t kFreeCursor = 4;
constexpr size_t kAnswerSize = 256;  // the host's input line and its NUL
constexpr char kSettingsSubKey[] = "QLHatch\\Settings\\";

const char* const kNamePrompts[] = {"Line pattern name: ", "Corvane pattern name: ",
                                    "PAT-file pattern name: "};

// ---------------------------------------------------------------------------------------
// QLHATCHOPTSEL

int32_t g_kind;
char g_answer[kAnswerSize];

void OnPatternName(int status) {
    if (status == ST_OK) {
        HatchOptions& options = TheHatchOptions();
        switch (options.patternKind) {
            case kPatternSimple: CopyNameField(options.lineSettingsName, kSettingsNameSize, g_answer); break;
            case kPatternScalable: CopyNameField(options.scalableName, kScalableNameSize, g_answer); break;
            default: CopyNameField(options.patName, kPatNameSize, g_answer); break;
        }
        SaveHatchOptions();
    }
    CmdEnd();
}

void OnPatternKind(int status) {
    if (status != ST_OK) {
        CmdEnd();
        return;
    }
    if (g_kind < kPatternSimple || g_kind > kPatternPat) g_kind = kPatternSimple;
    TheHatchOptions().patternKind = g_kind;
    g_answer[0] = '\0';
    ReqData(REQ_TEXT, g_answer, kNamePrompts[g_kind], QL_CURSOR(kPlainCursor), OnPatternName, 0, 0);
}

// ---------------------------------------------------------------------------------------
// QLHATCHOPTMOD: the stored options keep modify off until the third answer.

void EndModifyCancelled() {
    TheHatchOptions().modify = 0;
    CmdEnd();
}

void OnOffsetBy(int status) {
    if (status != ST_OK) return EndModifyCancelled();
    SaveHatchOptions();
    CmdEnd();
}

void OnRotateBy(int status) {
    if (status != ST_OK) return EndModifyCancelled();
    ReqData(REQ_POINT2, TheHatchOptions().offsetBy, "Modify pattern - offset by [no modify]: ",
            QL_CURSOR(kPlainCursor), OnOffsetBy, 0, 0);
}

void OnScaleBy(int status) {
    if (status != ST_OK) return EndModifyCancelled();
    ReqData(REQ_ANGLE, &TheHatchOptions().rotateBy, "Modify pattern - rotate by [no modify]: ",
            QL_CURSOR(kPlainCursor), OnRotateBy, 0, 0);
}

// ---------------------------------------------------------------------------------------
// QLHATCHOPT: the typed values go into the line settings in memory and, when the current
// name has a stored record, into that record too, since a hatch run reloads it by name.

bool g_namedRecord;
PromptRec g_distancePrompt;
PromptRec g_anglePrompt;

void LoadNamedSettings() {
    const char* name = TheHatchOptions().lineSettingsName;
    unsigned char bytes[kLineSettingsSize];
    g_namedRecord = name[0] != '\0' && LoadSetting(kSettingsSubKey, name, bytes, kLineSettingsSize);
    if (g_namedRecord) UnpackLineSettings(bytes, TheLineSettings());
}

void StoreTyped() {
    SaveHatchOptions();
    if (g_namedRecord) SaveLineSettings(TheHatchOptions().lineSettingsName);
}

void OnAngle(int) {
    StoreTyped();
    CmdEnd();
}

void OnDistance(int status) {
    if (status != ST_OK && status != ST_DEFAULT) {
        CmdEnd();
        return;
    }
    StoreTyped();
    LineSettings& line = TheLineSettings();
    g_anglePrompt = MakePrompt("Hatch angle [!01]:", PromptValue(&line.angle, PF_ANGLE));
    ReqData(REQ_ANGLE, &line.angle, &g_anglePrompt, QL_CURSOR(kFreeCursor), OnAngle, REQ_FLAG_RECORD, 0);
}

}  // namespace

void QLHATCHLAST() {
    LoadHatchOptions();
    StartHatchMethod(TheHatchOptions().method);
}

void QLHATCHOPTSEL() {
    LoadHatchOptions();
    g_kind = TheHatchOptions().patternKind;
    ReqData(REQ_INTEGER, &g_kind, "Pattern type (0 = Line, 1 = Corvane, 2 = PAT-file): ",
            QL_CURSOR(kPlainCursor), OnPatternKind, 0, 0);
}

void QLHATCHOPTMOD() {
    LoadHatchOptions();
    HatchOptions& options = TheHatchOptions();
    options.modify = 0;
    SaveHatchOptions();
    options.modify = 1;
    ReqData(REQ_REAL, &options.scaleBy, "Modify pattern - scale by [no modify]: ",
            QL_CURSOR(kPlainCursor), OnScaleBy, 0, 0);
}

void QLHATCHOPT() {
    LoadHatchOptions();
    LoadNamedSettings();
    LineSettings& line = TheLineSettings();
    g_distancePrompt = MakePrompt("Hatch distance [!01]:", PromptValue(&line.distance, PF_DISTANCE));
    ReqData(REQ_DISTANCE, &line.distance, &g_distancePrompt, QL_CURSOR(kFreeCursor), OnDistance,
            REQ_FLAG_RECORD, 0);
}
