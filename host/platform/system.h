// Host services of the reference host behind the Win32 and host calls that are not about
// drawings: the scripted clock, macro variables, host scripts, files and parts, cursors.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/host_api.h"

namespace qlhost {

// The scripted clock (GetTickCount): starts at 1,000,000 ms; the script advances it.
constexpr uint32_t kClockStart = 1000000;
constexpr uint32_t kClockStep = 250;  // per user action of a script, unless a script sets it
uint32_t TickCount();
void AdvanceClock(uint32_t ms);
// One user action's time: the clock moves by the step (`clock MS` sets it).
void ClockStep();
void SetClockStep(uint32_t ms);
// Back to the start time and the default step.
void ResetClock();

// Macro variables (SetVar).
void SetMacroVar(const std::string& name, const std::string& value);
bool MacroVar(const std::string& name, std::string& value);
void ClearMacroVars();

// Host scripts (ExecScriptCopy): every text is recorded in the transcript; a text that
// starts with a command name (the plug-in's or the host's) and ";" is queued to run when the
// current command has ended. isCommand tells the command names apart.
void SetCommandNameCheck(bool (*isCommand)(const std::string& name));
int RunHostScript(const char* text);
// The next queued script text, or empty.
std::string TakeQueuedCommand();
void ClearQueuedCommands();

// Folders: the user folder ("#name" files, qlhost --user-dir, default the current folder)
// and the host data folder (hostdata/ beside the executable).
void SetUserDir(const std::string& dir);
const std::string& UserDir();
void SetHostDataDir(const std::string& dir);
const std::string& HostDataDir();

// "#name" is name in the user folder; other names are kept as given.
std::string FullName(const std::string& name);
// FullFileName: FullName, confined to the file root when one is set (host/platform/
// file_root.h); empty, which opens nothing, when the name is refused.
std::string OpenableName(const std::string& name);
// The file LoadFile reads for a name: "#name" in the user folder, else in hostdata/fonts/,
// else hostdata/fonts/name.fnt; other names as given. Empty when none exists or the file
// root refuses the name.
std::string FindLoadFile(const std::string& name);
// LoadFile: a host block holding the file's text and a NUL; size without the NUL.
bool LoadHostFile(const char* name, char** text, uint32_t* size);
// RelMem: false when block is not a live host block.
bool ReleaseHostBlock(void* block);
// Host blocks still allocated (tests, leak checks at exit).
size_t LiveHostBlocks();
void ReleaseAllHostBlocks();

// Parts: a drawing file loaded into a new temporary list; the part's entities copied into
// a target list through a matrix.
DList* LoadPart(const char* name);
int InsertPart(DList* part, DList* target, const double* matrix, DList* owner);

// Cursors (LoadCursorA / SetCursor): the last cursor set, 0 when none.
HCURSOR CursorOfName(LPCSTR name);
HCURSOR SetHostCursor(HCURSOR cursor);
HCURSOR CurrentHostCursor();
int CursorSets();

// The host's program path (RscAdr 4144), a Windows-like path ending in a backslash.
constexpr const char* kProgramPath = "C:\\Corvane\\";

}  // namespace qlhost
