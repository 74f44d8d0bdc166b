// QLPART and QLPARTM: load a part drawing ("CV7") and place it again and again with a live
// preview; CTRL scales, SHIFT rotates in 15-degree steps, SHIFT+CTRL rotates freely.
#include "transform/part.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "core/commands.h"
#include "core/host_api.h"
#include "core/prompts.h"
#include "transform/engine.h"

namespace {

constexpr int kProgramPath = 4144;
constexpr int kCursorPlain = 1;
constexpr uint32_t kStartFlags = 32;
constexpr uint32_t kPlacedFlag = 2;
constexpr int kPlaceExtra = 723;
constexpr uintptr_t kPartFilterText = 4140;
constexpr uint32_t kOpenFlags1 = 2048;
constexpr uint32_t kOpenFlags2 = 1;

const char kFirstPlacePrompt[] =
    "Place at (CTRL = scale, SHIFT = rotate, SHIFT+CTRL = free Rotate):";
const char kPlacePartPrompt[] =
    "Place part at (CTRL = scale, SHIFT = rotate, SHIFT+CTRL = free rotate):";

struct PartState {
    char name[kPartNameSize] = {};       // kept between commands
    char savedName[kPartNameSize] = {};  // the default of QLPARTM, then the name with "CV7"
    DList* part = nullptr;
    PlacementDragState placement;
    double given[3] = {0, 0, 0};
    uint32_t flags = kStartFlags;
    const char* prompt = kFirstPlacePrompt;
};
PartState g_state;

void ReleasePart() {
    if (g_state.part != nullptr) ReleaseList(g_state.part);
    g_state.part = nullptr;
}

int DrawPartEntity(DList* part, EntRec* entity, void* ctx, void* matrix) {
    EntRec* copy = CopyEntity(part, entity);
    if (copy == nullptr) return 0;
    EntRec* moved = ETran(copy, static_cast<const double*>(matrix));
    if (moved == nullptr) moved = copy;
    EDrawM(ctx, moved);
    RemoveEntity(part, moved);
    return 0;
}

void PartDrag(void* ctx) {
    double cursor[3];
    UpdatePlacement(g_state.placement, ctx, cursor);
    if (g_state.part != nullptr) {
        ForEachEntity(g_state.part, DrawPartEntity, SCOPE_ALL, ctx, g_state.placement.matrix);
    }
    FinishPlacement(g_state.placement, ctx, cursor);
}

void OnPlace(int status);

void AskPlace(int extra) {
    ReqData(REQ_POINT3, g_state.given, g_state.prompt, QL_DRAG(PartDrag), OnPlace, g_state.flags,
            extra);
}

void OnPlace(int status) {
    if (status == ST_OK) {
        HostMatrix matrix;
        PlacementMatrix(g_state.placement, ClickTarget(g_state.placement, g_state.given), matrix);
        DList* work = GetWorkDL();
        BeginChange(work);
        PartInsert(g_state.part, work, matrix, work);
        ShowChanges();
        g_state.flags |= kPlacedFlag;
        g_state.prompt = kPlacePartPrompt;
        AskPlace(kPlaceExtra);
        return;
    }
    if (status == ST_NUMBER) {
        TakeTypedScale(g_state.placement, g_state.given[0]);
        AskPlace(0);
        return;
    }
    ReleasePart();
    CmdEnd();
}

void StartPlacement(const char* prompt) {
    const double origin[3] = {0, 0, 0};
    ResetPlacement(g_state.placement, PlacementKind::Part, origin);
    g_state.flags = kStartFlags;
    g_state.prompt = prompt;
    AskPlace(kPlaceExtra);
}

void RefuseLongName() {
    ShowMessage("The part file name is too long.", "Error", MS_ERROR);
    CmdEnd();
}

void OnName(int status) {
    if (status == ST_DEFAULT) {
        CopyName(g_state.name, sizeof g_state.name, g_state.savedName);
    } else if (status != ST_OK) {
        CmdEnd();
        return;
    }
    // The host writes the answer; make sure it ends inside the buffer whatever it wrote.
    g_state.name[sizeof g_state.name - 1] = '\0';
    g_state.part = PartLoad(g_state.name);
    if (g_state.part == nullptr && !HasThreeLetterExtension(g_state.name)) {
        if (!WithPartExtension(g_state.name, g_state.savedName, sizeof g_state.savedName)) {
            RefuseLongName();
            return;
        }
        g_state.part = PartLoad(g_state.savedName);
    }
    if (g_state.part == nullptr) {
        CmdEnd();
        return;
    }
    StartPlacement(kPlacePartPrompt);
}

}  // namespace

bool CopyName(char* out, size_t size, const char* name) {
    size_t length = strnlen(name, size);
    if (length >= size) return false;
    std::memcpy(out, name, length + 1);
    return true;
}

bool WorkFolderName(const char* programPath, char* out, size_t size) {
    static const char kWork[] = "Work";
    size_t length = strnlen(programPath, size);
    if (length >= size) return false;
    while (length > 0 && programPath[length - 1] != '\\') --length;
    if (length + sizeof kWork > size) return false;
    std::memcpy(out, programPath, length);
    std::memcpy(out + length, kWork, sizeof kWork);
    return true;
}

bool HasThreeLetterExtension(const char* name) {
    size_t length = std::strlen(name);
    return length >= 4 && name[length - 4] == '.';
}

bool WithPartExtension(const char* name, char* out, size_t size) {
    int written = std::snprintf(out, size, "%s.CV7", name);
    if (written < 0 || static_cast<size_t>(written) >= size) {
        if (size > 0) out[0] = '\0';
        return false;
    }
    return true;
}

void QLPART() {
    ReleasePart();
    if (g_state.name[0] == '\0') {
        const char* program = static_cast<const char*>(RscAdr(kProgramPath));
        if (program == nullptr || !WorkFolderName(program, g_state.name, sizeof g_state.name)) {
            g_state.name[0] = '\0';
        }
    }
    OpenFNRec record{};
    record.fileName = g_state.name;
    record.initial = g_state.name;
    record.defExt = "CV7";
    record.filter = reinterpret_cast<const char*>(kPartFilterText);
    record.bufferSize = sizeof g_state.name;
    record.reserved1 = kOpenFlags1;
    record.reserved2 = kOpenFlags2;
    if (GetOpenFN("Load part...", &record) == 0) {
        CmdEnd();
        return;
    }
    g_state.name[sizeof g_state.name - 1] = '\0';
    g_state.part = PartLoad(g_state.name);
    if (g_state.part == nullptr) {
        CmdEnd();
        return;
    }
    StartPlacement(kFirstPlacePrompt);
}

void QLPARTM() {
    ReleasePart();
    CopyName(g_state.savedName, sizeof g_state.savedName, g_state.name);
    static PromptRec prompt =
        MakePrompt("Filename [!01]: ", PromptValue(g_state.name, PF_TEXT, kDefaultPrecision));
    ReqData(REQ_TEXT, g_state.name, &prompt, QL_CURSOR(kCursorPlain), OnName, REQ_FLAG_RECORD, 0);
}
