// Shared state of the scenario runner and the helpers its verbs use.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "host/drawing/drawing.h"
#include "host/script/parser.h"
#include "host/script/runner.h"
#include "host/state/events.h"

namespace qlhost {

struct RunState {
    RunOptions options;
    const Script* script = nullptr;
    size_t next = 0;                        // index of the next action
    const ScriptAction* current = nullptr;  // the action running
    int modalDepth = 0;                     // modal windows waiting in NextUiAction
    std::string modalAnswer;                // `esc` / `enter` a key gave the modal window
    std::vector<std::string> problems;      // faults and failed expectations of this script
    std::map<std::string, uint32_t> names;  // id=NAME of `add`
    std::vector<std::string> transcript;    // every line since the script started
    size_t transcriptChecked = 0;           // `expect transcript` looks from here
    bool inMessage = false;                 // message box lines being collected
    int messageLines = 0;
    std::string messageText;                // the last message box's text
    std::string messageCaption;             // and its caption
    bool hadMessage = false;
    std::map<std::string, std::string> kept;  // `keep NAME`: the drawing as saved JSON
};

RunState& Run();

// The runner as the host's event port: RunScripts and RunLive install it; tests that look at
// the problems and transcript of Run() install it themselves (ScopedEventPort).
EventPort& ScriptEvents();

// A verb of the language.
using VerbProc = void (*)(const ScriptAction& action);
struct Verb {
    const char* name;
    VerbProc proc;
    bool userInput;  // advances the clock; answers or events rather than checks
    bool modal;      // may run while a modal window waits (besides its answers)
};
// The verbs of each file.
const std::vector<Verb>& InputVerbs();
const std::vector<Verb>& CheckVerbs();
const std::vector<Verb>& DrawingVerbs();

// A failed expectation: what the script expected and what was found.
void Fail(const std::string& what, const std::string& expected, const std::string& found);

// Argument helpers; each reports a fault naming the verb when the argument is bad.
bool NeedArgs(const ScriptAction& action, size_t least, size_t most);
bool NumberArg(const ScriptAction& action, size_t index, double& value);
bool WholeArg(const ScriptAction& action, size_t index, long long& value);
// key=value words after the positional ones; false (with a fault) on an unknown key.
bool Options(const ScriptAction& action, size_t from, const std::vector<std::string>& keys,
             std::map<std::string, std::string>& options, std::vector<std::string>& positional);
// An entity id: a number or a name bound with id=NAME.
bool EntityIdArg(const std::string& word, uint32_t& id);
// A file name of the script, relative to the script's folder.
std::string ScriptPath(const std::string& name);

// The working list as the JSON drawing format saves it.
std::string SavedJson();

// Runs a verb by name as the main loop does (tests of the runner use it too).
void RunAction(const ScriptAction& action);

// Actions that follow a script's own while it runs (qlhost --serve): Peek waits for the next
// one and returns it without taking it, null once the source has closed; Take takes the
// action Peek returned. Actions stay valid until the source is destroyed.
class LiveActions {
public:
    virtual ~LiveActions() = default;
    virtual const ScriptAction* Peek() = 0;
    virtual void Take() = 0;
    // The event port while the source runs: the runner's own (script), or one of the
    // source's that passes to it.
    virtual EventPort& Port(EventPort& script) { return script; }
};

// Runs a script of live actions only, its relative file names read from folder, and every
// file name the plug-in hands the host confined to folder (a canonical path, the file root);
// the exit status as RunScripts.
int RunLive(LiveActions& source, const std::string& folder, const RunOptions& options);

}  // namespace qlhost
