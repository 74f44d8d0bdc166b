// The scenario language's reader: one action per line, `#` comments, quoted strings with
// \" \\ \n escapes, and the header comments of a script.
#pragma once

#include <string>
#include <vector>

#include "host/state/events.h"

namespace qlhost {

struct ScriptAction {
    UiAction action;
    std::vector<bool> quoted;  // per argument: begins with a quote (a string, never an option)
};

struct Script {
    std::string file;
    std::string folder;               // relative file names in the script are read from here
    std::vector<ScriptAction> actions;
    int lineCount = 0;
    bool expectFail = false;          // header "# expect-fail: TEXT"
    std::string expectFailText;
    std::string plugin;               // header "# plugin: NAME"
    bool pending = false;             // header "# pending: REASON"
    std::string pendingReason;
};

// Reads a script text; false with "FILE:LINE: message" on the first malformed line.
bool ParseScript(const std::string& text, const std::string& file, Script& script, std::string& error);
// Reads a script file.
bool LoadScript(const std::string& path, Script& script, std::string& error);

// Splits one line into words (quoted[i]: word i begins with a quote); false with a message when a quote is not closed or an escape
// is unknown.
bool SplitLine(const std::string& line, std::vector<std::string>& words, std::vector<bool>& quoted,
               std::string& error);

// Numbers of the language, read with std::from_chars: the whole word must be the number.
bool ParseNumber(const std::string& word, double& value);
bool ParseWhole(const std::string& word, long long& value);

}  // namespace qlhost
