// How the ui room reaches the rest of the host: script actions, faults and the transcript.
// The defaults call the runtime room; unit tests install their own to feed actions and watch
// what is reported. (Keys and mouse buttons of the script reach the plug-in's hooks through
// the runtime, which runs those actions itself while a modal window waits.)
#pragma once

#include <functional>
#include <string>

#include "host/script/actions.h"

namespace qlhost {

struct UiEnvironment {
    std::function<bool(UiAction&, const std::string&)> next;  // NextUiAction
    std::function<bool(UiAction&)> peek;                      // PeekUiAction
    std::function<void(const std::string&)> fault;            // ScriptFault
    std::function<void(const std::string&)> transcript;       // Transcript
};

// The environment in use.
const UiEnvironment& UiEnv();
// Replaces the environment (tests); members left empty keep the runtime's functions.
void SetUiEnvironment(const UiEnvironment& env);
// Back to the runtime's functions.
void ResetUiEnvironment();

// Shorthands for the members of UiEnv().
inline void UiFault(const std::string& message) { UiEnv().fault(message); }
inline void UiTranscript(const std::string& line) { UiEnv().transcript(line); }

// A text in double quotes for transcript lines and messages.
std::string Quoted(const std::string& text);

}  // namespace qlhost
