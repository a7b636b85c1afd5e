#include "platform/atomic_file.h"

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testsupport::TempDirTest;

std::string read_file(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

fs::path tmp_of(const fs::path& path)
{
    fs::path tmp = path;
    tmp += ".tmp";
    return tmp;
}

fs::perms group_and_others(const fs::path& path)
{
    return fs::status(path).permissions() & (fs::perms::group_all | fs::perms::others_all);
}

using AtomicFileTest = TempDirTest;

TEST_F(AtomicFileTest, ReplacesContentAndLeavesNoTemporary)
{
    fs::path target = m_temp / "wallets.json";
    ASSERT_TRUE(platform::write_file_atomic(target, "first version, rather long\n"));
    ASSERT_TRUE(platform::write_file_atomic(target, "second\n"));
    EXPECT_EQ(read_file(target), "second\n");  // no tail of the longer old content
    EXPECT_FALSE(fs::exists(tmp_of(target)));
}

TEST_F(AtomicFileTest, BinaryContentSurvivesExactly)
{
    fs::path target = m_temp / "blob";
    std::string content("a\0b\r\n\xff", 6);
    ASSERT_TRUE(platform::write_file_atomic(target, content));
    EXPECT_EQ(read_file(target), content);
    ASSERT_TRUE(platform::write_file_atomic(target, ""));
    EXPECT_TRUE(fs::exists(target));
    EXPECT_EQ(fs::file_size(target), 0u);
}

TEST_F(AtomicFileTest, StaleTemporaryFromACrashIsOverwritten)
{
    fs::path target = m_temp / "wallets.json";
    std::ofstream(tmp_of(target)) << "half-written garbage from an earlier crash, long enough";
    ASSERT_TRUE(platform::write_file_atomic(target, "{}\n"));
    EXPECT_EQ(read_file(target), "{}\n");
    EXPECT_FALSE(fs::exists(tmp_of(target)));
}

TEST_F(AtomicFileTest, FailedRenameKeepsOldTargetAndRemovesTemporary)
{
    // The target is a non-empty directory: the temporary file is written in full, then the
    // rename over the target fails.
    fs::path target = m_temp / "occupied";
    fs::create_directory(target);
    std::ofstream(target / "keep.txt") << "old";
    EXPECT_FALSE(platform::write_file_atomic(target, "new content"));
    EXPECT_FALSE(fs::exists(tmp_of(target)));
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_EQ(read_file(target / "keep.txt"), "old");
}

TEST_F(AtomicFileTest, UnwritableTemporaryKeepsOldFile)
{
    fs::path target = m_temp / "wallets.json";
    ASSERT_TRUE(platform::write_file_atomic(target, "old registry\n"));
    fs::create_directory(tmp_of(target));  // the temporary file cannot be created
    EXPECT_FALSE(platform::write_file_atomic(target, "new registry\n"));
    EXPECT_EQ(read_file(target), "old registry\n");
}

TEST_F(AtomicFileTest, WriteFailingHalfWayKeepsOldFileAndRemovesTemporary)
{
    // A full disk: the temporary name leads to a device that refuses every write.
    const fs::path full_device = "/dev/full";
    std::error_code ec;
    if (!fs::exists(full_device, ec)) GTEST_SKIP() << "no always-full device on this system";
    fs::path target = m_temp / "wallet.json";
    ASSERT_TRUE(platform::write_file_atomic(target, "old wallet\n"));
    fs::create_symlink(full_device, tmp_of(target), ec);
    if (ec) GTEST_SKIP() << "cannot create a symbolic link here";
    EXPECT_FALSE(platform::write_file_atomic(target, std::string(100000, 'x')));
    EXPECT_EQ(read_file(target), "old wallet\n");
    EXPECT_FALSE(fs::exists(fs::symlink_status(tmp_of(target))));
}

TEST_F(AtomicFileTest, MissingFolderFails)
{
    EXPECT_FALSE(platform::write_file_atomic(m_temp / "no-such-dir" / "file", "x"));
    EXPECT_FALSE(fs::exists(m_temp / "no-such-dir"));
}

TEST_F(AtomicFileTest, OwnerOnlyFileHasNoGroupOrOtherAccess)
{
    fs::path target = m_temp / "wallet.json";
    ASSERT_TRUE(platform::write_file_atomic(target, "secret", platform::FileAccess::OwnerOnly));
    EXPECT_EQ(group_and_others(target), fs::perms::none);
    EXPECT_NE(fs::status(target).permissions() & fs::perms::owner_read, fs::perms::none);
    EXPECT_NE(fs::status(target).permissions() & fs::perms::owner_write, fs::perms::none);
}

TEST_F(AtomicFileTest, OwnerOnlyReplacesAnOpenFileAndAnOpenStaleTemporary)
{
    fs::path target = m_temp / "wallet.json";
    std::ofstream(target) << "old";
    std::ofstream(tmp_of(target)) << "stale";
    fs::permissions(target, fs::perms::all, fs::perm_options::replace);
    fs::permissions(tmp_of(target), fs::perms::all, fs::perm_options::replace);
    ASSERT_TRUE(platform::write_file_atomic(target, "secret", platform::FileAccess::OwnerOnly));
    EXPECT_EQ(group_and_others(target), fs::perms::none);
    EXPECT_EQ(read_file(target), "secret");
}

TEST_F(AtomicFileTest, MakeOwnerOnlyRestrictsExistingFile)
{
    fs::path target = m_temp / "seed";
    std::ofstream(target) << "x";
    fs::permissions(target, fs::perms::all, fs::perm_options::replace);
    ASSERT_TRUE(platform::make_owner_only(target));
    EXPECT_EQ(group_and_others(target), fs::perms::none);
    EXPECT_FALSE(platform::make_owner_only(m_temp / "absent"));
}

TEST_F(AtomicFileTest, ReplaceFileMovesOverExisting)
{
    fs::path from = m_temp / "a";
    fs::path to = m_temp / "b";
    std::ofstream(from) << "new";
    std::ofstream(to) << "old";
    ASSERT_TRUE(platform::replace_file(from, to));
    EXPECT_EQ(read_file(to), "new");
    EXPECT_FALSE(fs::exists(from));
    EXPECT_FALSE(platform::replace_file(m_temp / "absent", to));
    EXPECT_EQ(read_file(to), "new");
}

} // namespace
