// The reference host as one object: the one place that knows the state of every room and
// puts all of it back to what a script starts from. The scenario runner resets it before
// every script, and every GoogleTest test starts from a reset host
// (tests/support/fresh_host_test.cpp). The state itself stays in each room's own file.
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
