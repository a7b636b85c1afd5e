// A crash of a program that held keys leaves no memory dump, nor do the programs it starts
// afterwards; secrets' pages stay out of the swap file while anyone holds them.
#include <gtest/gtest.h>

#include "tests/platform/test_helper_program.h"

#include <cstdint>
#include <vector>

#include "platform/crash_dumps.h"
#include "platform/memory_lock.h"
#include "platform/memory_pages.h"
#include "platform/process.h"

namespace {

using namespace std::chrono_literals;

TEST(CrashDumps, OffForThisProcessAndTheChildrenItStartsAfterwards)
{
    ASSERT_TRUE(platform::disable_crash_dumps());
    EXPECT_TRUE(platform::crash_dumps_disabled());
    EXPECT_NE(platform::memory_private(), std::optional<bool>(false)) << "other processes may read this one";
    auto child = platform::ChildProcess::start(test_helper_program(), {"dumps"}, {});
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->read_line(10s), "off");
    EXPECT_EQ(child->wait(10s), 0);
}

TEST(LockedMemory, APageStaysLockedUntilItsLastHolderLetsGo)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers make mlock and munlock do nothing";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
    GTEST_SKIP() << "the sanitizers make mlock and munlock do nothing";
#endif
#endif
    const auto before = platform::locked_memory_bytes();
    if (!before) GTEST_SKIP() << "the system does not tell how much memory is locked";
    // Both ranges below lie well inside one page, wherever the allocator put the buffer.
    const size_t page = platform::pages::page_size();
    std::vector<char> buffer(3 * page);
    const auto start = reinterpret_cast<uintptr_t>(buffer.data());
    const char* middle = buffer.data() + (page - start % page) + page / 4;
    if (!platform::lock_memory(middle, 100)) GTEST_SKIP() << "the system allows no locked memory here";
    const auto one = platform::locked_memory_bytes();
    EXPECT_GT(one, before);
    EXPECT_TRUE(platform::lock_memory(middle + 50, 100));  // the same page
    platform::unlock_memory(middle, 100);
    EXPECT_EQ(platform::locked_memory_bytes(), one) << "the other holder's page was unlocked";
    platform::unlock_memory(middle + 50, 100);
    EXPECT_EQ(platform::locked_memory_bytes(), before);
    EXPECT_TRUE(platform::lock_memory(nullptr, 0));
}

} // namespace
