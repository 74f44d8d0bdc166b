// The state the page shows, read from the host on its own thread: prompt, command, typed
// input, open dialogs described from their templates, message boxes, file dialogs and menus
// followed through the transcript, the drag's preview frame and the drawing as SVG.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/serve/live_session.h"

namespace qlhost::serve {

// Follows the transcript lines of the host's modal windows other than dialogs (message
// boxes, file dialogs, pop-up menus): which are open, innermost last.
class ModalTracker {
public:
    void Feed(const std::string& line);
    nlohmann::json Open() const;

private:
    struct Window {
        std::string kind;  // "message", "file", "menu"
        std::string caption;
        std::vector<std::string> lines;
    };
    std::vector<Window> open_;
};

// Makes the snapshots of a session: new transcript lines go to the session.
class SnapshotMaker {
public:
    explicit SnapshotMaker(LiveSession*& session) : session_(session) {}
    void operator()(Snapshot& into, bool drawingChanged);

private:
    LiveSession*& session_;
    size_t transcriptSeen_ = 0;
    size_t problemsSeen_ = 0;
    std::vector<std::string> problems_;
    size_t problemsTotal_ = 0;
    ModalTracker modal_;
};

// An open dialog as JSON: caption, size, and every control with its kind, place (dialog
// units), text, state and list items; owner-drawn previews as one SVG in pixels.
nlohmann::json DescribeDialogs();

}  // namespace qlhost::serve
