// A test that runs plug-in commands through the host's prompt protocol: it installs its own
// command table, starts from an empty session and drawing with no keys held and the cursor
// and view of a fresh host, and puts the host back the same way afterwards, with the previous
// command table.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "host/drawing/drawing.h"
#include "host/platform/hooks.h"
#include "host/protocol/protocol.h"
#include "host/runtime/host.h"

class HostCommandTest : public ::testing::Test {
protected:
    void UseCommands(qlhost::CommandTable table) {
        saved_ = qlhost::Commands();
        installed_ = true;
        qlhost::SetCommandTable(std::move(table));
        ResetHost();
    }
    void TearDown() override {
        qlhost::AbandonCommand();
        ResetHost();
        if (installed_) qlhost::SetCommandTable(saved_);
    }

private:
    // The whole host goes back to its start (the cursor, the pick position and the view,
    // which sets the pick tolerance, included), so no test sees another's state.
    static void ResetHost() { qlhost::Host::Current().Reset(); }
    qlhost::CommandTable saved_;
    bool installed_ = false;
};

// What the host receives with a prompt; kDrag stands for a drag procedure as the cursor.
struct PromptArgs {
    int kind;
    std::string text;
    int cursor;
    uint32_t flags;
    int extra;
};
constexpr int kDrag = -1;

// Checks the open prompt against want: text, kind, cursor or drag procedure, flags, extra.
inline void ExpectPrompt(const PromptArgs& want) {
    const qlhost::PromptInfo* open = qlhost::CurrentPrompt();
    ASSERT_NE(open, nullptr) << want.text;
    EXPECT_EQ(open->text, want.text);
    EXPECT_EQ(open->kind, want.kind) << want.text;
    EXPECT_EQ(open->drag, want.cursor == kDrag) << want.text;
    if (want.cursor != kDrag) {
        EXPECT_EQ(open->cursor, static_cast<uintptr_t>(want.cursor)) << want.text;
    }
    EXPECT_EQ(open->flags, want.flags) << want.text;
    EXPECT_EQ(open->extra, want.extra) << want.text;
}
