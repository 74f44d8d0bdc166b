// The reference host as one object. Its state is held in one store (host/state/parts.h), a
// part per room, which each room reaches for its own part; the host is the one place that
// knows all of them and puts them back to what a script starts from. The scenario runner
// resets it before every script, and every GoogleTest test starts from a reset host
// (tests/support/fresh_host_test.cpp).
#pragma once

namespace qlhost {

class Host {
public:
    // Everything a script starts from: no command running, no prompt, no queued commands or
    // posted messages; the cursor and view of a fresh host; no held keys, hooks, macro
    // variables or symbol definitions; the clock, the matrix stack and the drawing back to
    // their start; an empty preview frame, no control previews or highlights, the screen
    // counters at zero and the focus on the drawing window. What the process was started
    // with stays: the loaded plug-in and its command table, the file root, the user and host
    // data folders, the registry file, the event port in use.
    void Reset();

    // The host of this process.
    static Host& Current();
};

}  // namespace qlhost
