// The scenario runner: runs scripts against the loaded plug-in, answering its prompts and
// modal windows from the script, and reports faults and failed expectations.
#pragma once

#include <string>
#include <vector>

namespace qlhost {

struct RunOptions {
    bool quiet = false;          // -q: no transcript
    bool validate = true;        // validate the drawing after every command
    bool updateGolden = false;   // rewrite differing golden dump files
    std::string plugin;          // default plug-in library
    std::string expectFail;      // --expect-fail TEXT: every script must fail with it
};

// Runs the scripts in order; the exit status of qlhost (0 when every script passed).
int RunScripts(const std::vector<std::string>& paths, const RunOptions& options);

}  // namespace qlhost
