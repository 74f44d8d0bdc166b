// What qlhost --serve accepts from the browser: file names confined to the root folder, size
// limits, and the scenario lines that user actions become. Nothing here touches host state,
// so every request can be checked before it reaches the host's thread.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "host/script/parser.h"

namespace qlhost::serve {

// Limits of one request.
constexpr size_t kMaxBody = 64 * 1024;              // JSON requests
constexpr size_t kMaxUpload = 16 * 1024 * 1024;     // drawing files sent up
constexpr size_t kMaxLine = 4096;                   // one scenario line
constexpr size_t kMaxLinesPerRequest = 256;

// The root folder as an absolute canonical path; false with a message when it is no folder.
bool CanonicalRoot(const std::string& folder, std::string& root, std::string& error);

// Resolves a file name given by the browser (relative to root, or absolute) to an absolute
// path inside root, as ConfineToRoot (host/platform/file_root.h) does for the plug-in's names:
// false with a message when it leaves root, is hidden, is empty or holds a NUL. Symbolic
// links are followed before the comparison.
bool ConfinePath(const std::string& root, const std::string& name, std::string& path, std::string& error);

// Reads one scenario line from the browser: it must split cleanly, name a verb the browser
// may use, and keep every file it names inside root. False with a message otherwise.
bool ParseBrowserLine(const std::string& root, const std::string& line, ScriptAction& action, std::string& error);

// Whether the browser may send lines of this verb.
bool IsBrowserVerb(const std::string& verb);

// The names nearest to a typed word (fewest edits; a name holding the word counts its extra
// letters), at most count, nearest first. Case does not matter.
std::vector<std::string> NearestNames(const std::string& typed, const std::vector<std::string>& names, size_t count);
// "Unknown command: FOO (nearest: A, B, C)" for a word that names no command.
std::string UnknownCommandMessage(const std::string& typed, const std::vector<std::string>& names);

// A text as one quoted word of a scenario line (escapes for quotes, backslashes, line ends).
std::string Quote(const std::string& text);

// What the host is waiting for when the user types a line into the command line.
struct PromptState {
    bool commandRunning = false;
    bool promptOpen = false;
    int kind = -1;  // REQ_* kind of the open prompt
};

// Turns a typed command line into scenario lines: a command name while idle runs it; at a
// prompt, a text, number or "x,y[,z]" answers it and an empty line is Enter; any other line
// is taken as a scenario line. isCommand tells command names (the plug-in's and the host's).
bool CommandLineToLines(const std::string& text, const PromptState& state,
                        const std::function<bool(const std::string&)>& isCommand, std::vector<std::string>& lines,
                        std::string& error);

}  // namespace qlhost::serve
