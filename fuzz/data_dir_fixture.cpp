#include "fuzz/data_dir_fixture.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>

#include "fuzz/fuzz_check.h"
#include "platform/environment.h"
#include "wallet/app_binding.h"
#include "wallet/registry.h"
#include "wallet/wallet_file.h"

namespace fuzz {

namespace {

std::filesystem::path g_root;

void remove_root()
{
    std::error_code ec;
    std::filesystem::remove_all(g_root, ec);
}

} // namespace

DataDirFixture& DataDirFixture::instance()
{
    static DataDirFixture fixture;
    return fixture;
}

DataDirFixture::DataDirFixture()
{
    g_root = std::filesystem::temp_directory_path() /
             ("agoran-fuzz-" + std::to_string(std::random_device()()) + "-" +
              std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::atexit(remove_root);
    platform::set_env("LOCALAPPDATA", g_root.string());
    m_data = g_root / "TavrinNode";
    restore();
}

void DataDirFixture::write_absolute(const std::filesystem::path& path, std::string_view bytes) const
{
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void DataDirFixture::restore() const
{
    m_wallet = std::make_unique<wallet::WalletSession>();
    std::error_code ec;
    std::filesystem::remove_all(m_data, ec);
    write("wallets.json", R"({"active": "w1", "wallets": [{"id": "w1", "name": "Fuzz"}]})");
    write(std::filesystem::path("wallets") / FUZZ_WALLET_ID / "wallet.json",
          R"({"mnemonic": "abandon abandon abandon abandon abandon abandon abandon abandon abandon abandon abandon about",)"
          R"( "recv": [0, 2, 0, 0, 0, 0], "show": 0, "version": 2})");
    wallet::register_app(wallet(), FUZZ_INSTANCE, "AgoranFuzz");
    if (wallet::active_wallet_id(wallet()) != FUZZ_WALLET_ID || !wallet::wallet_load(wallet())) {
        std::fprintf(stderr, "fuzz fixture: cannot bind and load the test wallet in %s\n", m_data.c_str());
        std::abort();
    }
}

void DataDirFixture::restart_and_check_binding() const
{
    m_wallet = std::make_unique<wallet::WalletSession>();
    wallet::register_app(wallet(), FUZZ_INSTANCE, "AgoranFuzz");
    const auto active = wallet::active_wallet_id(wallet());
    FUZZ_CHECK(active.empty() || wallet::valid_wallet_id(active));
    (void)wallet::wallet_summary(wallet());
}

} // namespace fuzz

// Every target of the data directory sets the fixture up before its first input; this file is
// linked into exactly those targets, as they are the ones that use the fixture.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::DataDirFixture::instance();
    return 0;
}
