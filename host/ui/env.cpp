// The ui room's environment: the runtime's functions unless a test replaced them.
#include "host/ui/env.h"

namespace qlhost {
namespace {

UiEnvironment RuntimeEnvironment() {
    UiEnvironment env;
    env.next = [](UiAction& a, const std::string& what) { return NextUiAction(a, what); };
    env.peek = [](UiAction& a) { return PeekUiAction(a); };
    env.fault = [](const std::string& m) { ScriptFault(m); };
    env.transcript = [](const std::string& l) { Transcript(l); };
    return env;
}

UiEnvironment& Current() {
    static UiEnvironment env = RuntimeEnvironment();
    return env;
}

}  // namespace

const UiEnvironment& UiEnv() { return Current(); }

void SetUiEnvironment(const UiEnvironment& env) {
    UiEnvironment merged = RuntimeEnvironment();
    if (env.next) merged.next = env.next;
    if (env.peek) merged.peek = env.peek;
    if (env.fault) merged.fault = env.fault;
    if (env.transcript) merged.transcript = env.transcript;
    Current() = merged;
}

void ResetUiEnvironment() { Current() = RuntimeEnvironment(); }

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace qlhost
