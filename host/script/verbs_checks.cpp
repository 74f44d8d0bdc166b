// Verbs that check: `expect …` in its forms; and `registry`, which sets up the stored values
// a script starts from.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

#include "host/display/preview.h"
#include "host/platform/registry.h"
#include "host/platform/system.h"
#include "host/protocol/protocol.h"
#include "host/protocol/undo_steps.h"
#include "host/script/entity_fields.h"
#include "host/script/run_state.h"
#include "host/state/events.h"
#include "host/ui/ui.h"

namespace qlhost {
namespace {

constexpr double kDefaultTolerance = 1e-6;

std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '"' || c == '\\')
            out += std::string("\\") + c;
        else
            out += c;
    }
    return out + "\"";
}

// The rest of the words after the form, as one action for the helpers.
ScriptAction Rest(const ScriptAction& a) {
    ScriptAction rest = a;
    rest.action.verb = "expect " + a.action.args[0];
    rest.action.args.erase(rest.action.args.begin());
    rest.quoted.erase(rest.quoted.begin());
    return rest;
}

void ExpectPrompt(const ScriptAction& a) {
    if (!NeedArgs(a, 1, 1)) return;
    const PromptInfo* prompt = CurrentPrompt();
    const std::string found = prompt ? Quote(prompt->text) : "no prompt";
    if (!prompt || prompt->text != a.action.args[0]) Fail(a.action.verb, Quote(a.action.args[0]), found);
}

void ExpectMessage(const ScriptAction& a) {
    std::map<std::string, std::string> options;
    std::vector<std::string> positional;
    if (!Options(a, 0, {"caption"}, options, positional)) return;
    if (positional.size() != 1) return ScriptFault("expect message takes the text, and caption= if wanted");
    const RunState& run = Run();
    if (!run.hadMessage || run.messageText != positional[0])
        Fail(a.action.verb, Quote(positional[0]), run.hadMessage ? Quote(run.messageText) : "no message box");
    auto caption = options.find("caption");
    if (run.hadMessage && caption != options.end() && caption->second != run.messageCaption)
        Fail(a.action.verb + " caption", Quote(caption->second), Quote(run.messageCaption));
}

void ExpectIdle(const ScriptAction& a) {
    if (!NeedArgs(a, 0, 0)) return;
    if (CommandRunning()) Fail(a.action.verb, "no command running", RunningCommand() + " running");
}

std::string NormalHex(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == ',' || c == ' ' || c == ':') continue;
        out += static_cast<char>(c >= 'A' && c <= 'F' ? c + 32 : c);
    }
    return out;
}

void ExpectRegistry(const ScriptAction& a) {
    if (!NeedArgs(a, 3, 3)) return;
    std::vector<unsigned char> data;
    const bool present = RegistryLookup(a.action.args[0], a.action.args[1], data);
    std::string found = "none";
    if (present) {
        static const char digits[] = "0123456789abcdef";
        found.clear();
        for (unsigned char byte : data) {
            found += digits[byte >> 4];
            found += digits[byte & 15];
        }
    }
    const std::string expected = NormalHex(a.action.args[2]);
    if (expected != found) Fail(a.action.verb + " " + a.action.args[1], expected, found);
}

bool ParseHex(const std::string& text, std::vector<unsigned char>& data) {
    const std::string hex = NormalHex(text);
    if (hex.size() % 2 != 0) return false;
    data.clear();
    for (size_t i = 0; i < hex.size(); i += 2) {
        unsigned value = 0;
        for (size_t j = i; j < i + 2; ++j) {
            const char c = hex[j];
            if (c >= '0' && c <= '9')
                value = value * 16 + static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                value = value * 16 + static_cast<unsigned>(c - 'a' + 10);
            else
                return false;
        }
        data.push_back(static_cast<unsigned char>(value));
    }
    return true;
}

