// A test that runs plug-in commands through the host's prompt protocol: it installs its own
// command table, starts from an empty session and drawing with no keys held, and puts the
// host back the same way afterwards, with the previous command table.
#pragma once

#include <gtest/gtest.h>

#include <utility>

#include "host/drawing/drawing.h"
#include "host/platform/hooks.h"
#include "host/protocol/protocol.h"

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
    static void ResetHost() {
        qlhost::ResetSession();
        qlhost::ReleaseAllKeys();
        qlhost::TheDrawing().Reset();
    }
    qlhost::CommandTable saved_;
    bool installed_ = false;
};
