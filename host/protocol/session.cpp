// The prompt protocol: running commands as chains of steps (command procedure, then
// continuations), the open prompt, CmdEnd, and the faults of the protocol.
#include <optional>

#include "host/display/preview.h"
#include "host/drawing/drawing.h"
#include "host/platform/system.h"
#include "host/protocol/interact.h"
#include "host/protocol/protocol.h"
#include "host/protocol/undo_steps.h"
#include "host/state/events.h"
#include "host/state/parts.h"
#include "host/ui/ui.h"

namespace qlhost {
namespace {

struct Session {
    bool running = false;
    std::string command;
    std::optional<PromptInfo> prompt;
    int stepDepth = 0;
    bool endedInStep = false;   // CmdEnd was called during the current step
    bool inAbout = false;
    UndoHistory undo;           // the steps of the drawing undo and redo take back and forth
};

// This room's part of the host's state (host/state/parts.h).
struct SessionState {
    Session session;
    CommandTable commands;
    bool validate = true;
};
SessionState& Sessions() { return Part<SessionState>(); }

bool KnownKind(int kind) {
    switch (kind) {
        case REQ_VARIABLE:
        case REQ_TEXT:
        case REQ_POINT2:
        case REQ_POINT3:
        case REQ_DISTANCE:
        case REQ_ANGLE:
        case REQ_REAL:
        case REQ_INTEGER:
        case REQ_SELECTION:
        case REQ_PICK:
            return true;
        default:
            return false;
    }
}

// This room's part of the host's state (host/state/parts.h).
struct HostCommandState {
    HostCommands hostCommands;
};
HostCommandState& HostCommandTable() { return Part<HostCommandState>(); }

const char* FindHostCommand(const std::string& name) {
    return HostCommandTable().hostCommands.find ? HostCommandTable().hostCommands.find(name) : nullptr;
}

}  // namespace

void SetHostCommands(const HostCommands& commands) { HostCommandTable().hostCommands = commands; }

namespace {

bool IsCommandName(const std::string& name) { return FindCommand(name) >= 0 || FindHostCommand(name); }

void EndCommand() {
    const std::string name = Sessions().session.command;
    Sessions().session.running = false;
    Sessions().session.prompt.reset();
    Sessions().session.command.clear();
    DropPreselection();
    ClearCommandPoints();
    ClearRubberOrigin();
    TheDrawing().PurgeDeleted();
    EndUndoStep();
    Transcript(name + " ended");
    // Temporary lists live only while their command runs.
    for (const auto& list : TheDrawing().temporaries)
        ScriptFault(name + " ended holding the temporary list \"" + list->name + "\"");
    if (Sessions().validate) {
        const std::string fault = ValidateDrawing(TheDrawing());
        if (!fault.empty()) ScriptFault("drawing unsound after " + name + ": " + fault);
    }
}

// Runs one step of the running command and checks that it asked again or ended.
void RunStep(const std::string& what, void (*call)(void*), void* data) {
    ++Sessions().session.stepDepth;
    const bool outer = Sessions().session.stepDepth == 1;
    if (outer) Sessions().session.endedInStep = false;
    call(data);
    --Sessions().session.stepDepth;
    if (!outer) return;
    if (Sessions().session.running && !Sessions().session.prompt) {
        ScriptFault(what + " of " + Sessions().session.command + " returned without asking again or calling CmdEnd");
        EndCommand();
    }
}

}  // namespace

void SetCommandTable(CommandTable table) {
    Sessions().commands = std::move(table);
    SetCommandNameCheck(&IsCommandName);
}

const CommandTable& Commands() { return Sessions().commands; }

int FindCommand(const std::string& name) {
    for (size_t i = 0; i < Sessions().commands.names.size(); ++i) {
        const std::string& candidate = Sessions().commands.names[i];
        if (candidate.size() != name.size()) continue;
        bool same = true;
        for (size_t k = 0; k < name.size() && same; ++k) {
            char a = candidate[k], b = name[k];
            if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 32);
            if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 32);
            same = a == b;
        }
        if (same) return static_cast<int>(i);
    }
    return -1;
}

UndoHistory& TheUndoHistory() { return Sessions().session.undo; }

bool StepRunning() { return Sessions().session.stepDepth > 0; }

bool CommandRunning() { return Sessions().session.running; }
std::string RunningCommand() { return Sessions().session.command; }
const PromptInfo* CurrentPrompt() { return Sessions().session.prompt ? &*Sessions().session.prompt : nullptr; }