// registry set KEY VALUE HEX: a binary value; registry delete KEY [VALUE]: a value, or the
// key with every key below it. Keys are under HKEY_CURRENT_USER, as `expect registry` reads.
void VerbRegistry(const ScriptAction& a) {
    if (!NeedArgs(a, 2, 4)) return;
    const std::string& form = a.action.args[0];
    const std::string path = RegistryStore::Join("HKEY_CURRENT_USER", a.action.args[1]);
    if (path.find('\\') == std::string::npos) return ScriptFault("registry: a key under HKEY_CURRENT_USER is needed");
    RegistryStore& store = HostRegistry();
    if (form == "set") {
        if (a.action.args.size() != 4) return ScriptFault("registry set takes KEY VALUE HEX");
        std::vector<unsigned char> data;
        if (!ParseHex(a.action.args[3], data)) return ScriptFault("registry set: bad hex bytes " + a.action.args[3]);
        store.Create(path).Set(a.action.args[2], REG_BINARY, std::move(data));
    } else if (form == "delete") {
        if (a.action.args.size() > 3) return ScriptFault("registry delete takes KEY [VALUE]");
        if (a.action.args.size() == 2) {
            store.RemoveTree(path);
        } else if (RegKey* key = store.Find(path)) {
            key->Remove(a.action.args[2]);
        }
    } else {
        return ScriptFault("registry: unknown form \"" + form + "\" (set or delete)");
    }
    SaveHostRegistry();
}

void ExpectVar(const ScriptAction& a) {
    if (!NeedArgs(a, 2, 2)) return;
    std::string value;
    const bool set = MacroVar(a.action.args[0], value);
    if (!set || value != a.action.args[1])
        Fail(a.action.verb + " " + a.action.args[0], Quote(a.action.args[1]), set ? Quote(value) : "not set");
}

HostList* ListArg(const std::map<std::string, std::string>& options) {
    auto in = options.find("in");
    if (in == options.end()) return TheDrawing().work.get();
    uint32_t id;
    if (!EntityIdArg(in->second, id)) return nullptr;
    Node* node = TheDrawing().FindById(id);
    if (!node || !node->children) {
        ScriptFault("in=" + in->second + ": no entity with members");
        return nullptr;
    }
    return node->children;
}

int LayerOf(const Node& node) {
    uint16_t layer;
    std::memcpy(&layer, node.record() + 20, sizeof layer);
    return layer;
}

void ExpectCount(const ScriptAction& a) {
    std::map<std::string, std::string> options;
    std::vector<std::string> positional;
    if (!Options(a, 0, {"type", "layer", "in"}, options, positional)) return;
    if (positional.size() != 1) return ScriptFault("expect count takes one count");
    long long expected, type = -1, layer = -1;
    if (!ParseWhole(positional[0], expected)) return ScriptFault("expect count: \"" + positional[0] + "\" is not a count");
    if (options.count("type") && !ParseWhole(options["type"], type)) return ScriptFault("expect count: bad type=");
    if (options.count("layer") && !ParseWhole(options["layer"], layer)) return ScriptFault("expect count: bad layer=");
    HostList* list = ListArg(options);
    if (!list) return;
    long long count = 0;
    for (const Node* node = list->head; node; node = node->next)
        if (!node->deleted() && (type < 0 || node->type() == type) && (layer < 0 || LayerOf(*node) == layer)) ++count;
    if (count != expected) Fail(a.action.verb, std::to_string(expected), std::to_string(count));
}

bool SameValue(const std::string& expected, const std::string& found, double tolerance) {
    double e, f;
    if (ParseNumber(expected, e) && ParseNumber(found, f)) return std::fabs(e - f) <= tolerance;
    return expected == found;
}

