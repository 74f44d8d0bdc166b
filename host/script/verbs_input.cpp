// Verbs of user input: commands, prompt answers, keys, mouse buttons, cursor moves, time.
#include "host/platform/hooks.h"
#include "host/platform/system.h"
#include "host/protocol/loader.h"
#include "host/protocol/interact.h"
#include "host/protocol/protocol.h"
#include "host/script/run_state.h"
#include "host/state/events.h"
#include "host/ui/ui.h"

namespace qlhost {
namespace {

bool Modal() { return Run().modalDepth > 0; }

void VerbRun(const ScriptAction& a) {
    if (!NeedArgs(a, 1, 1)) return;
    if (!PluginLoaded()) return ScriptFault("run: no plug-in is loaded");
    if (!StartCommand(a.action.args[0])) ScriptFault("run: the plug-in has no command " + a.action.args[0]);
}

void VerbAbout(const ScriptAction& a) {
    if (!NeedArgs(a, 0, 0)) return;
    if (!PluginLoaded()) return ScriptFault("about: no plug-in is loaded");
    RunAbout();
}

// The command names as qlhost --list prints them, into the transcript.
void VerbList(const ScriptAction& a) {
    if (!NeedArgs(a, 0, 0)) return;
    for (const std::string& name : Commands().names) Transcript(name);
}

void VerbPoint(const ScriptAction& a) {
    double x, y, z = 0;
    if (!NeedArgs(a, 2, 3) || !NumberArg(a, 0, x) || !NumberArg(a, 1, y)) return;
    if (a.action.args.size() == 3 && !NumberArg(a, 2, z)) return;
    AnswerPoint(x, y, z, a.action.args.size() == 3);
}

void VerbNumber(const ScriptAction& a) {
    double value;
    if (NeedArgs(a, 1, 1) && NumberArg(a, 0, value)) AnswerNumber(value);
}

void VerbText(const ScriptAction& a) {
    if (NeedArgs(a, 1, 1)) AnswerText(a.action.args[0]);
}

void VerbEnter(const ScriptAction& a) {
    if (!NeedArgs(a, 0, 0)) return;
    if (!CurrentPrompt()) return ScriptFault("enter: no prompt is open");
    ClearTyped();
    AnswerPrompt(2);
}

void VerbEsc(const ScriptAction& a) {
    if (!NeedArgs(a, 0, 0)) return;
    if (!CurrentPrompt()) return ScriptFault("esc: no prompt is open");
    const bool selecting = CurrentPrompt()->kind == REQ_SELECTION;
    ClearTyped();
    AnswerPrompt(kStatusCancel);
    // Escape at a selection prompt drops what was picked into it once the command has gone,
    // as it would in any CAD program; a command that goes on keeps its own marks.
    if (selecting && !CommandRunning()) SelectNone();
}

void VerbPick(const ScriptAction& a) {
    double x, y;
    if (NeedArgs(a, 2, 2) && NumberArg(a, 0, x) && NumberArg(a, 1, y)) AnswerPick(x, y);
}

// Two corners after the form word, and an optional trailing `add`.
bool WindowArgs(const ScriptAction& a, double c[4], bool& add) {
    if (!NeedArgs(a, 5, 6)) return false;
    for (size_t i = 0; i < 4; ++i)
        if (!NumberArg(a, i + 1, c[i])) return false;
    add = a.action.args.size() == 6;
    if (add && a.action.args[5] != "add") {
        ScriptFault("select: \"" + a.action.args[5] + "\" is not `add`");
        return false;
    }
    return true;
}

void VerbSelect(const ScriptAction& a) {
    if (!NeedArgs(a, 1, SIZE_MAX)) return;
    // Without a prompt the entities are selected beforehand, as a user picks before a command;
    // the next selection prompt takes them.
    const PromptInfo* prompt = CurrentPrompt();
    if (prompt && prompt->kind != REQ_SELECTION) return ScriptFault("select does not answer " + DescribePrompt());
    // Entity names given with id= come before the words of the newer forms.
    const std::string how = Run().names.count(a.action.args[0]) ? std::string() : a.action.args[0];
    bool answer = true;  // the forms that build the set step by step leave the prompt open
    if (how == "all" || how == "none") {
        if (!NeedArgs(a, 1, 1)) return;
        how == "all" ? SelectAll() : SelectNone();
    } else if (how == "window" || how == "crossing") {
        double c[4];
        bool add;
        if (!WindowArgs(a, c, add)) return;
        if (how == "window" && !add) {
            SelectWindow(c[0], c[1], c[2], c[3]);
        } else {
            SelectInWindow(c[0], c[1], c[2], c[3], how == "crossing", add);
        }
        answer = !add;
    } else if (how == "pick" || how == "unpick") {
        double x, y;
        if (!NeedArgs(a, 3, 3) || !NumberArg(a, 1, x) || !NumberArg(a, 2, y)) return;
        if (!PickIntoSelection(x, y, how == "unpick")) Transcript("select: nothing at " + a.action.args[1] + " " + a.action.args[2]);
        answer = false;
    } else if (how == "done") {
        if (!NeedArgs(a, 1, 1)) return;
    } else {
        std::vector<uint32_t> ids;
        for (const std::string& word : a.action.args) {
            uint32_t id;
            if (!EntityIdArg(word, id)) return;
            ids.push_back(id);
        }
        std::string error;
        SelectIds(ids, error);
        if (!error.empty()) return ScriptFault("select: " + error);
    }
    if (!prompt) return NotePreselection();
    if (answer) AnswerSelection();
}

// `snap MODE...` switches the object snaps of clicks and ProcCsrSnap on; `snap off` back to
// the host's plain end-point snap.
void VerbSnap(const ScriptAction& a) {
    if (!NeedArgs(a, 1, SIZE_MAX)) return;
    unsigned modes = 0;
    if (!(a.action.args.size() == 1 && a.action.args[0] == "off")) {
        for (const std::string& word : a.action.args) {
            const unsigned mode = word == "all" ? kSnapAll : SnapModeByName(word.c_str());
            if (mode == 0) return ScriptFault("snap: unknown mode \"" + word + "\"");
            modes |= mode;
        }
    }
    SetSnapModes(modes);
}

// `input "TEXT"` answers the open prompt as the text typed and Enter.
void VerbInput(const ScriptAction& a) {
    if (!NeedArgs(a, 1, 1)) return;
    if (!CurrentPrompt()) return ScriptFault("input: no prompt is open");
    ClearTyped();
    AnswerTyped(a.action.args[0]);
}

void VerbMove(const ScriptAction& a) {
    double x, y, z = 0;
    if (!NeedArgs(a, 2, 3) || !NumberArg(a, 0, x) || !NumberArg(a, 1, y)) return;
    if (a.action.args.size() == 3 && !NumberArg(a, 2, z)) return;
#ifdef _WIN32
    // The real cursor moves there first, through the thread's mouse hooks.
    const POINT pixel = PixelOf(x, y);
    DeliverMouse(WM_MOUSEMOVE, pixel.x, pixel.y);
#endif
    if (a.action.args.size() == 3) {
        MoveCursor3(x, y, z);
    } else {
        MoveCursor(x, y);
    }
}

// The virtual key of a KEY argument, and whether SHIFT types it ("!" is SHIFT+1).
bool KeyArg(const ScriptAction& a, int& vk, bool& shift) {
    shift = false;
    const std::string& word = a.action.args[0];
    vk = VirtualKeyByName(word.c_str());
    if (vk == 0 && word.size() == 1 && KeyOfChar(word[0], vk, shift)) return true;
    if (vk != 0) return true;
    ScriptFault("`" + a.action.verb + "`: unknown key \"" + word + "\"");
    return false;
}

// A key that no hook swallowed goes to the focus window: a host dialog, or the open prompt
// (ESC cancels, ENTER answers, characters are typed).
void KeyToFocus(int vk) {
    HWND focus = FocusWindow();
    if (focus != DrawingWindow() && focus != MainWindow() && UiHandleMessage(focus, WM_KEYDOWN, static_cast<WPARAM>(vk), 0)) {
        NoteUiDelivery();
        return;
    }
    if (Modal()) {
        if (vk == VK_ESCAPE) Run().modalAnswer = "esc";
        if (vk == VK_RETURN) Run().modalAnswer = "enter";
        return;
    }
    if (!CurrentPrompt()) return;
    if (vk == VK_ESCAPE) {
        ClearTyped();
        AnswerPrompt(kStatusCancel);
    } else if (vk == VK_RETURN) {
        SubmitTyped();
    } else if (vk == 0x08) {
        EraseTyped();
    } else {
        BYTE state[256];
        GetKeyboardState(state);
        const int c = CharOfKey(vk, state);
        if (c >= 0x20 && c < 0x7F) TypeIntoPrompt(static_cast<char>(c));
    }
}

void Pump() {
    if (!Modal()) PumpMessages();
}

void VerbKey(const ScriptAction& a) {
    int vk;
    bool shift;
    if (!NeedArgs(a, 1, 1) || !KeyArg(a, vk, shift)) return;
    const bool pressShift = shift && !KeyHeld(VK_SHIFT);
    if (pressShift) DeliverKey(VK_SHIFT, true);
    if (DeliverKey(vk, true)) KeyToFocus(vk);
    // Posted messages come before the next input message (the key's release).
    Pump();
    DeliverKey(vk, false);
    Pump();
    if (pressShift) {
        DeliverKey(VK_SHIFT, false);
        Pump();
    }
}

void VerbKeyDown(const ScriptAction& a) {
    int vk;
    bool shift;
    if (NeedArgs(a, 1, 1) && KeyArg(a, vk, shift)) DeliverKey(vk, true);
}

void VerbKeyUp(const ScriptAction& a) {
    int vk;
    bool shift;
    if (NeedArgs(a, 1, 1) && KeyArg(a, vk, shift)) DeliverKey(vk, false);
}

// Mouse buttons: the cursor moves there (a drag call when it moved), the mouse hooks see
// the message, then a left press answers a point or pick prompt and a right press is Enter.
void Button(const ScriptAction& a, bool left) {
    if (!NeedArgs(a, 3, 3)) return;
    const std::string& how = a.action.args[0];
    UINT msg;
    if (how == "down")
        msg = left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN;
    else if (how == "up")
        msg = left ? WM_LBUTTONUP : WM_RBUTTONUP;
    else if (how == "ncdown" && !left)
        msg = WM_NCRBUTTONDOWN;
    else
        return ScriptFault("`" + a.action.verb + "`: \"" + how + "\" is not " + (left ? "down or up" : "down, up or ncdown"));
    double x, y;
    if (!NumberArg(a, 1, x) || !NumberArg(a, 2, y)) return;
    const double* cursor = LiveCursor();
    if (cursor[0] != x || cursor[1] != y) MoveCursor(x, y);
    const POINT pixel = PixelOf(x, y);
    DeliverMouse(msg, pixel.x, pixel.y);
    if (!Modal() && CurrentPrompt()) {
        const int kind = CurrentPrompt()->kind;
        SnapHit hit;
        if (msg == WM_LBUTTONDOWN && (kind == REQ_POINT2 || kind == REQ_POINT3) && SnapNear(x, y, hit))
            AnswerPoint(hit.at.x, hit.at.y, cursor[2], true);
        else if (msg == WM_LBUTTONDOWN && (kind == REQ_POINT2 || kind == REQ_POINT3))
            AnswerPoint(x, y, cursor[2], true);
        else if (msg == WM_LBUTTONDOWN && kind == REQ_PICK)
            AnswerPick(x, y);
        else if (msg == WM_RBUTTONDOWN) {
            ClearTyped();
            AnswerPrompt(2);
        }
    }
    Pump();
}

void VerbLButton(const ScriptAction& a) { Button(a, true); }
void VerbRButton(const ScriptAction& a) { Button(a, false); }

void VerbWait(const ScriptAction& a) {
    long long ms;
    if (!NeedArgs(a, 1, 1) || !WholeArg(a, 0, ms)) return;
    if (ms < 0 || ms > 86400000) return ScriptFault("wait: " + std::to_string(ms) + " ms is out of range");
    AdvanceClock(static_cast<uint32_t>(ms));
}

void VerbClock(const ScriptAction& a) {
    long long ms;
    if (!NeedArgs(a, 1, 1) || !WholeArg(a, 0, ms)) return;
    if (ms < 0 || ms > 60000) return ScriptFault("clock: a step of " + std::to_string(ms) + " ms is out of range");
    SetClockStep(static_cast<uint32_t>(ms));
}

void VerbView(const ScriptAction& a) {
    double w, h, x = 0, y = 0;
    if (!NeedArgs(a, 2, 4) || a.action.args.size() == 3 || !NumberArg(a, 0, w) || !NumberArg(a, 1, h)) return;
    if (a.action.args.size() == 4 && (!NumberArg(a, 2, x) || !NumberArg(a, 3, y))) return;
    if (w <= 0 || h <= 0) return ScriptFault("view: the view size must be positive");
    SetView(w, h);
    SetViewOrigin(x, y);
}

// Answers for modal windows reach them through NextUiAction; here none is open.
void VerbNoWindow(const ScriptAction& a) {
    ScriptFault("`" + a.action.verb + "`: no dialog, message box, file dialog or menu is open");
}

}  // namespace

const std::vector<Verb>& InputVerbs() {
    static const std::vector<Verb> verbs = {
        {"run", VerbRun, true, false},          {"about", VerbAbout, true, false},
        {"point", VerbPoint, true, false},      {"number", VerbNumber, true, false},
        {"text", VerbText, true, false},        {"enter", VerbEnter, true, false},
        {"esc", VerbEsc, true, false},          {"pick", VerbPick, true, false},
        {"select", VerbSelect, true, false},    {"move", VerbMove, true, true},
        {"key", VerbKey, true, true},           {"keydown", VerbKeyDown, true, true},
        {"keyup", VerbKeyUp, true, true},       {"lbutton", VerbLButton, true, true},
        {"rbutton", VerbRButton, true, true},   {"wait", VerbWait, true, true},
        {"view", VerbView, false, true},        {"list", VerbList, false, true},
        {"clock", VerbClock, false, true},        {"dialog", VerbNoWindow, true, false},
        {"answer", VerbNoWindow, true, false},  {"file", VerbNoWindow, true, false},
        {"menu", VerbNoWindow, true, false},    {"snap", VerbSnap, false, true},
        {"input", VerbInput, true, false},
    };
    return verbs;
}

}  // namespace qlhost
