// The wallet file loader on any file content: it loads or refuses without crashing, never loads
// a locked wallet, and a wallet it loaded and saved back loads again from what was written.
#include "fuzz/data_dir_fixture.h"
#include "fuzz/fuzz_check.h"
#include "wallet/data_paths.h"
#include "wallet/wallet_file.h"
#include "wallet/wallet_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto& fixture = fuzz::DataDirFixture::instance();
    const auto file = wallet::wallet_file_path(fuzz::FUZZ_WALLET_ID);
    fixture.write_absolute(file, fuzz::as_text(data, size));
    wallet::wallet_forget();
    const bool loaded = wallet::wallet_load();
    (void)wallet::wallet_summary();
    const bool locked = wallet::wallet_is_locked();
    FUZZ_CHECK(!(loaded && locked));
    if (loaded) {
        FUZZ_CHECK(wallet::wallet_save());
        wallet::wallet_forget();
        FUZZ_CHECK(wallet::wallet_load());
    }
    wallet::wallet_forget();
    return 0;
}
