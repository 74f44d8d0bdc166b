// The action queue of qlhost --serve and the snapshots the host publishes.
#include "host/serve/live_session.h"

#include <algorithm>

namespace qlhost::serve {
namespace {

constexpr auto kStopCheck = std::chrono::milliseconds(200);

}  // namespace

LiveSession::LiveSession(SnapshotMaker maker) : maker_(std::move(maker)), latest_(std::make_shared<Snapshot>()) {}

uint64_t LiveSession::Post(std::vector<ScriptAction> actions, const std::vector<std::string>& lines) {
    std::lock_guard lock(mutex_);
    if (closed_) return 0;
    for (size_t i = 0; i < actions.size(); ++i) {
        Entry entry{std::move(actions[i]), i < lines.size() ? lines[i] : std::string(), false, {}};
        entry.action.action.file = "browser";
        entry.action.action.line = static_cast<int>(entries_.size() + 1);
        entries_.push_back(std::move(entry));
    }
    changed_.notify_all();
    return entries_.size();
}

bool LiveSession::WaitHandled(uint64_t number, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return closed_ || latest_->handled >= number; }) &&
           latest_->handled >= number;
}

std::shared_ptr<const Snapshot> LiveSession::Latest() const {
    std::lock_guard lock(mutex_);
    return latest_;
}

std::shared_ptr<const Snapshot> LiveSession::WaitNewer(uint64_t version, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    const uint64_t poll = ++pollCount_;
    polls_.push_back(poll);
    if (polls_.size() > kMaxPolls) {
        polls_.pop_front();
        changed_.notify_all();
    }
    auto waiting = [&] { return std::find(polls_.begin(), polls_.end(), poll); };
    changed_.wait_for(lock, timeout, [&] { return closed_ || latest_->version > version || waiting() == polls_.end(); });
    if (auto it = waiting(); it != polls_.end()) polls_.erase(it);
    return latest_;
}

std::string LiveSession::Script() const {
    std::lock_guard lock(mutex_);
    std::string out = "# A session of qlhost --serve.\n";
    for (size_t i = 0; i < taken_; ++i) {
        const Entry& e = entries_[i];
        out += e.faulted ? "# fault: " + e.line + "\n" : e.line + "\n";
    }
    return out;
}

std::vector<std::string> LiveSession::TranscriptFrom(size_t first, size_t limit, size_t& total) const {
    std::lock_guard lock(mutex_);
    total = transcript_.size();
    if (first >= transcript_.size()) return {};
    const size_t end = first + std::min(limit, transcript_.size() - first);
    return {transcript_.begin() + static_cast<long>(first), transcript_.begin() + static_cast<long>(end)};
}

void LiveSession::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_all();
}

bool LiveSession::Closed() const {
    std::lock_guard lock(mutex_);
    return closed_;
}

// Called on the host's thread with the mutex held.
void LiveSession::NoteFault(size_t problems) {
    if (taken_ > 0 && problems > problemsAtTake_) {
        Entry& entry = entries_[taken_ - 1];
        if (!entry.faulted && problemsAtTake_ < Run().problems.size()) entry.fault = Run().problems[problemsAtTake_];
        entry.faulted = true;
    }
    problemsAtTake_ = problems;
}

std::vector<std::string> LiveSession::Faults(uint64_t first, uint64_t last) const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> faults;
    for (uint64_t n = std::max<uint64_t>(first, 1); n <= last && n <= taken_; ++n)
        faults.push_back(entries_[n - 1].faulted ? entries_[n - 1].fault : std::string());
    return faults;
}

// The fault count tells which action faulted: problems since the last take belong to the
// action taken last.
void LiveSession::Take() {
    const size_t problems = Run().problems.size();
    std::lock_guard lock(mutex_);
    NoteFault(problems);
    if (taken_ < entries_.size()) {
        if (entries_[taken_].action.action.verb != "move") drawingChanged_ = true;
        ++taken_;
    }
}

EventPort& LiveSession::Port(EventPort& script) {
    script_ = &script;
    return *this;
}

// A fault belongs to the action taken last (failed expectations are found by the problem
// count when the next action is taken or a snapshot made).
void LiveSession::Fault(const std::string& message) {
    script_->Fault(message);
    std::lock_guard lock(mutex_);
    if (taken_ == 0) return;
    Entry& entry = entries_[taken_ - 1];
    // The first problem the action caused is what the page is told.
    if (!entry.faulted && !Run().problems.empty()) entry.fault = Run().problems.back();
    entry.faulted = true;
}

const ScriptAction* LiveSession::Peek() {
    // A closed session ends at once, actions still queued or not.
    {
        std::lock_guard lock(mutex_);
        if (closed_) return nullptr;
        if (taken_ < entries_.size()) return &entries_[taken_].action;
    }
    Publish();
    std::unique_lock lock(mutex_);
    while (taken_ >= entries_.size() && !closed_) changed_.wait_for(lock, kStopCheck);
    if (closed_) return nullptr;
    return &entries_[taken_].action;
}

void LiveSession::AddTranscript(const std::vector<std::string>& lines) {
    std::lock_guard lock(mutex_);
    transcript_.insert(transcript_.end(), lines.begin(), lines.end());
}

void LiveSession::Publish() {
    bool drawingChanged;
    size_t handled;
    std::shared_ptr<const Snapshot> previous;
    {
        std::lock_guard lock(mutex_);
        NoteFault(Run().problems.size());
        drawingChanged = drawingChanged_;
        drawingChanged_ = false;
        handled = taken_;
        previous = latest_;
    }
    auto next = std::make_shared<Snapshot>();
    maker_(*next, drawingChanged);
    std::lock_guard lock(mutex_);
    if (drawingChanged) {
        next->drawingVersion = ++drawingVersion_;
    } else {
        next->drawingVersion = previous->drawingVersion;
        next->drawingSvg = previous->drawingSvg;
        next->drawingJson = previous->drawingJson;
        next->panelsJson = previous->panelsJson;
    }
    next->previewsVersion = previous->previewsVersion + (next->controlPreviews != previous->controlPreviews);
    next->version = previous->version + 1;
    next->handled = handled;
    latest_ = std::move(next);
    changed_.notify_all();
}

}  // namespace qlhost::serve
