// The files that decide which wallet this program uses, on any content (the first byte picks
// one): the bind file "binds/<instance>.json" names nothing or an id inside the wallets folder;
// the registry "wallets.json" reads without crashing and every entry has an id. Either way a
// restarted program is bound to nothing or to such an id.
#include <filesystem>

#include "fuzz/data_dir_fixture.h"
#include "fuzz/fuzz_check.h"
#include "wallet/app_binding.h"
#include "wallet/data_paths.h"
#include "wallet/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto& fixture = fuzz::DataDirFixture::instance();
    fuzz::Cursor in(data, size);
    if (in.take_byte() % 2 == 0) {
        fixture.write_absolute(wallet::bind_path(fixture.wallet()), in.rest_text());
        const auto bound = wallet::bound_wallet_id(fixture.wallet());
        FUZZ_CHECK(bound.empty() || wallet::valid_wallet_id(bound));
    } else {
        std::error_code ec;
        std::filesystem::remove_all(wallet::binds_dir(), ec);
        std::filesystem::remove(wallet::legacy_wallet_path(), ec);
        fixture.write_absolute(wallet::registry_path(), in.rest_text());
        const auto file = wallet::registry_read_file();
        FUZZ_CHECK(file.doc.is_object());
        for (const auto& entry : wallet::registry_entries(file.doc)) FUZZ_CHECK(!entry.id.empty());
        (void)wallet::list_wallets();
        (void)wallet::wallet_display_name(fuzz::FUZZ_WALLET_ID);
    }
    fixture.restart_and_check_binding();
    return 0;
}
