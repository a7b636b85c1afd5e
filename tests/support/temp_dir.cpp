#include "tests/support/temp_dir.h"

#include <atomic>
#include <chrono>
#include <random>

#include "platform/environment.h"

namespace testsupport {

TempDir::TempDir()
{
    static std::atomic<unsigned> counter{0};
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) base = std::filesystem::current_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path candidate =
            base / ("agoran-test-" + std::to_string(std::random_device()()) + "-" +
                    std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "-" + std::to_string(counter++));
        if (std::filesystem::create_directory(candidate, ec)) {
            m_path = candidate;
            return;
        }
    }
    ADD_FAILURE() << "cannot create a temporary directory under " << base;
}

TempDir::~TempDir()
{
    if (m_env_changed) {
        if (m_saved_localappdata) platform::set_env("LOCALAPPDATA", *m_saved_localappdata);
        else platform::unset_env("LOCALAPPDATA");
    }
    if (m_path.empty()) return;
    std::error_code ec;
    // Restore write permission that a test may have taken away, so removal succeeds.
    for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
        }
    }
    std::filesystem::remove_all(m_path, ec);
}

std::filesystem::path TempDir::use_as_data_root()
{
    if (!m_env_changed) m_saved_localappdata = platform::get_env("LOCALAPPDATA");
    m_env_changed = true;
    platform::set_env("LOCALAPPDATA", m_path.string());
    return m_path / "TavrinNode";
}

} // namespace testsupport
