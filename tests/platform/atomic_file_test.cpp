#include "platform/atomic_file.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/full_disk.h"
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

// Names in the folder other than the given ones: temporaries left behind.
std::vector<std::string> others_in(const fs::path& dir, std::initializer_list<std::string> expected)
{
    std::vector<std::string> out;
    for (const auto& entry : fs::directory_iterator(dir)) {
        std::string name = entry.path().filename().string();
        if (std::find(expected.begin(), expected.end(), name) == expected.end()) out.push_back(name);
    }
    return out;
}

fs::perms group_and_others(const fs::path& path)
{
    return fs::status(path).permissions() & (fs::perms::group_all | fs::perms::others_all);
}

using AtomicFileTest = TempDirTest;

// A write replaces the whole content, bytes exactly (empty too), and leaves no temporary; a
// folder that does not exist is not made.
TEST_F(AtomicFileTest, ReplacesTheWholeContentExactly)
{
    fs::path target = m_temp / "wallets.json";
    const std::string binary("a\0b\r\n\xff", 6);
    for (const std::string& content : {std::string("first version, rather long\n"), binary, std::string("second\n"), std::string()}) {
        ASSERT_TRUE(platform::write_file_atomic(target, content));
        EXPECT_EQ(read_file(target), content);  // no tail of a longer old content
    }
    EXPECT_TRUE(fs::exists(target));
    EXPECT_TRUE(others_in(m_temp.path(), {"wallets.json"}).empty());
    EXPECT_FALSE(platform::write_file_atomic(m_temp / "no-such-dir" / "file", "x"));
    EXPECT_FALSE(fs::exists(m_temp / "no-such-dir"));
}

TEST_F(AtomicFileTest, ConcurrentWritersNeverShareATemporaryNorFollowALink)
{
    // Files and links an earlier crash or another user left where a temporary could go.
    fs::path target = m_temp / "reserves.json";
    fs::path victim = m_temp / "victim";
    std::ofstream(victim) << "not yours";
    std::ofstream(m_temp / "reserves.json.tmp") << "half-written garbage from an earlier crash";
    fs::create_symlink(victim, m_temp / "reserves.json.tmp-link");

    // Writers at once, each with content of its own length: every write lands whole.
    std::vector<std::string> contents;
    for (int i = 0; i < 6; ++i) contents.push_back(std::string(2000 + 997 * i, static_cast<char>('a' + i)));
    std::vector<std::thread> writers;
    std::atomic<int> failed{0};
    for (const auto& content : contents) {
        writers.emplace_back([&, content] {
            for (int round = 0; round < 40; ++round) {
                if (!platform::write_file_atomic(target, content)) ++failed;
            }
        });
    }
    for (auto& w : writers) w.join();
    EXPECT_EQ(failed, 0);
    EXPECT_NE(std::find(contents.begin(), contents.end(), read_file(target)), contents.end());
    EXPECT_EQ(read_file(victim), "not yours");
    EXPECT_TRUE(others_in(m_temp.path(), {"reserves.json", "victim", "reserves.json.tmp", "reserves.json.tmp-link"}).empty());
}

TEST_F(AtomicFileTest, FailedRenameKeepsOldTargetAndRemovesTemporary)
{
    // The target is a non-empty directory: the temporary file is written in full, then the
    // rename over the target fails.
    fs::path target = m_temp / "occupied";
    fs::create_directory(target);
    std::ofstream(target / "keep.txt") << "old";
    EXPECT_FALSE(platform::write_file_atomic(target, "new content"));
    EXPECT_TRUE(others_in(m_temp.path(), {"occupied"}).empty());
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_EQ(read_file(target / "keep.txt"), "old");
}

TEST_F(AtomicFileTest, FullDiskKeepsOldFileAndRemovesTemporary)
{
    fs::path target = m_temp / "wallet.json";
    ASSERT_TRUE(platform::write_file_atomic(target, "old wallet\n"));
    bool written = true;
    {
        testsupport::FullDisk full;
        if (!full.active()) GTEST_SKIP() << "no file-size limit on this system";
        written = platform::write_file_atomic(target, std::string(100000, 'x'));
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(read_file(target), "old wallet\n");
    EXPECT_TRUE(others_in(m_temp.path(), {"wallet.json"}).empty());
}

TEST_F(AtomicFileTest, OwnerOnlyFilesHaveNoGroupOrOtherAccess)
{
    fs::path target = m_temp / "wallet.json";
    ASSERT_TRUE(platform::write_file_atomic(target, "secret", platform::FileAccess::OwnerOnly));
    EXPECT_EQ(group_and_others(target), fs::perms::none);
    EXPECT_NE(fs::status(target).permissions() & fs::perms::owner_read, fs::perms::none);
    EXPECT_NE(fs::status(target).permissions() & fs::perms::owner_write, fs::perms::none);

    // Replacing a file everyone could read, or restricting it in place, leaves none of that
    // access behind.
    fs::permissions(target, fs::perms::all, fs::perm_options::replace);
    ASSERT_TRUE(platform::write_file_atomic(target, "secret 2", platform::FileAccess::OwnerOnly));
    EXPECT_EQ(group_and_others(target), fs::perms::none);
    EXPECT_EQ(read_file(target), "secret 2");
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
