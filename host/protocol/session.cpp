// The prompt protocol: running commands as chains of steps (command procedure, then
// continuations), the open prompt, CmdEnd, and the faults of the protocol.
#include <optional>

#include "host/display/preview.h"
#include "host/drawing/drawing.h"
#include "host/events/events.h"
#include "host/platform/system.h"
#include "host/protocol/protocol.h"
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
};

Session g_session;
CommandTable g_commands;
bool g_validate = true;

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

HostCommands g_hostCommands;

const char* FindHostCommand(const std::string& name) {
    return g_hostCommands.find ? g_hostCommands.find(name) : nullptr;
}

}  // namespace

void SetHostCommands(const HostCommands& commands) { g_hostCommands = commands; }

namespace {

bool IsCommandName(const std::string& name) { return FindCommand(name) >= 0 || FindHostCommand(name); }

void EndCommand() {
    const std::string name = g_session.command;
    g_session.running = false;
    g_session.prompt.reset();
    g_session.command.clear();
    TheDrawing().PurgeDeleted();
    Transcript(name + " ended");
    // Temporary lists live only while their command runs.
    for (const auto& list : TheDrawing().temporaries)
        ScriptFault(name + " ended holding the temporary list \"" + list->name + "\"");
    if (g_validate) {
        const std::string fault = ValidateDrawing(TheDrawing());
        if (!fault.empty()) ScriptFault("drawing unsound after " + name + ": " + fault);
    }
}

// Runs one step of the running command and checks that it asked again or ended.
void RunStep(const std::string& what, void (*call)(void*), void* data) {
    ++g_session.stepDepth;
    const bool outer = g_session.stepDepth == 1;
    if (outer) g_session.endedInStep = false;
    call(data);
    --g_session.stepDepth;
    if (!outer) return;
    if (g_session.running && !g_session.prompt) {
        ScriptFault(what + " of " + g_session.command + " returned without asking again or calling CmdEnd");
        EndCommand();
    }
}

}  // namespace

void SetCommandTable(CommandTable table) {
    g_commands = std::move(table);
    SetCommandNameCheck(&IsCommandName);
}

const CommandTable& Commands() { return g_commands; }

int FindCommand(const std::string& name) {
    for (size_t i = 0; i < g_commands.names.size(); ++i) {
        const std::string& candidate = g_commands.names[i];
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

bool StepRunning() { return g_session.stepDepth > 0; }

bool CommandRunning() { return g_session.running; }
std::string RunningCommand() { return g_session.command; }
const PromptInfo* CurrentPrompt() { return g_session.prompt ? &*g_session.prompt : nullptr; }

bool StartCommand(const std::string& name) {
    // The plug-in's commands first, then the host's own drawing commands.
    const int index = FindCommand(name);
    const char* hostName = index < 0 ? FindHostCommand(name) : nullptr;
    if (index < 0 && !hostName) return false;
    if (g_session.running) {
        ScriptFault("run " + name + " while " + g_session.command + " is running");
        return true;
    }
    g_session.running = true;
    g_session.command = hostName ? hostName : g_commands.names[static_cast<size_t>(index)];
    g_session.prompt.reset();
    ResetScreenCounters();
    Transcript(g_session.command + " started");
    CmdProc proc = hostName ? g_hostCommands.run : g_commands.procs[static_cast<size_t>(index) + 1];
    RunStep("the command procedure", [](void* p) { reinterpret_cast<CmdProc>(p)(); },
            reinterpret_cast<void*>(proc));
    PumpMessages();
    return true;
}

void RunAbout() {
    if (g_commands.procs.empty() || !g_commands.procs[0]) {
        ScriptFault("the plug-in has no About procedure");
        return;
    }
    g_session.inAbout = true;
    g_commands.procs[0]();
    g_session.inAbout = false;
}

bool AnswerPrompt(int status) {
    if (!g_session.prompt) return false;
    const PromptInfo prompt = *g_session.prompt;
    // The finished request goes; the continuation may ask a new one.
    g_session.prompt.reset();
    struct Call {
        ContProc continuation;
        int status;
    } call{prompt.continuation, status};
    RunStep("the continuation", [](void* p) {
        auto* c = static_cast<Call*>(p);
        c->continuation(c->status);
    }, &call);
    PumpMessages();
    return true;
}

void AbandonCommand() {
    if (!g_session.running) return;
    const std::string name = g_session.command;
    g_session.running = false;
    g_session.prompt.reset();
    g_session.command.clear();
    Transcript(name + " abandoned");
}

void ResetSession() {
    g_session = Session{};
    DiscardMessages();
    ClearQueuedCommands();
}

void RunQueuedCommands() {
    while (!g_session.running) {
        const std::string script = TakeQueuedCommand();
        if (script.empty()) return;
        if (g_hostCommands.script) g_hostCommands.script(script);
    }
}

void SetValidateAfterCommands(bool on) { g_validate = on; }
bool ValidateAfterCommands() { return g_validate; }

// ReqData: records the request; the host answers it once control is back in its loop.
void Request(int kind, void* buffer, const void* prompt, uintptr_t cursor, ContProc continuation,
             uint32_t flags, int extra) {
    if (!g_session.running) {
        if (g_session.inAbout)
            ScriptFault("ReqData from the About procedure");
        else if (g_session.endedInStep)
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
    g_session.prompt = info;
    ClearTyped();
    Transcript("prompt: " + info.text);
}

void FinishCommand() {
    if (!g_session.running) {
        if (g_session.endedInStep)
            ScriptFault("CmdEnd called a second time");
        else
            ScriptFault("CmdEnd while no command is running");
        return;
    }
    g_session.endedInStep = true;
    EndCommand();
}

}  // namespace qlhost
