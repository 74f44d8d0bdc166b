// Verbs on the drawing: listing and golden dumps, files (load, save, SVG), a new drawing,
// and adding entities.
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>

#include "host/display/preview.h"
#include "host/geometry/geometry.h"
#include "host/geometry/records.h"
#include "host/io/drawing_io.h"
#include "host/io/safe_file.h"
#include "host/protocol/protocol.h"
#include "host/protocol/undo_steps.h"
#include "host/script/run_state.h"
#include "host/state/events.h"
#include "host/ui/dialog.h"

namespace qlhost {
namespace {

namespace fs = std::filesystem;

// Output files go where the script says; their folder is made when missing.
std::string OutputPath(const std::string& name) {
    const std::string path = ScriptPath(name);
    std::error_code error;
    const fs::path parent = fs::path(path).parent_path();
    if (!parent.empty()) fs::create_directories(parent, error);
    return path;
}

bool ReadText(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

bool WriteText(const std::string& path, const std::string& text) {
    std::string error;
    return WriteFileSafely(path, text, error);
}

std::string LineAt(const std::string& text, size_t index) {
    std::istringstream in(text);
    std::string line;
    for (size_t i = 0; std::getline(in, line); ++i)
        if (i == index) return "\"" + line + "\"";
    return "the end of the listing";
}

// The listing compared with a golden file; a missing golden file is written.
void VerbDump(const ScriptAction& a) {
    if (!NeedArgs(a, 0, 1)) return;
    const std::string listing = DumpList(*TheDrawing().work);
    if (a.action.args.empty()) {
        Transcript(listing.empty() ? "(empty drawing)" : listing.substr(0, listing.size() - 1));
        return;
    }
    const std::string path = ScriptPath(a.action.args[0]);
    std::string golden;
    if (!ReadText(path, golden)) {
        if (!WriteText(OutputPath(a.action.args[0]), listing)) return ScriptFault("dump: cannot write " + path);
        Transcript("dump written: " + a.action.args[0]);
        return;
    }
    if (golden == listing) return;
    if (Run().options.updateGolden) {
        if (!WriteText(path, listing)) return ScriptFault("dump: cannot write " + path);
        Transcript("dump updated: " + a.action.args[0]);
        return;
    }
    size_t line = 0, at = 0;
    while (at < golden.size() && at < listing.size() && golden[at] == listing[at]) {
        if (golden[at] == '\n') ++line;
        ++at;
    }
    Fail("dump " + a.action.args[0] + " line " + std::to_string(line + 1), LineAt(golden, line), LineAt(listing, line));
}

void VerbSave(const ScriptAction& a) {
    if (!NeedArgs(a, 1, 1)) return;
    std::string error;
    if (!SaveDrawingFile(OutputPath(a.action.args[0]), *TheDrawing().work, error)) ScriptFault("save: " + error);
}

void VerbSvg(const ScriptAction& a) {
    if (!NeedArgs(a, 1, 1)) return;
    std::string error;
    if (!WriteSvg(OutputPath(a.action.args[0]), *TheDrawing().work, error)) ScriptFault("svg: " + error);
}

void VerbSvgPreview(const ScriptAction& a) {
    if (!NeedArgs(a, 1, 1)) return;
    std::string error;
    if (!WritePreviewSvg(OutputPath(a.action.args[0]), CurrentFrame(), error)) ScriptFault("svg-preview: " + error);
}

// The owner-drawn items of a list of the open dialog, drawn again now, as one SVG picture.
void VerbSvgList(const ScriptAction& a) {
    if (!NeedArgs(a, 2, 2)) return;
    long long id = 0;
    if (!WholeArg(a, 0, id)) return;
    OpenDialog* dialog = InnermostDialog();
    if (dialog == nullptr) return ScriptFault("svg-list: no dialog is open");
    ControlState* list = FindControl(*dialog, static_cast<int>(id));
    if (list == nullptr || KindOf(*list->tmpl) != Kind::List)
        return ScriptFault("svg-list: " + DialogName(*dialog) + " has no list " + a.action.args[0]);
    if (!list->visible) return ScriptFault("svg-list: list " + a.action.args[0] + " is hidden");
    ClearControlPreviews();
    RequestPaint(*list);
    PaintPending(*dialog);
    std::string error;
    if (!WriteControlPreviewsSvg(OutputPath(a.action.args[1]), error)) ScriptFault("svg-list: " + error);
}

bool Idle(const ScriptAction& a) {
    if (!CommandRunning()) return true;
    ScriptFault("`" + a.action.verb + "` while " + RunningCommand() + " is running");
    return false;
}

void NameDrawing(const std::string& name) {
    Drawing& drawing = TheDrawing();
    drawing.fileName = name;
    drawing.work->name = name;
    std::memset(drawing.work->fileName, 0, sizeof drawing.work->fileName);
    std::memcpy(drawing.work->fileName, name.data(), std::min(name.size(), sizeof drawing.work->fileName - 1));
}

// A load, a new drawing and an added entity are undo steps of their own (an `add` while a
// command runs is part of the command's step).
void VerbLoad(const ScriptAction& a) {
    if (!NeedArgs(a, 1, 1) || !Idle(a)) return;
    std::string error, warning;
    BeginUndoStep("load");
    if (ReplaceDrawing(ScriptPath(a.action.args[0]), TheDrawing(), error, &warning)) {
        NameDrawing(a.action.args[0]);
        Run().names.clear();
    }
    EndUndoStep();
    if (!error.empty()) return ScriptFault("load: " + error);
    // What a DXF file held that the host could not take, in one line.
    if (!warning.empty()) Transcript("load: " + warning);
}

void VerbNew(const ScriptAction& a) {
    if (!NeedArgs(a, 0, 0) || !Idle(a)) return;
    BeginUndoStep("new");
    TheDrawing().Reset();
    ClearSymbolDefinitions();
    Run().names.clear();
    EndUndoStep();
}

// keep NAME: the drawing as saved JSON, kept for `expect kept NAME`.
void VerbKeep(const ScriptAction& a) {
    if (!NeedArgs(a, 1, 1)) return;
    Run().kept[a.action.args[0]] = SavedJson();
}

void VerbUndo(const ScriptAction& a) {
    if (!NeedArgs(a, 0, 0) || !Idle(a)) return;
    UndoLastStep();
}

void VerbRedo(const ScriptAction& a) {
    if (!NeedArgs(a, 0, 0) || !Idle(a)) return;
    RedoLastStep();
}

// refuse lists N [after M]: after M more temporary lists, the next N the plug-in asks for
// are refused.
void VerbRefuse(const ScriptAction& a) {
    const std::vector<std::string>& args = a.action.args;
    long long count = 0, after = 0;
    if (!NeedArgs(a, 2, 4) || args.size() == 3) return;
    if (args[0] != "lists") return ScriptFault("refuse: only \"lists\" can be refused");
    if (!WholeArg(a, 1, count)) return;
    if (args.size() == 4 && (args[2] != "after" || !WholeArg(a, 3, after)))
        return ScriptFault("refuse: expected \"after M\" after the count");
    if (count < 0 || count > 1000 || after < 0 || after > 1000)
        return ScriptFault("refuse: a count of lists is out of range (0 to 1000)");
    TheDrawing().grantedLists = static_cast<uint32_t>(after);
    TheDrawing().refusedLists = static_cast<uint32_t>(count);
}

bool Numbers(const std::vector<std::string>& words, size_t from, std::vector<double>& values) {
    for (size_t i = from; i < words.size(); ++i) {
        double value;
        if (!ParseNumber(words[i], value)) {
            ScriptFault("add: \"" + words[i] + "\" is not a number");
            return false;
        }
        values.push_back(value);
    }
    return true;
}

std::vector<Pt> PointsOf(const std::vector<double>& values) {
    std::vector<Pt> points;
    for (size_t i = 0; i + 1 < values.size(); i += 2) points.push_back({values[i], values[i + 1]});
    return points;
}

double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

// The record `add KIND …` describes, or false with a fault.
bool BuildRecord(const std::string& kind, const std::vector<std::string>& words,
                 const std::map<std::string, std::string>& options, Record& record) {
    std::vector<double> v;
    auto count = [&](size_t least, size_t most, const char* form) {
        if (v.size() >= least && v.size() <= most) return true;
        ScriptFault(std::string("add ") + kind + " takes " + form);
        return false;
    };
    if (kind == "text") {
        if (words.size() != 4 || !Numbers(std::vector<std::string>(words.begin(), words.begin() + 3), 0, v)) {
            ScriptFault("add text takes X Y HEIGHT \"STRING\"");
            return false;
        }
        double angle = 0, just = 0, font = 1;
        auto option = [&](const char* key, double& value) {
            auto it = options.find(key);
            return it == options.end() || ParseNumber(it->second, value);
        };
        if (!option("angle", angle) || !option("just", just) || !option("font", font) || just < 0 || just > 20 ||
            font < 0 || font > 65535) {
            ScriptFault("add text: bad angle=, just= or font=");
            return false;
        }
        record = MakeText(v[0], v[1], v[2], Radians(angle), static_cast<int>(just), static_cast<int>(font), words[3]);
        return true;
    }
    if (!Numbers(words, 0, v)) return false;
    if (kind == "line") {
        if (!count(4, 4, "X1 Y1 X2 Y2")) return false;
        record = MakeLine(v[0], v[1], v[2], v[3]);
    } else if (kind == "path" || kind == "poly") {
        const size_t least = kind == "path" ? 4 : 6;
        if (v.size() % 2 != 0 || !count(least, 2 * 4000, "X Y pairs (at least two for a path, three for a poly)"))
            return false;
        record = MakePath(PointsOf(v), kind == "poly");
    } else if (kind == "box") {
        if (!count(4, 4, "X1 Y1 X2 Y2")) return false;
        record = MakeBox(v[0], v[1], v[2], v[3]);
    } else if (kind == "circle") {
        if (!count(3, 3, "CX CY R")) return false;
        record = MakeCircle(v[0], v[1], v[2]);
    } else if (kind == "arc") {
        if (!count(5, 5, "CX CY R START SWEEP (degrees)")) return false;
        record = MakeArc(v[0], v[1], v[2], Radians(v[3]), Radians(v[4]));
    } else if (kind == "point") {
        if (!count(2, 2, "X Y")) return false;
        record = MakePoint(v[0], v[1]);
    } else if (kind == "group") {
        if (!count(0, 0, "no numbers")) return false;
        record = MakeGroup();
    } else {
        ScriptFault("add: unknown kind \"" + kind + "\" (line, path, poly, box, circle, arc, text, point, group)");
        return false;
    }
    return true;
}

void AddEntity(const ScriptAction& a) {
    if (!NeedArgs(a, 1, SIZE_MAX)) return;
    std::map<std::string, std::string> options;
    std::vector<std::string> words;
    if (!Options(a, 1, {"layer", "id", "in", "angle", "just", "font"}, options, words)) return;
    const std::string& kind = a.action.args[0];
    Record record;
    if (!BuildRecord(kind, words, options, record)) return;
    SetCStuff(record.data());
    if (auto layer = options.find("layer"); layer != options.end()) {
        long long number;
        if (!ParseWhole(layer->second, number) || number < 0 || number > 65535)
            return ScriptFault("add: bad layer=" + layer->second);
        const uint16_t value = static_cast<uint16_t>(number);
        std::memcpy(record.data() + 20, &value, sizeof value);
    }
    HostList* list = TheDrawing().work.get();
    if (auto in = options.find("in"); in != options.end()) {
        uint32_t id;
        if (!EntityIdArg(in->second, id)) return;
        Node* container = TheDrawing().FindById(id);
        if (!container || !HasMemberList(container->type()))
            return ScriptFault("add: in=" + in->second + " is not a group or container");
        list = container->owner->Children(container);
    }
    EntRec* added = list->ops->AddEntity(list, record.data());
    const Node* node = added ? NodeOf(added) : nullptr;
    if (!node) return ScriptFault("add: the drawing refused the " + kind);
    std::string line = "added " + kind + " " + std::to_string(node->id);
    if (auto name = options.find("id"); name != options.end()) {
        Run().names[name->second] = node->id;
        line += " (" + name->second + ")";
    }
    Transcript(line);
}

void VerbAdd(const ScriptAction& a) {
    BeginUndoStep("add");
    AddEntity(a);
    EndUndoStep();
}

}  // namespace

const std::vector<Verb>& DrawingVerbs() {
    static const std::vector<Verb> verbs = {
        {"dump", VerbDump, false, true}, {"save", VerbSave, false, true},
        {"svg", VerbSvg, false, true},   {"svg-preview", VerbSvgPreview, false, true},
        {"svg-list", VerbSvgList, false, true},
        {"load", VerbLoad, false, false}, {"new", VerbNew, false, false},
        {"add", VerbAdd, false, false},  {"refuse", VerbRefuse, false, false},
        {"undo", VerbUndo, true, false}, {"redo", VerbRedo, true, false},
        {"keep", VerbKeep, false, true},
    };
    return verbs;
}

}  // namespace qlhost
