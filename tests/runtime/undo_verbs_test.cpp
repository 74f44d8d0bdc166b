// The checks that compare saved drawings: `expect same-file` on files the script saved,
// `expect kept` on a drawing kept in memory; each passes on equal bytes and fails, naming the
// line, on a difference.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "host/script/runner.h"
#include "tests/support/temp_path.h"

namespace {

struct Case {
    const char* name;
    const char* body;
    const char* failure;  // the problem the script must have, or empty when it passes
};

const Case kCases[] = {
    {"same-after-undo",
     "add line 0 0 5 0\nsave out/a.json\nkeep a\nrun LINE\npoint 0 0\npoint 9 9\nenter\nsave out/b.json\nundo\n"
     "save out/c.json\nexpect same-file out/a.json out/c.json\nexpect kept a\nredo\nsave out/d.json\n"
     "expect same-file out/b.json out/d.json\n",
     ""},
    {"differs", "save out/a.json\nadd point 1 1\nsave out/b.json\nexpect same-file out/a.json out/b.json\n",
     "expect same-file line 13 failed: expected \"  \\\"entities\\\": []\""},
    {"kept-differs", "keep empty\nadd point 1 1\nexpect kept empty\n", "expect kept empty line 13 failed"},
    {"nothing-kept", "expect kept nothing\n", "fault: expect kept: nothing is kept as \"nothing\""},
    {"missing-file", "expect same-file out/none.json out/none.json\n", "fault: expect same-file: cannot read"},
    {"undo-while-running", "run LINE\nundo\nesc\n", "fault: `undo` while LINE is running"},
};

class SavedDrawingChecks : public ::testing::TestWithParam<Case> {};

TEST_P(SavedDrawingChecks, PassOnTheSameBytesOnly) {
    const Case& c = GetParam();
    const std::string path = ql_test::TempPath(std::string("undo-verbs-") + c.name + ".qls");
    std::ofstream(path) << "# plugin: qltestplugin\n"
                        << (*c.failure ? std::string("# expect-fail: ") + c.failure + "\n" : std::string())
                        << c.body;
    qlhost::RunOptions options;
    options.quiet = true;
    EXPECT_EQ(qlhost::RunScripts({path}, options), 0);
}

INSTANTIATE_TEST_SUITE_P(Scripts, SavedDrawingChecks, ::testing::ValuesIn(kCases),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (ch == '-') ch = '_';
                             return name;
                         });

}  // namespace
