// The event port in use, and the one that serves when none is installed: faults go to the
// error stream, transcript lines to the output, and modal windows get no answers.
#include "host/state/events.h"
#include "host/state/parts.h"

#include <iostream>

namespace qlhost {
namespace {

class StreamPort final : public EventPort {
public:
    bool Next(UiAction&, const std::string&) override { return false; }
    bool Peek(UiAction&) override { return false; }
    void Fault(const std::string& message) override { std::cerr << "qlhost: fault: " << message << "\n"; }
    void Transcript(const std::string& line) override { std::cout << line << "\n"; }
};

// This room's part of the host's state (host/state/parts.h).
struct EventState {
    StreamPort streams;
    EventPort* port = nullptr;
};
EventState& Ports() { return Part<EventState>(); }

}  // namespace

EventPort& Events() { return Ports().port ? *Ports().port : Ports().streams; }

EventPort* SetEventPort(EventPort* port) {
    EventPort* previous = Ports().port;
    Ports().port = port;
    return previous;
}

}  // namespace qlhost
