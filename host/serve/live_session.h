// The action queue between the browser and the host's thread. Request threads post scenario
// lines; the host's thread takes them as live actions of the running script, and whenever it
// waits for input it publishes a snapshot of what the user sees. Everything done is kept as
// a scenario script that replays the session.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/script/run_state.h"

namespace qlhost::serve {

// What the page shows, made on the host's thread.
struct Snapshot {
    uint64_t version = 0;       // grows with every snapshot
    uint64_t handled = 0;       // actions handled when it was made
    std::string stateJson;      // prompt, dialogs, modal windows, preview (see docs/serve.md)
    uint64_t drawingVersion = 0;
    std::string drawingSvg;
    std::string drawingJson;    // the working list in the JSON drawing format
    std::string panelsJson;     // {"layers": [...], "selection": {...}} of the panels, with the drawing
    uint64_t previewsVersion = 0;
    std::string controlPreviews;  // owner-drawn previews of the open dialogs, as SVG
    bool commandRunning = false;
    int promptKind = -1;        // REQ_* kind of the open prompt, -1 for none
    bool modalOpen = false;     // a dialog, message box, file dialog or menu waits
    std::vector<std::string> commands;  // the plug-in's and the host's command names
};

// The session is also the host's event port while it runs: it passes everything to the
// runner's port and keeps the transcript lines and which action faulted for the page.
class LiveSession final : public LiveActions, public EventPort {
public:
    // Makes a snapshot on the host's thread: drawingChanged says whether an action other than
    // a cursor move ran since the last one; the maker fills everything but the versions.
    using SnapshotMaker = std::function<void(Snapshot& into, bool drawingChanged)>;
    explicit LiveSession(SnapshotMaker maker);

    // Request threads. Queues checked actions with their lines; the number of the last one,
    // or 0 once the session has closed.
    uint64_t Post(std::vector<ScriptAction> actions, const std::vector<std::string>& lines);
    // Waits until the host has handled every action up to number and waits for input again;
    // false on timeout or when the session closed first.
    bool WaitHandled(uint64_t number, std::chrono::milliseconds timeout);
    // The latest snapshot (never null); WaitNewer waits for one newer than version. Each
    // waiting poll holds a connection: past kMaxPolls at once, the oldest is answered now.
    static constexpr size_t kMaxPolls = 8;
    std::shared_ptr<const Snapshot> Latest() const;
    std::shared_ptr<const Snapshot> WaitNewer(uint64_t version, std::chrono::milliseconds timeout) const;
    // The session as a scenario script; actions that faulted are kept as comments.
    std::string Script() const;
    // The faults of actions first to last (numbers as Post returns them), empty texts for
    // those that ran cleanly; known once WaitHandled(last) has returned true.
    std::vector<std::string> Faults(uint64_t first, uint64_t last) const;
    // Transcript lines from index first on (at most limit), and the total count.
    std::vector<std::string> TranscriptFrom(size_t first, size_t limit, size_t& total) const;
    // Ends the session: the host's thread sees no more actions, not even queued ones.
    void Close();
    bool Closed() const;

    // The host's thread (LiveActions).
    const ScriptAction* Peek() override;
    void Take() override;
    EventPort& Port(EventPort& script) override;
    // The host's thread (EventPort).
    bool Next(UiAction& action, const std::string& what) override { return script_->Next(action, what); }
    bool Peek(UiAction& action) override { return script_->Peek(action); }
    void Fault(const std::string& message) override;
    void Transcript(const std::string& line) override { script_->Transcript(line); }
    // Appends transcript lines (the maker does, from the runner's transcript).
    void AddTranscript(const std::vector<std::string>& lines);
    // Publishes a snapshot now (also done whenever Peek waits).
    void Publish();

private:
    struct Entry {
        ScriptAction action;
        std::string line;
        bool faulted = false;
        std::string fault;  // the first problem the action caused
    };
    // Marks the action taken last as faulted when problems were added since it was taken.
    void NoteFault(size_t problems);
    SnapshotMaker maker_;
    EventPort* script_ = nullptr;  // the runner's port, while the session runs
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::deque<Entry> entries_;  // every action ever posted; taken ones are [0, taken_)
    size_t taken_ = 0;
    size_t problemsAtTake_ = 0;
    bool closed_ = false;
    bool drawingChanged_ = true;
    uint64_t drawingVersion_ = 0;
    std::shared_ptr<const Snapshot> latest_;
    mutable std::deque<uint64_t> polls_;  // the polls waiting, oldest first
    mutable uint64_t pollCount_ = 0;
    std::vector<std::string> transcript_;
};

}  // namespace qlhost::serve
