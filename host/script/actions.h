// How the modal parts of the host (dialogs, message boxes, file dialogs, pop-up menus)
// take their answers from the running scenario script, and how every room reports to the
// user-visible transcript.
#pragma once

#include <string>
#include <vector>

namespace qlhost {

// One scenario action: the verb and its arguments (quotes removed), with its script line.
struct UiAction {
    std::string verb;
    std::vector<std::string> args;
    std::string file;
    int line = 0;
};

// Takes the next action of the script for a modal window that is waiting (what describes
// it for error messages, for example "dialog DLGTEX"). Returns false when the script has no
// more actions; the caller then closes its window as cancelled. An action the caller
// cannot use must be reported with ScriptFault.
//
// The runtime runs by itself every action that does not answer a window (checks, dumps,
// `wait`, `view`, held keys, cursor moves, `key` presses and mouse buttons through the
// hooks) and hands the caller only the answers: `dialog`, `answer`, `file`, `menu`, `esc`
// and `enter`. When one of the actions it ran delivered a message to a host window (a hook
// posting WM_CLOSE or a key, see UiHandleMessage), it returns true with an empty verb so the
// caller can look at its window again; an empty verb is never an answer.
bool NextUiAction(UiAction& action, const std::string& what);

// Copies the next action of the script without taking it; false when there is none. Message
// boxes take an `answer` only when it is the next action, and leave any other action.
bool PeekUiAction(UiAction& action);

// Reports a fault in the scenario or in the plug-in's use of the host protocol, naming the
// current script line. The run fails; the host goes on where it safely can.
void ScriptFault(const std::string& message);

// Writes one line to the transcript (standard output unless quiet).
void Transcript(const std::string& line);

}  // namespace qlhost
