// The scripted clock, macro variables, host scripts and cursors of the reference host.
#include "host/platform/system.h"

#include <deque>
#include <map>

#include "host/state/events.h"
#include "host/state/parts.h"

namespace qlhost {
namespace {


// This room's part of the host's state (host/state/parts.h).
struct SystemState {
    uint32_t clock = kClockStart;
    uint32_t clockStep = kClockStep;
    std::map<std::string, std::string> vars;
    std::deque<std::string> queued;
    bool (*isCommand)(const std::string&) = nullptr;
    HCURSOR cursor = nullptr;
    int cursorSets = 0;
};
SystemState& System() { return Part<SystemState>(); }

}  // namespace

uint32_t TickCount() { return System().clock; }
void AdvanceClock(uint32_t ms) { System().clock += ms; }
void ClockStep() { System().clock += System().clockStep; }
void SetClockStep(uint32_t ms) { System().clockStep = ms; }

void ResetClock() {
    System().clock = kClockStart;
    System().clockStep = kClockStep;
}

void SetMacroVar(const std::string& name, const std::string& value) {
    System().vars[name] = value;
    std::string shown;
    for (char c : value) {
        if (c == '\n')
            shown += "\\n";
        else if (c == '\r')
            shown += "\\r";
        else if (c == '"' || c == '\\')
            shown += std::string("\\") + c;
        else
            shown += c;
    }
    Transcript("var " + name + " = \"" + shown + "\"");
}

bool MacroVar(const std::string& name, std::string& value) {
    auto it = System().vars.find(name);
    if (it == System().vars.end()) return false;
    value = it->second;
    return true;
}

void ClearMacroVars() { System().vars.clear(); }

void SetCommandNameCheck(bool (*isCommand)(const std::string&)) { System().isCommand = isCommand; }

int RunHostScript(const char* text) {
    if (!text) return 0;
    const std::string script(text);
    Transcript("script: " + script);
    const size_t semicolon = script.find(';');
    if (semicolon != std::string::npos && System().isCommand && System().isCommand(script.substr(0, semicolon)))
        System().queued.push_back(script);
    return 1;
}

std::string TakeQueuedCommand() {
    if (System().queued.empty()) return {};
    std::string name = System().queued.front();
    System().queued.pop_front();
    return name;
}

void ClearQueuedCommands() { System().queued.clear(); }

// Cursor handles are the resource numbers they were loaded by, made non-null.
HCURSOR CursorOfName(LPCSTR name) {
    const uintptr_t id = reinterpret_cast<uintptr_t>(name);
    if (id > 0xFFFF) return reinterpret_cast<HCURSOR>(uintptr_t{0x7F00});
    return reinterpret_cast<HCURSOR>(id ? id : uintptr_t{0x7F00});
}

HCURSOR SetHostCursor(HCURSOR cursor) {
    HCURSOR previous = System().cursor;
    System().cursor = cursor;
    ++System().cursorSets;
    return previous;
}

HCURSOR CurrentHostCursor() { return System().cursor; }
int CursorSets() { return System().cursorSets; }

}  // namespace qlhost
