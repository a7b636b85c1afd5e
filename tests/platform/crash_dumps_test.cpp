// A crash of a program that held keys leaves no memory dump: the process turns dumps off, and
// the programs it starts afterwards (Pursa, the simulator) inherit that.
#include <gtest/gtest.h>

#include "platform/crash_dumps.h"
#include "platform/process.h"

namespace {

using namespace std::chrono_literals;

TEST(CrashDumps, OffForThisProcessAndTheChildrenItStartsAfterwards)
{
    ASSERT_TRUE(platform::disable_crash_dumps());
    EXPECT_TRUE(platform::crash_dumps_disabled());
    EXPECT_TRUE(platform::disable_crash_dumps()) << "a second call changes nothing";
    EXPECT_TRUE(platform::crash_dumps_disabled());
    auto child = platform::ChildProcess::start(PLATFORM_TEST_HELPER, {"dumps"}, {});
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->read_line(10s), "off");
    EXPECT_EQ(child->wait(10s), 0);
}

} // namespace
