// Snapshots of the host for the page, made on the host's thread.
#include "host/serve/snapshot.h"

#include "host/commands/commands.h"
#include "host/display/preview.h"
#include "host/drawing/drawing.h"
#include "host/io/drawing_io.h"
#include "host/protocol/protocol.h"
#include "host/script/run_state.h"
#include "host/ui/dialog.h"

namespace qlhost::serve {
namespace {

using nlohmann::json;

// Problems shown to the user: the last few faults and failed checks.
constexpr size_t kProblemsKept = 20;

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
    for (const std::string& line : lines) {
        modal_.Feed(line);
        // A file name the root refused is no fault of the action, but the user is told why.
        if (StartsWith(line, "file refused: ")) problems_.push_back(line);
    }
    if (session_) session_->AddTranscript(lines);
    for (; problemsSeen_ < run.problems.size(); ++problemsSeen_) problems_.push_back(run.problems[problemsSeen_]);
    if (problems_.size() > kProblemsKept) problems_.erase(problems_.begin(), problems_.end() - kProblemsKept);

    json state;
    state["command"] = CommandRunning() ? RunningCommand() : std::string();
    json prompt = nullptr;
    if (const PromptInfo* p = CurrentPrompt())
        prompt = {{"kind", p->kind}, {"text", p->text}, {"drag", p->drag}, {"flags", p->flags}};
    state["prompt"] = prompt;
    state["typed"] = TypedInput();
    state["dialogs"] = DescribeDialogs();
    // Owner-drawn previews are kept by the io room until a script ends; a session runs as one
    // script, so those of dialogs that have closed go once no dialog is open.
    if (DialogStack().empty()) ClearControlPreviews();
    into.controlPreviews = DialogStack().empty() ? std::string() : ControlPreviewsToSvg();
    state["modal"] = modal_.Open();
    state["problems"] = problems_;
    state["problemCount"] = run.problems.size();
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
        into.drawingSvg = DrawingToSvg(*TheDrawing().work, options);
        into.drawingJson = DrawingToJson(*TheDrawing().work);
    }
}

}  // namespace qlhost::serve