void ExpectEntity(const ScriptAction& a) {
    if (!NeedArgs(a, 1, SIZE_MAX)) return;
    uint32_t id;
    if (!EntityIdArg(a.action.args[0], id)) return;
    const Node* node = TheDrawing().FindById(id);
    if (!node) return Fail(a.action.verb + " " + a.action.args[0], "an entity", "none");
    std::map<std::string, std::string> fields = DecodeDumpFields(DumpEntity(*node));
    fields["layer"] = std::to_string(LayerOf(*node));
    fields["selected"] = node->selected() ? "1" : "0";
    fields["deleted"] = node->deleted() ? "1" : "0";
    double tolerance = kDefaultTolerance;
    std::vector<std::pair<std::string, std::string>> checks;
    for (size_t i = 1; i < a.action.args.size(); ++i) {
        const std::string& word = a.action.args[i];
        const size_t eq = word.find('=');
        if (eq == std::string::npos || eq == 0) return ScriptFault("expect entity: \"" + word + "\" is not field=value");
        const std::string key = word.substr(0, eq), value = word.substr(eq + 1);
        if (key == "tol") {
            if (!ParseNumber(value, tolerance) || tolerance < 0) return ScriptFault("expect entity: bad tol=");
            continue;
        }
        checks.emplace_back(key, value);
    }
    for (const auto& [key, expected] : checks) {
        std::string want = expected;
        if (key == "type") {
            long long number;
            if (want != fields["type"] && !(ParseWhole(want, number) && number == node->type()))
                Fail(a.action.verb + " " + a.action.args[0] + " type", expected,
                     fields["type"] + " (" + std::to_string(node->type()) + ")");
            continue;
        }
        if (key == "selected" || key == "deleted") want = (want == "yes" || want == "true" || want == "1") ? "1" : "0";
        auto it = fields.find(key);
        if (it == fields.end()) {
            Fail(a.action.verb + " " + a.action.args[0] + " " + key, Quote(expected), "no such field in " + DumpEntity(*node));
        } else if (!SameValue(want, it->second, tolerance)) {
            Fail(a.action.verb + " " + a.action.args[0] + " " + key, Quote(expected), Quote(it->second));
        }
    }
}

// The selection as the user sees it: selected entities of the working list itself.
size_t SelectedIn(const HostList& list) {
    size_t n = 0;
    for (const Node* node = list.head; node; node = node->next)
        if (!node->deleted() && node->selected()) ++n;
    return n;
}

void ExpectSelected(const ScriptAction& a) {
    long long expected;
    if (!NeedArgs(a, 1, 1) || !WholeArg(a, 0, expected)) return;
    const size_t count = TheDrawing().work ? SelectedIn(*TheDrawing().work) : 0;
    if (static_cast<long long>(count) != expected) Fail(a.action.verb, std::to_string(expected), std::to_string(count));
}

void ExpectPreview(const ScriptAction& a) {
    std::map<std::string, std::string> options;
    std::vector<std::string> positional;
    if (!Options(a, 0, {"lines", "polylines", "circles", "texts", "entities", "cursor", "text"}, options, positional)) return;
    if (!positional.empty()) return ScriptFault("expect preview takes only key=value words");
    const PreviewFrame& frame = CurrentFrame();
    std::map<std::string, long long> counts;
    for (const PreviewPrim& prim : frame.prims) {
        switch (prim.kind) {
            case PreviewPrim::Line: ++counts["lines"]; break;
            case PreviewPrim::Polyline: ++counts["polylines"]; break;
            case PreviewPrim::Circle: ++counts["circles"]; break;
            case PreviewPrim::Text: ++counts["texts"]; break;
            case PreviewPrim::Entity: ++counts["entities"]; break;
        }
    }
    counts["cursor"] = frame.cursorCalls;
    for (const auto& [key, value] : options) {
        if (key == "text") {
            bool seen = false;
            std::string texts;
            for (const PreviewPrim& prim : frame.prims) {
                if (prim.kind != PreviewPrim::Text) continue;
                seen = seen || prim.text == value;
                texts += (texts.empty() ? "" : ", ") + Quote(prim.text);
            }
            if (!seen) Fail("expect preview text", Quote(value), texts.empty() ? "no text" : texts);
            continue;
        }
        long long expected;
        if (!ParseWhole(value, expected)) return ScriptFault("expect preview: bad " + key + "=");
        if (counts[key] != expected)
            Fail("expect preview " + key, std::to_string(expected), std::to_string(counts[key]));
    }
}

void ExpectTranscript(const ScriptAction& a) {
    if (!NeedArgs(a, 1, 1)) return;
    RunState& run = Run();
    for (size_t i = run.transcriptChecked; i < run.transcript.size(); ++i) {
        if (run.transcript[i] == a.action.args[0]) {
            run.transcriptChecked = i + 1;
            return;
        }
    }
    const std::string last = run.transcript.size() > run.transcriptChecked ? Quote(run.transcript.back()) : "nothing new";
    Fail(a.action.verb, "a line " + Quote(a.action.args[0]), "none since the last check (last line " + last + ")");
}

