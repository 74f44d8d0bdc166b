// Every test starts from a fresh host, whatever ran before it and in whichever order
// (--gtest_shuffle): a listener resets the host before each test's own set-up.
#include <gtest/gtest.h>

#include "host/runtime/host.h"

namespace {

class FreshHost final : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { qlhost::Host::Current().Reset(); }
};

const bool kInstalled = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshHost);
    return true;
}();

}  // namespace
