#include "platform/file_lock.h"

#include <chrono>
#include <fstream>
#include <future>

#include <gtest/gtest.h>

#include "tests/platform/test_helper_program.h"

#include "platform/process.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using FileLockTest = testsupport::TempDirTest;

// Starts the helper holding the lock on path; null (with a test failure) when it could not.
std::unique_ptr<platform::ChildProcess> start_holder(const fs::path& path)
{
    auto child = platform::ChildProcess::start(test_helper_program(), {"lock", path.string()});
    if (!child) {
        ADD_FAILURE() << "cannot start " << test_helper_program();
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
    // A wait ends: it never hangs on a holder that does not let go.
    platform::LockFailure failure = platform::LockFailure::None;
    EXPECT_EQ(platform::FileLock::acquire(path, 150ms, &failure), nullptr);
    EXPECT_EQ(failure, platform::LockFailure::TimedOut);

    // A waiting acquire is granted once the holder goes away.
    auto waiter = std::async(std::launch::async, [&] { return platform::FileLock::acquire(path); });
    EXPECT_EQ(waiter.wait_for(200ms), std::future_status::timeout);
    holder->stop();
    ASSERT_EQ(waiter.wait_for(10s), std::future_status::ready);
    auto granted = waiter.get();
    EXPECT_NE(granted, nullptr);
}

// The lock file is made owner-only and empty, the lock goes with its holder; a file that
// cannot be opened (missing folder, a folder, a link in its place) gives no lock.
TEST_F(FileLockTest, MadeForItsOwnerReleasedOnDestructionAndNeverThroughALink)
{
    fs::path path = m_temp / "new.lock";
    {
        auto lock = platform::FileLock::try_acquire(path);
        ASSERT_NE(lock, nullptr);
        EXPECT_TRUE(platform::file_is_locked(path));
    }
    EXPECT_FALSE(platform::file_is_locked(path));
    EXPECT_EQ(fs::file_size(path), 0u);
    EXPECT_EQ(fs::status(path).permissions() & (fs::perms::group_all | fs::perms::others_all), fs::perms::none);

    platform::LockFailure failure = platform::LockFailure::None;
    EXPECT_EQ(platform::FileLock::acquire(m_temp / "missing-dir" / "x.lock", 100ms, &failure), nullptr);
    EXPECT_EQ(failure, platform::LockFailure::CannotOpen);
    EXPECT_EQ(platform::FileLock::try_acquire(m_temp.path()), nullptr);
    EXPECT_FALSE(platform::file_is_locked(m_temp / "absent.lock"));
    fs::create_symlink(m_temp / "elsewhere", m_temp / "linked.lock");
    EXPECT_EQ(platform::FileLock::acquire(m_temp / "linked.lock", 100ms), nullptr);
    EXPECT_FALSE(fs::exists(m_temp / "elsewhere"));
}

// Another user of the machine took a read lock on a lock file an older version left readable
// by everyone: the wait for it ends, and once this user's program has opened the file, no
// other user can open it again.
TEST_F(FileLockTest, AnotherUsersReadLockEndsTheWaitAndIsShutOut)
{
    fs::permissions(m_temp.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                       fs::perms::others_read | fs::perms::others_exec);
    fs::path path = m_temp / "wallets.lock";
    std::ofstream(path).close();
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);

    auto other = platform::ChildProcess::start(test_helper_program(), {"read-lock-as-another-user", path.string()});
    ASSERT_NE(other, nullptr);
    auto line = other->read_line(10s);
    if (line == "no-user") GTEST_SKIP() << "only the superuser can stand in for another user here";
    ASSERT_EQ(line, "locked");
    platform::LockFailure failure = platform::LockFailure::None;
    EXPECT_EQ(platform::FileLock::acquire(path, 200ms, &failure), nullptr);
    EXPECT_EQ(failure, platform::LockFailure::TimedOut);
    other->stop();

    EXPECT_NE(platform::FileLock::acquire(path, 1s), nullptr);
    auto again = platform::ChildProcess::start(test_helper_program(), {"read-lock-as-another-user", path.string()});
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->read_line(10s), "refused");
}

} // namespace
