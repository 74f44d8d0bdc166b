// The event port in use, and the one that serves when none is installed: faults go to the
// error stream, transcript lines to the output, and modal windows get no answers.
#include "host/events/events.h"

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

StreamPort g_streams;
EventPort* g_port = nullptr;

}  // namespace

EventPort& Events() { return g_port ? *g_port : g_streams; }

EventPort* SetEventPort(EventPort* port) {
    EventPort* previous = g_port;
    g_port = port;
    return previous;
}

}  // namespace qlhost
