// The wallet registry "wallets.json" on any content: reading never crashes, every entry has an
// id, and registering the app binds nothing or a wallet id that stays inside the wallets folder.
#include <filesystem>

#include "fuzz/data_dir_fixture.h"
#include "fuzz/fuzz_check.h"
#include "wallet/data_paths.h"
#include "wallet/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto& fixture = fuzz::DataDirFixture::instance();
    std::error_code ec;
    std::filesystem::remove_all(wallet::binds_dir(), ec);
    std::filesystem::remove(wallet::legacy_wallet_path(), ec);
    fixture.write_absolute(wallet::registry_path(), fuzz::as_text(data, size));

    const auto file = wallet::registry_read_file();
    FUZZ_CHECK(file.doc.is_object());
    for (const auto& entry : wallet::registry_entries(file.doc)) FUZZ_CHECK(!entry.id.empty());
    (void)wallet::list_wallets();
    (void)wallet::wallet_display_name(fuzz::FUZZ_WALLET_ID);
    fixture.restart_and_check_binding();
    return 0;
}
