// The connect reply "<id>.rep.json" that Pursa writes, on any content: it is pending, approved or
// denied without crashing, and an approval binds nothing or a wallet id inside the wallets folder.
#include "fuzz/data_dir_fixture.h"
#include "fuzz/fuzz_check.h"
#include "wallet/app_binding.h"
#include "wallet/connect.h"
#include "wallet/data_paths.h"
#include "wallet/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto& fixture = fuzz::DataDirFixture::instance();
    const std::string request_id = "r1";
    fixture.write_absolute(wallet::connect_dir() / (request_id + ".rep.json"), fuzz::as_text(data, size));
    const auto reply = wallet::read_connect_reply(fixture.wallet(), request_id);
    FUZZ_CHECK(reply != wallet::ConnectReply::Pending);
    const auto active = wallet::active_wallet_id(fixture.wallet());
    FUZZ_CHECK(active.empty() || wallet::valid_wallet_id(active));
    if (reply != wallet::ConnectReply::Ok) FUZZ_CHECK(active == fuzz::FUZZ_WALLET_ID);
    // A request id from outside never names a path outside the connect folder.
    (void)wallet::read_connect_reply(fixture.wallet(), std::string(fuzz::as_text(data, size > 200 ? 200 : size)));
    if (wallet::active_wallet_id(fixture.wallet()) != fuzz::FUZZ_WALLET_ID) FUZZ_CHECK(wallet::bind_wallet(fixture.wallet(), fuzz::FUZZ_WALLET_ID));
    return 0;
}