// expect undo N ["NAME"] / expect redo N ["NAME"]: the steps there are to take back (or do
// again), and the name of the next one.
void ExpectSteps(const ScriptAction& a, bool undo) {
    long long expected;
    if (!NeedArgs(a, 1, 2) || !WholeArg(a, 0, expected)) return;
    const UndoHistory& history = TheUndoHistory();
    const size_t count = undo ? history.UndoCount() : history.RedoCount();
    if (static_cast<long long>(count) != expected)
        Fail(a.action.verb, std::to_string(expected) + " step(s)", std::to_string(count));
    if (a.action.args.size() < 2) return;
    const std::string name = undo ? history.NextUndoName() : history.NextRedoName();
    if (name != a.action.args[1]) Fail(a.action.verb, "the step " + Quote(a.action.args[1]), name.empty() ? "none" : Quote(name));
}

void ExpectUndo(const ScriptAction& a) { ExpectSteps(a, true); }
void ExpectRedo(const ScriptAction& a) { ExpectSteps(a, false); }

bool ReadFileBytes(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    bytes = buffer.str();
    return true;
}

// Two texts that should be the same bytes; a difference names the first line that differs.
void SameBytes(const std::string& what, const std::string& expected, const std::string& found) {
    if (expected == found) return;
    const size_t common = std::min(expected.size(), found.size());
    size_t at = 0;
    while (at < common && expected[at] == found[at]) ++at;
    const size_t from = at == 0 ? 0 : expected.rfind('\n', at - 1) + 1;  // npos + 1 is 0
    const size_t line = static_cast<size_t>(std::count(expected.begin(), expected.begin() + static_cast<std::ptrdiff_t>(from), '\n')) + 1;
    auto lineOf = [&](const std::string& text) {
        if (from >= text.size()) return std::string("the end");
        const size_t end = text.find('\n', from);
        return Quote(text.substr(from, end == std::string::npos ? std::string::npos : end - from));
    };
    Fail(what + " line " + std::to_string(line), lineOf(expected), lineOf(found));
}

// expect same-file A B: the two files hold the same bytes.
void ExpectSameFile(const ScriptAction& a) {
    if (!NeedArgs(a, 2, 2)) return;
    std::string first, second;
    for (size_t i = 0; i < 2; ++i)
        if (!ReadFileBytes(ScriptPath(a.action.args[i]), i == 0 ? first : second))
            return ScriptFault(a.action.verb + ": cannot read " + a.action.args[i]);
    SameBytes(a.action.verb, first, second);
}

// expect kept NAME: the drawing saved as JSON now is, byte for byte, what `keep NAME` kept.
void ExpectKept(const ScriptAction& a) {
    if (!NeedArgs(a, 1, 1)) return;
    const auto it = Run().kept.find(a.action.args[0]);
    if (it == Run().kept.end()) return ScriptFault(a.action.verb + ": nothing is kept as " + Quote(a.action.args[0]));
    SameBytes(a.action.verb + " " + a.action.args[0], it->second, SavedJson());
}

struct Form {
    const char* name;
    void (*check)(const ScriptAction&);
};

const Form kForms[] = {
    {"prompt", ExpectPrompt},     {"message", ExpectMessage}, {"idle", ExpectIdle},
    {"registry", ExpectRegistry}, {"var", ExpectVar},         {"count", ExpectCount},
    {"entity", ExpectEntity},     {"selected", ExpectSelected}, {"preview", ExpectPreview},
    {"transcript", ExpectTranscript}, {"undo", ExpectUndo}, {"redo", ExpectRedo},
    {"same-file", ExpectSameFile}, {"kept", ExpectKept},
};

void VerbExpect(const ScriptAction& a) {
    if (!NeedArgs(a, 1, SIZE_MAX)) return;
    for (const Form& form : kForms)
        if (a.action.args[0] == form.name) return form.check(Rest(a));
    ScriptFault("expect: unknown check \"" + a.action.args[0] + "\"");
}

}  // namespace

const std::vector<Verb>& CheckVerbs() {
    static const std::vector<Verb> verbs = {{"expect", VerbExpect, false, true},
                                            {"registry", VerbRegistry, false, false}};
    return verbs;
}

}  // namespace qlhost
