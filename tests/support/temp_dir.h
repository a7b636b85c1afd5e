// A fresh temporary directory per test, removed afterwards, that can also stand in for the
// shared data directory.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace testsupport {

// Creates a new empty directory under the system's temporary folder; the destructor removes
// it with everything inside and restores "LOCALAPPDATA" when use_as_data_root changed it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // path() / name.
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

    // Points "LOCALAPPDATA" at this directory, so that platform::data_dir() is
    // path() / "TavrinNode". Returns that data directory (not yet created).
    std::filesystem::path use_as_data_root();

private:
    std::filesystem::path m_path;
    bool m_env_changed = false;
    std::optional<std::string> m_saved_localappdata;
};

// A test fixture holding one TempDir as m_temp.
class TempDirTest : public ::testing::Test {
protected:
    TempDir m_temp;
};

} // namespace testsupport
