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

std::string read_file(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class AtomicFileTest : public testsupport::TempDirTest {
protected:
    // Names in the folder other than the given ones: temporaries left behind.
    std::vector<std::string> others(std::initializer_list<std::string> expected) const
    {
        std::vector<std::string> out;
        for (const auto& entry : fs::directory_iterator(m_temp.path())) {
            std::string name = entry.path().filename().string();
            if (std::find(expected.begin(), expected.end(), name) == expected.end()) out.push_back(name);
        }
        return out;
    }
    static fs::perms group_and_others(const fs::path& path)
    {
        return fs::status(path).permissions() & (fs::perms::group_all | fs::perms::others_all);
    }
};

// A write replaces the whole content, bytes exactly (empty too), and leaves no temporary; a
// folder that does not exist is not made; replace_file moves a file over another.
TEST_F(AtomicFileTest, ReplacesTheWholeContentExactly)
{
    fs::path target = m_temp / "wallets.json";
    const std::string binary("a\0b\r\n\xff", 6);
    for (const std::string& content : {std::string("first version, rather long\n"), binary, std::string()}) {
        ASSERT_TRUE(platform::write_file_atomic(target, content));
        EXPECT_EQ(read_file(target), content);  // no tail of a longer old content
    }
    EXPECT_TRUE(others({"wallets.json"}).empty());
    EXPECT_FALSE(platform::write_file_atomic(m_temp / "no-such-dir" / "file", "x"));
    EXPECT_FALSE(fs::exists(m_temp / "no-such-dir"));

    std::ofstream(m_temp / "new") << "new";
    ASSERT_TRUE(platform::replace_file(m_temp / "new", target));
    EXPECT_EQ(read_file(target), "new");
    EXPECT_FALSE(fs::exists(m_temp / "new"));
    EXPECT_FALSE(platform::replace_file(m_temp / "absent", target));
    EXPECT_EQ(read_file(target), "new");
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
            for (int round = 0; round < 40; ++round) failed += platform::write_file_atomic(target, content) ? 0 : 1;
        });
    }
    for (auto& w : writers) w.join();
    EXPECT_EQ(failed, 0);
    EXPECT_NE(std::find(contents.begin(), contents.end(), read_file(target)), contents.end());
    EXPECT_EQ(read_file(victim), "not yours");
    EXPECT_TRUE(others({"reserves.json", "victim", "reserves.json.tmp", "reserves.json.tmp-link"}).empty());
}

// A rename that fails (the target is a folder) or a disk that fills up keeps the old target
// and removes the temporary.
TEST_F(AtomicFileTest, AFailedWriteKeepsTheOldTargetAndRemovesTheTemporary)
{
    fs::path occupied = m_temp / "occupied";
    fs::create_directory(occupied);
    std::ofstream(occupied / "keep.txt") << "old";
    EXPECT_FALSE(platform::write_file_atomic(occupied, "new content"));
    EXPECT_EQ(read_file(occupied / "keep.txt"), "old");
    EXPECT_TRUE(others({"occupied"}).empty());

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
    EXPECT_TRUE(others({"occupied", "wallet.json"}).empty());
}

// Owner-only files have no group or other access, whether written fresh, written over a file
// everyone could read, or restricted in place.
TEST_F(AtomicFileTest, OwnerOnlyFilesHaveNoGroupOrOtherAccess)
{
    fs::path target = m_temp / "wallet.json";
    ASSERT_TRUE(platform::write_file_atomic(target, "secret", platform::FileAccess::OwnerOnly));
    EXPECT_EQ(group_and_others(target), fs::perms::none);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::owner_read, fs::perms::owner_read);
    fs::permissions(target, fs::perms::all, fs::perm_options::replace);
    ASSERT_TRUE(platform::write_file_atomic(target, "secret 2", platform::FileAccess::OwnerOnly));
    EXPECT_EQ(group_and_others(target), fs::perms::none);
    fs::permissions(target, fs::perms::all, fs::perm_options::replace);
    ASSERT_TRUE(platform::make_owner_only(target));
    EXPECT_EQ(group_and_others(target), fs::perms::none);
    EXPECT_FALSE(platform::make_owner_only(m_temp / "absent"));
}

} // namespace
