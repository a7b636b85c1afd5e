#include "platform/file_lock.h"

#include <chrono>
#include <future>

#include <gtest/gtest.h>

#include "platform/process.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using FileLockTest = testsupport::TempDirTest;

// Starts the helper holding the lock on path; null (with a test failure) when it could not.
std::unique_ptr<platform::ChildProcess> start_holder(const fs::path& path)
{
    auto child = platform::ChildProcess::start(PLATFORM_TEST_HELPER, {"lock", path.string()});
    if (!child) {
        ADD_FAILURE() << "cannot start " << PLATFORM_TEST_HELPER;
        return nullptr;
    }
    auto line = child->read_line(10s);
    if (line != "locked") {
        ADD_FAILURE() << "helper did not take the lock: " << line.value_or("<no output>");
        return nullptr;
    }
    return child;
}

TEST_F(FileLockTest, LockHeldByAnotherProcessBlocksUntilReleased)
{
    fs::path path = m_temp / "wallets.lock";
    auto holder = start_holder(path);
    ASSERT_TRUE(holder);

    EXPECT_EQ(platform::FileLock::try_acquire(path), nullptr);
    EXPECT_TRUE(platform::file_is_locked(path));

    // A waiting acquire is granted once the holder goes away.
    auto waiter = std::async(std::launch::async, [&] { return platform::FileLock::acquire(path); });
    EXPECT_EQ(waiter.wait_for(200ms), std::future_status::timeout);
    holder->stop();
    ASSERT_EQ(waiter.wait_for(10s), std::future_status::ready);
    auto granted = waiter.get();
    EXPECT_NE(granted, nullptr);
}

TEST_F(FileLockTest, LockIsFreeAfterHolderEnds)
{
    fs::path path = m_temp / "wallets.lock";
    auto holder = start_holder(path);
    ASSERT_TRUE(holder);
    holder->stop();
    EXPECT_FALSE(platform::file_is_locked(path));
    EXPECT_NE(platform::FileLock::try_acquire(path), nullptr);
}

TEST_F(FileLockTest, ChildIsBlockedWhileThisProcessHoldsTheLock)
{
    fs::path path = m_temp / "wallets.lock";
    auto lock = platform::FileLock::acquire(path);
    ASSERT_NE(lock, nullptr);
    auto child = platform::ChildProcess::start(PLATFORM_TEST_HELPER, {"lock", path.string()});
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->read_line(300ms), std::nullopt);  // still waiting for the lock
    lock.reset();
    EXPECT_EQ(child->read_line(10s), "locked");
}

TEST_F(FileLockTest, CheckingTheLockDoesNotReleaseIt)
{
    // Opening and closing the lock file elsewhere in this process must leave the lock held.
    fs::path path = m_temp / "wallets.lock";
    auto lock = platform::FileLock::acquire(path);
    ASSERT_NE(lock, nullptr);
    EXPECT_TRUE(platform::file_is_locked(path));
    EXPECT_EQ(platform::FileLock::try_acquire(path), nullptr);
    auto child = platform::ChildProcess::start(PLATFORM_TEST_HELPER, {"lock", path.string()});
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->read_line(300ms), std::nullopt);
}

TEST_F(FileLockTest, CreatesTheFileAndReleasesOnDestruction)
{
    fs::path path = m_temp / "new.lock";
    {
        auto lock = platform::FileLock::try_acquire(path);
        ASSERT_NE(lock, nullptr);
        EXPECT_TRUE(fs::exists(path));
    }
    EXPECT_FALSE(platform::file_is_locked(path));
    EXPECT_NE(platform::FileLock::try_acquire(path), nullptr);
    EXPECT_EQ(fs::file_size(path), 0u);
}

TEST_F(FileLockTest, UnopenableFileGivesNoLock)
{
    EXPECT_EQ(platform::FileLock::acquire(m_temp / "missing-dir" / "x.lock"), nullptr);
    EXPECT_EQ(platform::FileLock::try_acquire(m_temp.path()), nullptr);  // a directory
    EXPECT_FALSE(platform::file_is_locked(m_temp / "absent.lock"));
}

} // namespace
