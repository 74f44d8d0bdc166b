// The event port: how every room of the host reports faults and transcript lines, and how the
// modal parts (dialogs, message boxes, file dialogs, pop-up menus) take their answers. The
// scenario runner drives the host from the top and installs itself as the port; the browser
// session wraps the runner's port; tests may install a recorder. Rooms below the runner
// include this header, never the runner's.
#pragma once

#include <string>
#include <vector>

namespace qlhost {

// One user action: the verb and its arguments (quotes removed), with its script line.
struct UiAction {
    std::string verb;
    std::vector<std::string> args;
    std::string file;
    int line = 0;
};

class EventPort {
public:
    virtual ~EventPort() = default;

    // Takes the next answer for a modal window that is waiting (what describes it for error
    // messages, for example "dialog DLGTEX"). Returns false when there are no more actions;
    // the caller then closes its window as cancelled. An action the caller cannot use must
    // be reported with Fault.
    //
    // The port runs by itself every action that does not answer a window (checks, dumps,
    // `wait`, `view`, held keys, cursor moves, `key` presses and mouse buttons through the
    // hooks) and hands the caller only the answers: `dialog`, `answer`, `file`, `menu`, `esc`
    // and `enter`. When one of the actions it ran delivered a message to a host window (a hook
    // posting WM_CLOSE or a key, see UiHandleMessage), it returns true with an empty verb so
    // the caller can look at its window again; an empty verb is never an answer.
    virtual bool Next(UiAction& action, const std::string& what) = 0;

    // Copies the next action without taking it; false when there is none. Message boxes take
    // an `answer` only when it is the next action, and leave any other action.
    virtual bool Peek(UiAction& action) = 0;

    // A fault in the scenario or in the plug-in's use of the host protocol. The run fails;
    // the host goes on where it safely can.
    virtual void Fault(const std::string& message) = 0;

    // One line (or several, separated by newlines) of the user-visible transcript.
    virtual void Transcript(const std::string& line) = 0;
};

// The port in use. With none installed, faults and transcript lines go to the standard
// streams and modal windows get no answers.
EventPort& Events();

// Installs port (null: back to the standard streams); returns the one it replaces.
EventPort* SetEventPort(EventPort* port);

// Installs a port for the lifetime of the object and puts the previous one back.
class ScopedEventPort {
public:
    explicit ScopedEventPort(EventPort& port) : previous_(SetEventPort(&port)) {}
    ~ScopedEventPort() { SetEventPort(previous_); }
    ScopedEventPort(const ScopedEventPort&) = delete;
    ScopedEventPort& operator=(const ScopedEventPort&) = delete;

private:
    EventPort* previous_;
};

// Shorthands the rooms use.
inline bool NextUiAction(UiAction& action, const std::string& what) { return Events().Next(action, what); }
inline bool PeekUiAction(UiAction& action) { return Events().Peek(action); }
inline void ScriptFault(const std::string& message) { Events().Fault(message); }
inline void Transcript(const std::string& line) { Events().Transcript(line); }

}  // namespace qlhost