bool StartCommand(const std::string& name) {
    // The plug-in's commands first, then the host's own drawing commands.
    const int index = FindCommand(name);
    const char* hostName = index < 0 ? FindHostCommand(name) : nullptr;
    if (index < 0 && !hostName) return false;
    if (Sessions().session.running) {
        ScriptFault("run " + name + " while " + Sessions().session.command + " is running");
        return true;
    }
    Sessions().session.running = true;
    Sessions().session.command = hostName ? hostName : Sessions().commands.names[static_cast<size_t>(index)];
    Sessions().session.prompt.reset();
    ClearCommandPoints();
    ClearRubberOrigin();
    ResetScreenCounters();
    BeginUndoStep(Sessions().session.command);
    Transcript(Sessions().session.command + " started");
    CmdProc proc = hostName ? HostCommandTable().hostCommands.run : Sessions().commands.procs[static_cast<size_t>(index) + 1];
    RunStep("the command procedure", [](void* p) { reinterpret_cast<CmdProc>(p)(); },
            reinterpret_cast<void*>(proc));
    PumpMessages();
    TakePreselection();
    return true;
}

void RunAbout() {
    if (Sessions().commands.procs.empty() || !Sessions().commands.procs[0]) {
        ScriptFault("the plug-in has no About procedure");
        return;
    }
    Sessions().session.inAbout = true;
    Sessions().commands.procs[0]();
    Sessions().session.inAbout = false;
}

bool AnswerPrompt(int status) {
    if (!Sessions().session.prompt) return false;
    const PromptInfo prompt = *Sessions().session.prompt;
    // The finished request goes; the continuation may ask a new one.
    Sessions().session.prompt.reset();
    struct Call {
        ContProc continuation;
        int status;
    } call{prompt.continuation, status};
    RunStep("the continuation", [](void* p) {
        auto* c = static_cast<Call*>(p);
        c->continuation(c->status);
    }, &call);
    PumpMessages();
    TakePreselection();
    return true;
}

void AbandonCommand() {
    if (!Sessions().session.running) return;
    const std::string name = Sessions().session.command;
    Sessions().session.running = false;
    Sessions().session.prompt.reset();
    Sessions().session.command.clear();
    EndUndoStep();
    Transcript(name + " abandoned");
}

void ResetSession() {
    Sessions().session = Session{};
    DiscardMessages();
    ClearQueuedCommands();
}

void RunQueuedCommands() {
    while (!Sessions().session.running) {
        const std::string script = TakeQueuedCommand();
        if (script.empty()) return;
        if (HostCommandTable().hostCommands.script) HostCommandTable().hostCommands.script(script);
    }
}

void SetValidateAfterCommands(bool on) { Sessions().validate = on; }
bool ValidateAfterCommands() { return Sessions().validate; }

// ReqData: records the request; the host answers it once control is back in its loop.
void Request(int kind, void* buffer, const void* prompt, uintptr_t cursor, ContProc continuation,
             uint32_t flags, int extra) {
    if (!Sessions().session.running) {
        if (Sessions().session.inAbout)
            ScriptFault("ReqData from the About procedure");
        else if (Sessions().session.endedInStep)
            ScriptFault("ReqData after CmdEnd");
        else
            ScriptFault("ReqData while no command is running");
        return;
    }
    if (!KnownKind(kind)) {
        ScriptFault("ReqData of unknown kind " + std::to_string(kind));
        EndCommand();
        return;
    }
    if (!continuation) {
        ScriptFault("ReqData without a continuation");
        EndCommand();
        return;
    }
    if (!buffer && kind != REQ_SELECTION) {
        ScriptFault("ReqData of kind " + std::to_string(kind) + " without a buffer");
        EndCommand();
        return;
    }
    PromptInfo info;
    info.kind = kind;
    info.buffer = buffer;
    info.text = FormatPrompt(prompt, flags);
    info.cursor = cursor;
    // Cursor numbers are small; anything else is a drag procedure.
    info.drag = cursor > 0xFFFF;
    info.continuation = continuation;
    info.flags = flags;
    info.extra = extra;
    Sessions().session.prompt = info;
    ClearTyped();
    Transcript("prompt: " + info.text);
}

void FinishCommand() {
    if (!Sessions().session.running) {
        if (Sessions().session.endedInStep)
            ScriptFault("CmdEnd called a second time");
        else
            ScriptFault("CmdEnd while no command is running");
        return;
    }
    Sessions().session.endedInStep = true;
    EndCommand();
}

}  // namespace qlhost
