// Snapshots of the host for the page, made on the host's thread.
#include "host/serve/snapshot.h"

#include "host/commands/commands.h"
#include "host/display/preview.h"
#include "host/drawing/drawing.h"
#include "host/io/drawing_io.h"
#include "host/protocol/interact.h"
#include "host/protocol/protocol.h"
#include "host/serve/drawing_info.h"
#include "host/script/run_state.h"
#include "host/ui/dialog.h"

namespace qlhost::serve {
namespace {

using nlohmann::json;

// Problems shown to the user: the last few faults and failed checks.
constexpr size_t kProblemsKept = 20;
// Selected entities the properties panel is given in full.
constexpr size_t kSelectionDescribed = 20;

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// The text between the first and the last quote of a transcript line.
std::string QuotedPart(const std::string& line) {
    const size_t first = line.find('"'), last = line.rfind('"');
    return first == std::string::npos || last <= first ? std::string() : line.substr(first + 1, last - first - 1);
}

const char* KindName(Kind kind) {
    switch (kind) {
    case Kind::Push: return "push";
    case Kind::Check: return "check";
    case Kind::Radio: return "radio";
    case Kind::Group: return "group";
    case Kind::OwnerButton: return "ownerbutton";
    case Kind::Edit: return "edit";
    case Kind::Static: return "static";
    case Kind::List: return "list";
    case Kind::Combo: return "combo";
    case Kind::Other: break;
    }
    return "other";
}

json DescribeDialog(const OpenDialog& d) {
    json dialog{{"name", d.def ? d.def->name : std::string()}};
    if (d.tmpl) {
        dialog["caption"] = d.tmpl->caption;
        dialog["width"] = d.tmpl->width;
        dialog["height"] = d.tmpl->height;
        // The page measures labels in the template's font to size the dialog.
        dialog["fontFace"] = d.tmpl->fontFace;
        dialog["fontSize"] = d.tmpl->fontSize;
    }
    json controls = json::array();
    for (const ControlState& c : d.controls) {
        if (!c.tmpl) continue;
        json items = json::array();
        for (const ListItem& item : c.items) items.push_back(item.text);
        controls.push_back({{"id", c.tmpl->id},
                            {"kind", KindName(KindOf(*c.tmpl))},
                            {"keyword", c.tmpl->keyword},
                            {"className", c.tmpl->className},
                            {"style", c.tmpl->style},
                            {"x", c.tmpl->x},
                            {"y", c.tmpl->y},
                            {"width", c.tmpl->width},
                            {"height", c.tmpl->height},
                            {"text", c.text},
                            {"enabled", c.enabled},
                            {"visible", c.visible},
                            {"checked", c.checked},
                            {"items", std::move(items)},
                            {"selection", c.selection},
                            {"top", c.top},
                            {"ownerDrawn", c.binding && c.binding->draw != nullptr}});
    }
    dialog["controls"] = std::move(controls);
    return dialog;
}

}  // namespace

void ModalTracker::Feed(const std::string& line) {
    auto closeTop = [&](const char* kind) {
        if (!open_.empty() && open_.back().kind == kind) open_.pop_back();
    };
    if (StartsWith(line, "message \"")) {
        open_.push_back({"message", QuotedPart(line), {}});
    } else if (StartsWith(line, "message closed with")) {
        closeTop("message");
    } else if (StartsWith(line, "file dialog \"")) {
        open_.push_back({"file", QuotedPart(line), {}});
    } else if (StartsWith(line, "file dialog chose") || line == "file dialog cancelled") {
        closeTop("file");
    } else if (line == "popup menu") {
        open_.push_back({"menu", "", {}});
    } else if (StartsWith(line, "popup menu chose") || line == "popup menu closed without a choice") {
        closeTop("menu");
    } else if (StartsWith(line, "|") && !open_.empty() && open_.back().kind != "file") {
        open_.back().lines.push_back(line.size() > 2 ? line.substr(2) : std::string());
    }
}

json ModalTracker::Open() const {
    json out = json::array();
    for (const Window& w : open_) out.push_back({{"kind", w.kind}, {"caption", w.caption}, {"lines", w.lines}});
    return out;
}

json DescribeDialogs() {
    json dialogs = json::array();
    for (const OpenDialog* d : DialogStack())
        if (d && !d->closed) dialogs.push_back(DescribeDialog(*d));
    return dialogs;
}

void SnapshotMaker::operator()(Snapshot& into, bool drawingChanged) {
    RunState& run = Run();
    if (transcriptSeen_ > run.transcript.size()) transcriptSeen_ = 0;
    std::vector<std::string> lines(run.transcript.begin() + static_cast<long>(transcriptSeen_), run.transcript.end());
    transcriptSeen_ = run.transcript.size();
    const size_t problemsBefore = problems_.size();
    for (const std::string& line : lines) {
        modal_.Feed(line);
        // A file name the root refused is no fault of the action, but the user is told why.
        if (StartsWith(line, "file refused: ")) problems_.push_back(line);
    }
    if (session_) session_->AddTranscript(lines);
    for (; problemsSeen_ < run.problems.size(); ++problemsSeen_) problems_.push_back(run.problems[problemsSeen_]);
    problemsTotal_ += problems_.size() - problemsBefore;
    if (problems_.size() > kProblemsKept) problems_.erase(problems_.begin(), problems_.end() - kProblemsKept);

    json state;
    state["command"] = CommandRunning() ? RunningCommand() : std::string();
    json prompt = nullptr;
    if (const PromptInfo* p = CurrentPrompt())
        prompt = {{"kind", p->kind}, {"text", p->text}, {"drag", p->drag}, {"flags", p->flags},
                  {"cursor", p->drag ? 0 : p->cursor}};
    state["prompt"] = prompt;
    // What the page draws over the view: the rubber origin, the points given in the command,
    // the snap at the cursor, the snap modes and the size of the selection.
    Pt origin;
    state["rubber"] = RubberOrigin(origin) ? json{origin.x, origin.y} : json(nullptr);
    json given = json::array();
    for (Pt q : CommandPoints()) given.push_back({q.x, q.y});
    state["given"] = std::move(given);
    json snapModes = json::array();
    for (unsigned bit = 1; bit <= kSnapNearest; bit <<= 1)
        if (SnapModes() & bit) snapModes.push_back(SnapModeName(bit));
    state["snaps"] = std::move(snapModes);
    SnapHit hit;
    const double* at = LiveCursor();
    // Drag procedures snap (ProcCsrSnap) and draw for themselves; the marker is for the
    // other point prompts, whose clicks the host snaps.
    const PromptInfo* open = CurrentPrompt();
    const bool pointPrompt = open && !open->drag && (open->kind == REQ_POINT2 || open->kind == REQ_POINT3);
    state["snap"] = pointPrompt && SnapNear(at[0], at[1], hit)
                        ? json{{"x", hit.at.x}, {"y", hit.at.y}, {"mode", SnapModeName(hit.mode)}}
                        : json(nullptr);
    state["selected"] = SelectedCount();
    state["typed"] = TypedInput();
    state["dialogs"] = DescribeDialogs();
    // Owner-drawn previews are kept by the io room until a script ends; a session runs as one
    // script, so those of dialogs that have closed go once no dialog is open.
    if (DialogStack().empty()) ClearControlPreviews();
    into.controlPreviews = DialogStack().empty() ? std::string() : ControlPreviewsToSvg();
    state["modal"] = modal_.Open();
    state["problems"] = problems_;
    state["problemCount"] = run.problems.size();
    // Every problem shown so far, counted: the page dismisses them by number.
    state["problemsTotal"] = problemsTotal_;
    state["file"] = TheDrawing().fileName;
    const bool dragging = CurrentPrompt() && CurrentPrompt()->drag;
    state["preview"] = dragging && !CurrentFrame().prims.empty() ? PreviewToSvg(CurrentFrame()) : std::string();
    const double* cursor = LiveCursor();
    state["cursor"] = {cursor[0], cursor[1]};
    state["view"] = {ViewWidth(), ViewHeight()};
    into.commandRunning = CommandRunning();
    into.promptKind = CurrentPrompt() ? CurrentPrompt()->kind : -1;
    into.modalOpen = !state["dialogs"].empty() || !state["modal"].empty();
    into.commands = Commands().names;
    for (const std::string& name : HostCommandNames()) into.commands.push_back(name);
    into.stateJson = state.dump(-1, ' ', false, json::error_handler_t::replace);
    if (drawingChanged && TheDrawing().work) {
        SvgOptions options;
        options.highlightSelected = true;
        // EMark's highlight belongs to the command that marked; once it ends only the
        // selection shows in the selection colour.
        options.highlightMarked = CommandRunning();
        into.drawingSvg = DrawingToSvg(*TheDrawing().work, options);
        into.drawingJson = DrawingToJson(*TheDrawing().work);
        // The panels: the layer table and the selection change only with actions other than
        // moves, as the drawing does, and travel with it.
        const json panels{{"layers", LayersJson(TheDrawing())},
                          {"selection", SelectionJson(TheDrawing(), kSelectionDescribed)}};
        into.panelsJson = panels.dump(-1, ' ', false, json::error_handler_t::replace);
    }
}

}  // namespace qlhost::serve
