// A recording event port for the ui room's tests: actions fed in order, faults and the
// transcript collected.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "host/state/events.h"

namespace qlhost::testing {

class UiScript final : public EventPort {
public:
    UiScript() : previous_(SetEventPort(this)) {}
    ~UiScript() override { SetEventPort(previous_); }
    UiScript(const UiScript&) = delete;
    UiScript& operator=(const UiScript&) = delete;

    bool Next(UiAction& a, const std::string&) override {
        if (actions.empty()) return false;
        a = actions.front();
        actions.pop_front();
        if (a.verb == "run") {
            // A step of the script that is not an answer: the test's own code runs, then
            // the window looks at itself again.
            steps.front()();
            steps.pop_front();
            a.verb.clear();
        }
        return true;
    }
    bool Peek(UiAction& a) override {
        if (actions.empty()) return false;
        a = actions.front();
        return true;
    }
    void Fault(const std::string& m) override { faults.push_back(m); }
    void Transcript(const std::string& l) override { transcript.push_back(l); }

    UiScript& Add(const std::string& verb, std::vector<std::string> args = {}) {
        actions.push_back(UiAction{verb, std::move(args), "test.qls", static_cast<int>(actions.size()) + 1});
        return *this;
    }
    UiScript& Dialog(std::vector<std::string> args) { return Add("dialog", std::move(args)); }
    // Runs code between two answers, as the runtime runs `key` or `rbutton` actions.
    UiScript& Run(std::function<void()> step) {
        steps.push_back(std::move(step));
        return Add("run");
    }
    bool Transcribed(const std::string& line) const {
        for (const std::string& l : transcript)
            if (l == line) return true;
        return false;
    }

    std::deque<UiAction> actions;
    std::deque<std::function<void()>> steps;
    std::vector<std::string> faults;
    std::vector<std::string> transcript;

private:
    EventPort* previous_;
};

}  // namespace qlhost::testing
