// Bounded copies, extension cutting and layer name limits of the macro commands.
#include "macro/macro_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Cut(std::string name) {
    char buffer[64] = {};
    CopyBounded(buffer, sizeof buffer, name.c_str(), name.size() + 1);
    CutExtension(buffer);
    return buffer;
}

}  // namespace

TEST(MacroText, CutExtensionAtTheLastDot) {
    EXPECT_EQ(Cut("plan.cv7"), "plan");
    EXPECT_EQ(Cut("my.plan.cv7"), "my.plan");
    EXPECT_EQ(Cut("error.cv7"), "error");
    EXPECT_EQ(Cut("noext"), "noext");
    EXPECT_EQ(Cut(".hidden"), ".hidden");
    EXPECT_EQ(Cut("a.b"), "a");
    EXPECT_EQ(Cut("x."), "x");
    EXPECT_EQ(Cut("."), ".");
    EXPECT_EQ(Cut("a"), "a");
    EXPECT_EQ(Cut(""), "");
}

TEST(MacroText, CopyBoundedCutsToTheDestination) {
    char small[5];
    CopyBounded(small, sizeof small, "abcdefgh", 100);
    EXPECT_STREQ(small, "abcd");
    // An unterminated source is read only up to its limit.
    const char unterminated[3] = {'x', 'y', 'z'};
    char out[16];
    CopyBounded(out, sizeof out, unterminated, sizeof unterminated);
    EXPECT_STREQ(out, "xyz");
}

TEST(MacroText, LayerNameLimitFollowsTheEntryLength) {
    EXPECT_EQ(LayerNameLimit(40, 256), 28u);
    EXPECT_EQ(LayerNameLimit(1000, 256), 256u);
    EXPECT_EQ(LayerNameLimit(0, 256), 256u);
}
