#include "platform/data_dir.h"

#include <fstream>

#include <gtest/gtest.h>

#include "platform/environment.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// Saves and restores the variables the data directory depends on.
class DataDirTest : public testsupport::TempDirTest {
protected:
    void SetUp() override
    {
        for (const char* name : {"LOCALAPPDATA", "XDG_DATA_HOME", "HOME"}) {
            m_saved.emplace_back(name, platform::get_env(name));
        }
    }
    void TearDown() override
    {
        for (const auto& [name, value] : m_saved) {
            if (value) platform::set_env(name, *value);
            else platform::unset_env(name);
        }
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

// LOCALAPPDATA wins and the directory is made (parents too) for its owner only, or closed to
// others when an older version left it open; a folder that cannot be made still gives its
// path; an empty LOCALAPPDATA counts as unset and falls back to XDG_DATA_HOME, then HOME (on
// Windows, to the working directory).
TEST_F(DataDirTest, WhereTheDataDirectoryIsAndWhoMayEnterIt)
{
    const auto others = fs::perms::group_all | fs::perms::others_all;
    fs::path root = m_temp / "a" / "b";
    ASSERT_TRUE(platform::set_env("LOCALAPPDATA", root.string()));
    EXPECT_EQ(platform::data_dir(), root / "TavrinNode");
    EXPECT_EQ(fs::status(root / "TavrinNode").permissions() & others, fs::perms::none);
    fs::permissions(root / "TavrinNode", fs::perms::all, fs::perm_options::replace);
    EXPECT_EQ(platform::data_dir(), root / "TavrinNode");
    EXPECT_EQ(fs::status(root / "TavrinNode").permissions() & (others | fs::perms::owner_all), fs::perms::owner_all);

    fs::path blocker = m_temp / "file";
    std::ofstream(blocker) << "x";
    ASSERT_TRUE(platform::set_env("LOCALAPPDATA", blocker.string()));
    EXPECT_EQ(platform::data_dir(), blocker / "TavrinNode");

    const fs::path here = fs::path(".") / "TavrinNode";
    ASSERT_TRUE(platform::set_env("LOCALAPPDATA", ""));
    ASSERT_TRUE(platform::set_env("XDG_DATA_HOME", (m_temp / "xdg").string()));
    ASSERT_TRUE(platform::set_env("HOME", (m_temp / "home").string()));
    fs::path dir = platform::data_dir();
    EXPECT_TRUE(dir == m_temp / "xdg" / "TavrinNode" || dir == here) << dir;
    ASSERT_TRUE(platform::unset_env("XDG_DATA_HOME"));
    dir = platform::data_dir();
    EXPECT_TRUE(dir == m_temp / "home" / ".local" / "share" / "TavrinNode" || dir == here) << dir;
}

} // namespace
