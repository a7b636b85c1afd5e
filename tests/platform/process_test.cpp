#include "platform/process.h"

#include <chrono>

#include <gtest/gtest.h>

#include "tests/platform/test_helper_program.h"

namespace {

using namespace std::chrono_literals;

std::unique_ptr<platform::ChildProcess> helper(const std::vector<std::string>& args)
{
    return platform::ChildProcess::start(test_helper_program(), args);
}

TEST(ChildProcessTest, ReadsLinesInOrderThenEndOfOutputAndExitCode)
{
    auto child = helper({"echo", "7", "first line", "", "third with \"quotes\" and \\"});
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->read_line(10s), "first line");
    EXPECT_EQ(child->read_line(10s), "");
    EXPECT_EQ(child->read_line(10s), "third with \"quotes\" and \\");
    EXPECT_EQ(child->read_line(10s), std::nullopt);
    EXPECT_EQ(child->wait(10s), 7);
    EXPECT_FALSE(child->running());
    EXPECT_EQ(child->stop(), 7);  // already gone: reports the code it left with
    // The last line without a line end.
    auto partial = helper({"partial"});
    ASSERT_NE(partial, nullptr);
    EXPECT_EQ(partial->read_line(10s), "no line end");
    EXPECT_EQ(partial->read_line(10s), std::nullopt);
}

// A silent child times out and, ignoring the polite request, is killed after the grace period;
// an obliging one ends politely, and the destructor ends a running child without hanging.
TEST(ChildProcessTest, StoppingStubbornAndObligingChildren)
{
    auto stubborn = helper({"stubborn"});
    ASSERT_NE(stubborn, nullptr);
    ASSERT_EQ(stubborn->read_line(10s), "ready");
    EXPECT_EQ(stubborn->read_line(50ms), std::nullopt);
    EXPECT_EQ(stubborn->wait(50ms), std::nullopt);
    EXPECT_EQ(stubborn->stop(200ms), -1);
    EXPECT_FALSE(stubborn->running());

    auto idle = helper({"idle"});
    ASSERT_NE(idle, nullptr);
    ASSERT_EQ(idle->read_line(10s), "ready");
    idle->stop(10s);
    EXPECT_FALSE(idle->running());
    EXPECT_EQ(idle->read_line(1s), std::nullopt);  // its output has closed
    auto other = helper({"idle"});
    ASSERT_NE(other, nullptr);
    ASSERT_EQ(other->read_line(10s), "ready");
    other.reset();
}

// A program that is not there does not start, attached or detached; this program knows its path.
TEST(ProcessTest, MissingProgramsDoNotStartAndThisProgramKnowsItsPath)
{
    EXPECT_EQ(platform::ChildProcess::start("/nonexistent/agoran-program", {}), nullptr);
    EXPECT_EQ(platform::ChildProcess::start("agoran-surely-not-on-the-path", {}), nullptr);
    EXPECT_FALSE(platform::start_detached("/nonexistent/agoran-program", {}, {}));
    EXPECT_TRUE(platform::start_detached(test_helper_program(), {"echo", "0"}, {}));
    auto path = platform::executable_path();
    EXPECT_TRUE(path.is_absolute());
    EXPECT_EQ(path.stem(), "platform_tests");
}

} // namespace
