// The scenario runner: the main loop over a script's actions and the host's event port while
// a script runs (the actions modal windows take, faults, failed expectations, the transcript).
#include <iostream>

#include "host/display/preview.h"
#include "host/drawing/drawing.h"
#include "host/geometry/geometry.h"
#include "host/platform/file_root.h"
#include "host/platform/hooks.h"
#include "host/platform/system.h"
#include "host/protocol/loader.h"
#include "host/protocol/protocol.h"
#include "host/runtime/host.h"
#include "host/script/run_state.h"
#include "host/state/parts.h"

namespace qlhost {
namespace {

// This room's part of the host's state (host/state/parts.h).
struct RunnerState {
    RunState run;
    LiveActions* live = nullptr;
};
RunnerState& Runner() { return Part<RunnerState>(); }

// The next action: the script's own, then the live source's.
const ScriptAction* PeekAction() {
    if (!Runner().run.script) return nullptr;
    if (Runner().run.next < Runner().run.script->actions.size()) return &Runner().run.script->actions[Runner().run.next];
    return Runner().live ? Runner().live->Peek() : nullptr;
}

const ScriptAction* TakeAction() {
    const ScriptAction* action = PeekAction();
    if (!action) return nullptr;
    if (Runner().run.next < Runner().run.script->actions.size())
        ++Runner().run.next;
    else
        Runner().live->Take();
    return action;
}

const Verb* FindVerb(const std::string& name) {
    for (const auto* verbs : {&InputVerbs(), &CheckVerbs(), &DrawingVerbs()})
        for (const Verb& verb : *verbs)
            if (name == verb.name) return &verb;
    return nullptr;
}

bool IsModalAnswer(const std::string& verb) {
    return verb == "dialog" || verb == "answer" || verb == "file" || verb == "menu" || verb == "esc" ||
           verb == "enter";
}

std::string Where() {
    if (!Runner().run.script) return "qlhost";
    if (!Runner().run.current) return Runner().run.script->file + ":" + std::to_string(Runner().run.script->lineCount);
    return Runner().run.current->action.file + ":" + std::to_string(Runner().run.current->action.line);
}

// Problems are kept as "line N: message" ("end: message" once the script has ended), the
// form `# expect-fail:` headers match against.
void Report(const std::string& message) {
    const std::string line = Runner().run.current ? "line " + std::to_string(Runner().run.current->action.line) : "end";
    Runner().run.problems.push_back(line + ": " + message);
    std::cerr << Where() << ": " << message << "\n";
}

// Message boxes reach the transcript as a caption line, "|" lines of text and a closing
// line; `expect message` checks the text of the last one.
void FollowMessageBox(const std::string& line) {
    if (line.rfind("message \"", 0) == 0 && line.back() == '"') {
        Runner().run.inMessage = true;
        Runner().run.hadMessage = true;
        Runner().run.messageLines = 0;
        Runner().run.messageText.clear();
        Runner().run.messageCaption = line.substr(9, line.size() - 10);
        return;
    }
    if (!Runner().run.inMessage) return;
    if (line.rfind("|", 0) != 0) {
        Runner().run.inMessage = false;
        return;
    }
    if (Runner().run.messageLines++ > 0) Runner().run.messageText += "\n";
    if (line.size() > 2) Runner().run.messageText += line.substr(2);
}

// Checks what a script leaves behind: a command still waiting, hooks, file blocks.
void FinishScript() {
    Runner().run.current = nullptr;
    if (CommandRunning()) {
        const PromptInfo* prompt = CurrentPrompt();
        Report("the script ended while " + RunningCommand() + " still waits" +
               (prompt ? " at the prompt \"" + prompt->text + "\"" : std::string()));
        AbandonCommand();
    }
    const int keyHooks = InstalledHooks(WH_KEYBOARD), mouseHooks = InstalledHooks(WH_MOUSE);
    if (keyHooks + mouseHooks > 0)
        Report("hooks still installed at the end of the script: " + std::to_string(keyHooks) + " keyboard, " +
               std::to_string(mouseHooks) + " mouse");
    RemoveAllHooks();
    if (const size_t blocks = LiveHostBlocks(); blocks > 0)
        Report(std::to_string(blocks) + " block(s) from LoadFile never released with RelMem");
    ReleaseAllHostBlocks();
}

bool Passed(const Script& script, const std::string& expectFail) {
    const bool expectsFailure = script.expectFail || !expectFail.empty();
    if (!expectsFailure) return Runner().run.problems.empty();
    const std::string& text = script.expectFail ? script.expectFailText : expectFail;
    for (const std::string& problem : Runner().run.problems)
        if (problem.find(text) != std::string::npos) {
            if (!Runner().run.options.quiet) std::cout << script.file << ": the expected failure occurred: " << text << "\n";
            return true;
        }
    std::cerr << script.file << ": expected a failure containing \"" << text << "\", but "
              << (Runner().run.problems.empty() ? std::string("the script passed") : "the failures differ") << "\n";
    return false;
}

bool RunLoaded(const Script& script);

bool RunScript(const std::string& path) {
    Script script;
    std::string error;
    if (!LoadScript(path, script, error)) {
        std::cerr << error << "\n";
        return false;
    }
    return RunLoaded(script);
}

bool RunLoaded(const Script& script) {
    std::string error;
    if (script.pending) {
        if (!Runner().run.options.quiet) std::cout << script.file << ": pending (" << script.pendingReason << ")\n";
        return true;
    }
    Runner().run.script = &script;
    Runner().run.next = 0;
    Runner().run.current = nullptr;
    Runner().run.problems.clear();
    Runner().run.names.clear();
    Runner().run.kept.clear();
    Runner().run.transcript.clear();
    Runner().run.transcriptChecked = 0;
    Runner().run.inMessage = Runner().run.hadMessage = false;
    Runner().run.messageText.clear();
    Host::Current().Reset();
    const std::string plugin = PluginFile(script.plugin.empty() ? Runner().run.options.plugin : script.plugin);
    if (!LoadPlugin(plugin, error)) {
        Report(error);
    } else {
        while (const ScriptAction* action = TakeAction()) {
            RunAction(*action);
            PumpMessages();
            RunQueuedCommands();
        }
        FinishScript();
    }
    const bool passed = Passed(script, Runner().run.options.expectFail);
    Runner().run.script = nullptr;
    return passed;
}

}  // namespace

RunState& Run() { return Runner().run; }

void RunAction(const ScriptAction& action) {
    Runner().run.current = &action;
    const Verb* verb = FindVerb(action.action.verb);
    if (!verb) {
        ScriptFault("unknown verb `" + action.action.verb + "`");
        return;
    }
    if (verb->userInput && action.action.verb != "wait") ClockStep();
    verb->proc(action);
}

namespace {

// The runner as the host's event port.
class ScriptPort final : public EventPort {
public:
    bool Next(UiAction& action, const std::string& what) override;
    bool Peek(UiAction& action) override;
    void Fault(const std::string& message) override { Report("fault: " + message); }
    void Transcript(const std::string& line) override;
};

// The runner's port keeps nothing of its own; it is a part so that it goes with the host.
ScriptPort& ThePort() { return Part<ScriptPort>(); }

}  // namespace

EventPort& ScriptEvents() { return ThePort(); }

bool ScriptPort::Next(UiAction& out, const std::string& what) {
    if (!Runner().run.script) return false;
    ++Runner().run.modalDepth;
    bool found = false;
    while (!found) {
        const ScriptAction* next = TakeAction();
        if (!next) break;
        const ScriptAction& action = *next;
        Runner().run.current = &action;
        const std::string& name = action.action.verb;
        if (IsModalAnswer(name)) {
            ClockStep();
            out = action.action;
            found = true;
            break;
        }
        const Verb* verb = FindVerb(name);
        if (!verb || !verb->modal) {
            ScriptFault("`" + name + "` while " + what + " is open");
            continue;
        }
        Runner().run.modalAnswer.clear();
        RunAction(action);
        // Messages for the drawing window while a modal window runs reach no prompt.
        DiscardMessages();
        if (!Runner().run.modalAnswer.empty()) {
            out = action.action;
            out.verb = Runner().run.modalAnswer;
            out.args.clear();
            found = true;
        } else if (TakeUiDelivery()) {
            out = action.action;
            out.verb.clear();
            out.args.clear();
            found = true;
        }
    }
    --Runner().run.modalDepth;
    return found;
}

bool ScriptPort::Peek(UiAction& action) {
    const ScriptAction* next = PeekAction();
    if (!next) return false;
    action = next->action;
    return true;
}

void Fail(const std::string& what, const std::string& expected, const std::string& found) {
    Report(what + " failed: expected " + expected + ", found " + found);
}

void ScriptPort::Transcript(const std::string& line) {
    size_t start = 0;
    for (;;) {
        const size_t end = line.find('\n', start);
        const std::string part = line.substr(start, end == std::string::npos ? std::string::npos : end - start);
        Runner().run.transcript.push_back(part);
        FollowMessageBox(part);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    if (!Runner().run.options.quiet) std::cout << line << "\n";
}

int RunLive(LiveActions& source, const std::string& folder, const RunOptions& options) {
    const ScopedEventPort port(source.Port(ThePort()));
    Runner().run.options = options;
    SetValidateAfterCommands(options.validate);
    SetValidateOnShowChanges(options.validate);
    Script script;
    script.file = "live";
    script.folder = folder;
    Runner().live = &source;
    SetFileRoot(folder);
    bool passed = RunLoaded(script);
    SetFileRoot("");
    Runner().live = nullptr;
    if (const std::string report = UnloadPlugin(); !report.empty()) {
        std::cerr << report << "\n";
        passed = false;
    }
    return passed ? 0 : 1;
}

int RunScripts(const std::vector<std::string>& paths, const RunOptions& options) {
    const ScopedEventPort port(ThePort());
    Runner().run.options = options;
    SetValidateAfterCommands(options.validate);
    SetValidateOnShowChanges(options.validate);
    int failed = 0;
    for (const std::string& path : paths)
        if (!RunScript(path)) ++failed;
    if (const std::string report = UnloadPlugin(); !report.empty()) {
        std::cerr << report << "\n";
        ++failed;
    }
    if (failed > 0) std::cerr << failed << " of " << paths.size() << " script(s) failed\n";
    return failed == 0 ? 0 : 1;
}

}  // namespace qlhost
