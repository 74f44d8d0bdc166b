// The scripted clock, macro variables, host scripts and cursors of the reference host.
#include "host/platform/system.h"

#include <deque>
#include <map>

#include "host/events/events.h"

namespace qlhost {
namespace {

uint32_t g_clock = kClockStart;
uint32_t g_clockStep = kClockStep;
std::map<std::string, std::string> g_vars;
std::deque<std::string> g_queued;
bool (*g_isCommand)(const std::string&) = nullptr;

HCURSOR g_cursor = nullptr;
int g_cursorSets = 0;

}  // namespace

uint32_t TickCount() { return g_clock; }
void AdvanceClock(uint32_t ms) { g_clock += ms; }
void ClockStep() { g_clock += g_clockStep; }
void SetClockStep(uint32_t ms) { g_clockStep = ms; }

void ResetClock() {
    g_clock = kClockStart;
    g_clockStep = kClockStep;
}

void SetMacroVar(const std::string& name, const std::string& value) {
    g_vars[name] = value;
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
    auto it = g_vars.find(name);
    if (it == g_vars.end()) return false;
    value = it->second;
    return true;
}

void ClearMacroVars() { g_vars.clear(); }

void SetCommandNameCheck(bool (*isCommand)(const std::string&)) { g_isCommand = isCommand; }

int RunHostScript(const char* text) {
    if (!text) return 0;
    const std::string script(text);
    Transcript("script: " + script);
    const size_t semicolon = script.find(';');
    if (semicolon != std::string::npos && g_isCommand && g_isCommand(script.substr(0, semicolon)))
        g_queued.push_back(script);
    return 1;
}

std::string TakeQueuedCommand() {
    if (g_queued.empty()) return {};
    std::string name = g_queued.front();
    g_queued.pop_front();
    return name;
}

void ClearQueuedCommands() { g_queued.clear(); }

// Cursor handles are the resource numbers they were loaded by, made non-null.
HCURSOR CursorOfName(LPCSTR name) {
    const uintptr_t id = reinterpret_cast<uintptr_t>(name);
    if (id > 0xFFFF) return reinterpret_cast<HCURSOR>(uintptr_t{0x7F00});
    return reinterpret_cast<HCURSOR>(id ? id : uintptr_t{0x7F00});
}

HCURSOR SetHostCursor(HCURSOR cursor) {
    HCURSOR previous = g_cursor;
    g_cursor = cursor;
    ++g_cursorSets;
    return previous;
}

HCURSOR CurrentHostCursor() { return g_cursor; }
int CursorSets() { return g_cursorSets; }

}  // namespace qlhost
