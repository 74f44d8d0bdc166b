// Checks of browser requests: files confined to the root folder, verbs, typed command lines.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "core/host_api.h"
#include "host/serve/requests.h"
#include "tests/support/temp_path.h"

namespace {

namespace fs = std::filesystem;
using namespace qlhost::serve;

class ServeRoot : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path base = ql_test::TempPath("serve-root");
        fs::create_directories(base / "root" / "plans");
        fs::create_directories(base / "rootless");
        std::string error;
        ASSERT_TRUE(CanonicalRoot((base / "root").string(), root_, error)) << error;
        outside_ = fs::canonical(base / "rootless").string();
    }
    bool Confined(const std::string& name) {
        std::string path, error;
        return ConfinePath(root_, name, path, error);
    }
    std::string root_, outside_;
};

TEST_F(ServeRoot, NamesInsideTheRootResolveBelowIt) {
    std::string path, error;
    ASSERT_TRUE(ConfinePath(root_, "plans/a.json", path, error)) << error;
    EXPECT_EQ(path, root_ + "/plans/a.json");
    EXPECT_TRUE(Confined("."));
    EXPECT_TRUE(Confined("plans/../b.dxf"));
    EXPECT_TRUE(Confined(root_ + "/plans/new/c.json"));
    EXPECT_TRUE(Confined("plans\\d.json"));
}

TEST_F(ServeRoot, NamesLeavingTheRootAreRefused) {
    EXPECT_FALSE(Confined("../x.json"));
    EXPECT_FALSE(Confined("plans/../../x.json"));
    EXPECT_FALSE(Confined("..\\x.json"));
    EXPECT_FALSE(Confined("/etc/passwd"));
    EXPECT_FALSE(Confined(outside_ + "/x.json"));
    // A sibling folder whose name starts with the root's name is still outside.
    EXPECT_FALSE(Confined(root_ + "less/x.json"));
    EXPECT_FALSE(Confined(""));
    EXPECT_FALSE(Confined(std::string("a\0b", 3)));
}

TEST_F(ServeRoot, LinksOutOfTheRootAreRefused) {
    std::error_code ec;
    fs::create_directory_symlink(outside_, fs::path(root_) / "escape", ec);
    ASSERT_FALSE(ec) << ec.message();
    EXPECT_FALSE(Confined("escape/x.json"));
}

TEST_F(ServeRoot, BrowserLinesNeedAKnownVerbAndConfinedFiles) {
    qlhost::ScriptAction action;
    std::string error;
    ASSERT_TRUE(ParseBrowserLine(root_, "lbutton down 10 5", action, error)) << error;
    EXPECT_EQ(action.action.verb, "lbutton");
    EXPECT_EQ(action.action.args.size(), 3u);
    EXPECT_TRUE(ParseBrowserLine(root_, "dialog set 1000 \"two words\"", action, error));
    EXPECT_EQ(action.action.args[2], "two words");
    EXPECT_TRUE(ParseBrowserLine(root_, "file cancel", action, error));
    EXPECT_TRUE(ParseBrowserLine(root_, "save plans/out.dxf", action, error));

    EXPECT_FALSE(ParseBrowserLine(root_, "expect idle", action, error));
    EXPECT_FALSE(ParseBrowserLine(root_, "dump golden.dump", action, error));
    EXPECT_FALSE(ParseBrowserLine(root_, "", action, error));
    EXPECT_FALSE(ParseBrowserLine(root_, "text \"open", action, error));
    EXPECT_FALSE(ParseBrowserLine(root_, "point 1 2\nexpect idle", action, error));
    EXPECT_FALSE(ParseBrowserLine(root_, "load ../secret.json", action, error));
    EXPECT_NE(error.find("outside the root"), std::string::npos);
    EXPECT_FALSE(ParseBrowserLine(root_, "file \"/etc/passwd\"", action, error));
    EXPECT_FALSE(ParseBrowserLine(root_, "svg", action, error));
    std::string longLine = "text \"";
    longLine.append(kMaxLine, 'x');
    longLine += '"';
    EXPECT_FALSE(ParseBrowserLine(root_, longLine, action, error));
}

TEST(ServeCommandLine, TypedLinesBecomeAnswersOfTheOpenPrompt) {
    auto isCommand = [](const std::string& name) { return name == "QLMOVE" || name == "qlmove"; };
    std::vector<std::string> lines;
    std::string error;
    auto typed = [&](const std::string& text, PromptState state) {
        lines.clear();
        EXPECT_TRUE(CommandLineToLines(text, state, isCommand, lines, error)) << error;
        if (lines.size() == 1) return lines[0];
        char count[32];
        std::snprintf(count, sizeof count, "<%zu lines>", lines.size());
        return std::string(count);
    };
    const PromptState idle{};
    EXPECT_EQ(typed("qlmove", idle), "run qlmove");
    EXPECT_EQ(typed("add box 0 0 10 10", idle), "add box 0 0 10 10");
    EXPECT_EQ(typed("   ", idle), "<0 lines>");

    const PromptState point{true, true, REQ_POINT2};
    EXPECT_EQ(typed("10, 5", point), "point 10 5");
    EXPECT_EQ(typed("1,2,3", point), "point 1 2 3");
    EXPECT_EQ(typed("2.5", point), "number 2.5");
    EXPECT_EQ(typed("", point), "enter");
    EXPECT_EQ(typed("esc", point), "esc");
    EXPECT_EQ(typed("1,x", point), "1,x");
    EXPECT_EQ(typed("@3,-4", point), "input \"@3,-4\"");
    EXPECT_EQ(typed(" @5<90", point), "input \"@5<90\"");

    const PromptState text{true, true, REQ_TEXT};
    EXPECT_EQ(typed("say \"hi\" \\ now", text), "text \"say \\\"hi\\\" \\\\ now\"");
    EXPECT_EQ(typed("", text), "enter");

    const PromptState selection{true, true, REQ_SELECTION};
    EXPECT_EQ(typed("select all", selection), "select all");
    EXPECT_EQ(typed("3", selection), "3");
    EXPECT_EQ(typed("", selection), "select done");

    lines.clear();
    EXPECT_FALSE(CommandLineToLines("QLMOVE", PromptState{true, false, -1}, isCommand, lines, error));
}

}  // namespace
