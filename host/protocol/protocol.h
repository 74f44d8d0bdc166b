// The runtime's side of the prompt protocol: the plug-in's command table, running commands,
// answering prompts, posted messages and the cursor. The scenario runner drives these.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/host_api.h"
#include "host/protocol/session.h"

namespace qlhost {

// The commands of the loaded plug-in (entry 0 is the About procedure).
struct CommandTable {
    std::string product;
    std::vector<std::string> names;  // names[k] runs procs[k + 1]
    std::vector<CmdProc> procs;
};
void SetCommandTable(CommandTable table);
const CommandTable& Commands();

// The host's own commands, started by name when the plug-in has none of that name: find gives
// the canonical name or null, run is the procedure of every one of them (it reads the running
// command's name), script runs a queued host script text (ExecScriptCopy). The commands room
// installs them (host/commands/engine.cpp).
struct HostCommands {
    const char* (*find)(const std::string& name) = nullptr;
    CmdProc run = nullptr;
    void (*script)(const std::string& text) = nullptr;
};
void SetHostCommands(const HostCommands& commands);
// Index into names of a command (names compare without regard to case); -1 when unknown.
int FindCommand(const std::string& name);

// Runs a command procedure; false when there is no such command.
bool StartCommand(const std::string& name);
// Runs entry 0 (About), which shows its box and does not end a command.
void RunAbout();
// Calls the open prompt's continuation with a status; false when no prompt is open.
bool AnswerPrompt(int status);
constexpr int kStatusCancel = 1;
// Ends a command that still waits (end of a script) without calling the plug-in.
void AbandonCommand();
// Back to idle: no command, no prompt, no queued messages.
void ResetSession();
// Runs the commands queued by ExecScriptCopy while the host is idle.
void RunQueuedCommands();
// Validation of the drawing whenever a command ends.
void SetValidateAfterCommands(bool on);
bool ValidateAfterCommands();

// True while a step of a command (its procedure or a continuation) runs.
bool StepRunning();

// ReqData and CmdEnd behind the C functions.
void Request(int kind, void* buffer, const void* prompt, uintptr_t cursor, ContProc continuation,
             uint32_t flags, int extra);
void FinishCommand();

// Answers to the open prompt; each reports a fault and answers nothing when the prompt does
// not take that kind of answer. Text answers hold at most kMaxInputLine characters.
constexpr size_t kMaxInputLine = 255;
void AnswerText(const std::string& text);
// Kinds 9, 11 (degrees, answered in radians), 15, 19; a point prompt with flags 0x20 gets
// status 3 with the number in the buffer's first double.
void AnswerNumber(double value);
void AnswerPoint(double x, double y, double z, bool hasZ);
void AnswerPick(double x, double y);
// Kind 22: the selection is already marked.
void AnswerSelection();
// A short description of the open prompt for error messages.
std::string DescribePrompt();

// Input typed at the open prompt (`key` presses): characters, backspace, and Enter, which
// answers status 2 on an empty input and otherwise reads the input as the prompt's kind.
void TypeIntoPrompt(char c);
void EraseTyped();
void ClearTyped();
const std::string& TypedInput();
void SubmitTyped();
// Answers the open prompt from a text as the user would type it: a text, a number, or a
// point "x,y[,z]"; a fault when the text does not fit the prompt.
void AnswerTyped(const std::string& input);

// Posted messages: PostMessageA hands host dialogs their messages at once; the rest wait in
// the queue until the plug-in's procedure has returned to the host (PumpMessages).
BOOL PostHostMessage(HWND window, UINT msg, WPARAM w, LPARAM l);
void PumpMessages();
void DiscardMessages();
// True when a message (posted, or a key given to the focus) reached a host dialog or
// message box since the last call.
bool TakeUiDelivery();
void NoteUiDelivery();

// The cursor: moves the live cursor (and the pick position); with a drag procedure open,
// calls it once.
void MoveCursor(double x, double y);
void MoveCursor3(double x, double y, double z);
void CallDrag();
int DragCalls();
// Last raw pick position (RscAdr 4198).
void SetPickPosition(double x, double y);
void* HostResource(int number);
void SnapCursor(int mode);
void SetRubberOrigin(double x, double y, double z);
void CountCursorRequest();
// The view's lower-left corner in drawing units (`view W H X Y`).
void SetViewOrigin(double x, double y);
// GetADWin's record.
ADWin* ActiveWindow();
// Cursor, pick record and view back to their start values.
void ResetCursorState();

// Selection answers.
void SelectAll();
void SelectNone();
void SelectIds(const std::vector<uint32_t>& ids, std::string& error);
void SelectWindow(double x1, double y1, double x2, double y2);
// The entity under a point (last in list order), or null.
EntRec* PickAt(double x, double y);

}  // namespace qlhost
