// The bind file "binds/<instance>.json" on any content: the wallet it names is read afresh, and is
// either nothing or an id that stays inside the wallets folder.
#include "fuzz/data_dir_fixture.h"
#include "fuzz/fuzz_check.h"
#include "wallet/app_binding.h"
#include "wallet/registry.h"
#include "wallet/wallet_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto& fixture = fuzz::DataDirFixture::instance();
    fixture.write_absolute(wallet::bind_path(), fuzz::as_text(data, size));
    const auto bound = wallet::bound_wallet_id();
    FUZZ_CHECK(bound.empty() || wallet::valid_wallet_id(bound));

    wallet::wallet_forget();
    wallet::unregister_app();
    wallet::register_app(fuzz::FUZZ_INSTANCE, "AgoranFuzz");
    const auto active = wallet::active_wallet_id();
    FUZZ_CHECK(active.empty() || wallet::valid_wallet_id(active));
    (void)wallet::wallet_summary();
    return 0;
}
