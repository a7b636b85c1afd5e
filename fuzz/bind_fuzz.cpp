// The bind file "binds/<instance>.json" on any content: the wallet it names is read afresh, and is
// either nothing or an id that stays inside the wallets folder.
#include "fuzz/data_dir_fixture.h"
#include "fuzz/fuzz_check.h"
#include "wallet/app_binding.h"
#include "wallet/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto& fixture = fuzz::DataDirFixture::instance();
    fixture.write_absolute(wallet::bind_path(fixture.wallet()), fuzz::as_text(data, size));
    const auto bound = wallet::bound_wallet_id(fixture.wallet());
    FUZZ_CHECK(bound.empty() || wallet::valid_wallet_id(bound));
    fixture.restart_and_check_binding();
    return 0;
}
