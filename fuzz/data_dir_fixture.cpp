#include "fuzz/data_dir_fixture.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>

#include "fuzz/fuzz_check.h"
#include "platform/environment.h"
#include "wallet/app_binding.h"
#include "wallet/data_paths.h"
#include "wallet/wallet_file.h"

namespace fuzz {

namespace {

std::filesystem::path g_root_to_remove;

void remove_root()
{
    std::error_code ec;
    if (!g_root_to_remove.empty()) std::filesystem::remove_all(g_root_to_remove, ec);
}

} // namespace

DataDirFixture& DataDirFixture::instance()
{
    static DataDirFixture fixture;
    return fixture;
}

DataDirFixture::DataDirFixture()
{
    std::random_device rd;
    m_root = std::filesystem::temp_directory_path() /
             ("agoran-fuzz-" + std::to_string(rd()) + "-" +
              std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(m_root);
    g_root_to_remove = m_root;
    std::atexit(remove_root);
    platform::set_env("LOCALAPPDATA", m_root.string());
    m_data = m_root / "TavrinNode";
    std::filesystem::create_directories(m_data);
    restore();
}

void DataDirFixture::write_absolute(const std::filesystem::path& path, std::string_view bytes) const
{
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void DataDirFixture::write(const std::filesystem::path& relative, std::string_view bytes) const
{
    write_absolute(m_data / relative, bytes);
}

std::string DataDirFixture::good_wallet_file()
{
    return R"({"mnemonic": "abandon abandon abandon abandon abandon abandon abandon abandon abandon abandon abandon about",)"
           R"( "recv": [0, 2, 0, 0, 0, 0], "show": 0, "version": 2})";
}

void DataDirFixture::restore() const
{
    wallet::wallet_forget();
    wallet::unregister_app();
    std::error_code ec;
    std::filesystem::remove_all(m_data, ec);
    write("wallets.json", R"({"active": "w1", "wallets": [{"id": "w1", "name": "Fuzz"}]})");
    write(std::filesystem::path("wallets") / FUZZ_WALLET_ID / "wallet.json", good_wallet_file());
    wallet::register_app(FUZZ_INSTANCE, "AgoranFuzz");
    if (wallet::active_wallet_id() != FUZZ_WALLET_ID || !wallet::wallet_load()) {
        std::fprintf(stderr, "fuzz fixture: cannot bind and load the test wallet in %s\n", m_data.c_str());
        std::abort();
    }
}

} // namespace fuzz

// Every target of the data directory sets the fixture up before its first input; this file is
// linked into exactly those targets, as they are the ones that use the fixture.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::DataDirFixture::instance();
    return 0;
}
