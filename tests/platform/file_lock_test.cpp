#include "platform/file_lock.h"

#include <chrono>
#include <future>

#include <gtest/gtest.h>

#include "tests/platform/test_helper_program.h"

#include "platform/process.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using FileLockTest = testsupport::TempDirTest;

TEST_F(FileLockTest, LockHeldByAnotherProcessBlocksUntilReleased)
{
    fs::path path = m_temp / "wallets.lock";
    auto holder = platform::ChildProcess::start(test_helper_program(), {"lock", path.string()});
    ASSERT_NE(holder, nullptr);
    ASSERT_EQ(holder->read_line(10s), "locked");

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
    EXPECT_NE(waiter.get(), nullptr);
}

// The lock file is made owner-only and empty, and one an older version left open to others is
// closed to them; the lock goes with its holder; a file that cannot be opened (missing folder,
// a folder, a link in its place) gives no lock.
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
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    EXPECT_NE(platform::FileLock::try_acquire(path), nullptr);
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

} // namespace
