// The wallet's snapshots in "ord_snap" on any content: the spent set, the pending change and the
// lots scan. Each reads without crashing, and what was read survives being written back.
#include <filesystem>

#include "fuzz/data_dir_fixture.h"
#include "fuzz/fuzz_check.h"
#include "funding/coin_state.h"
#include "funding/session.h"
#include "wallet/lots_cache.h"
#include "wallet/wallet_key.h"

namespace {

void coin_snapshot(bool spent_file, std::string_view bytes)
{
    auto& fixture = fuzz::DataDirFixture::instance();
    const std::string key = wallet::wallet_key(fixture.wallet());
    std::error_code ec;
    std::filesystem::remove_all(funding::spent_snapshot_path(key).parent_path(), ec);
    fixture.write_absolute(spent_file ? funding::spent_snapshot_path(key) : funding::change_snapshot_path(key), bytes);

    // The program's one session (no service is asked), bound to the fixture's wallet.
    static funding::Session session(nullptr);
    if (!wallet::app_registered(session.wallet())) wallet::register_app(session.wallet(), fuzz::FUZZ_INSTANCE, "AgoranFuzz");
    funding::reset_coin_state(session);
    FUZZ_CHECK(funding::ensure_coin_state(session));
    const auto spent = session.coins().spent;
    const auto change = session.coins().change;
    FUZZ_CHECK(funding::save_snapshots(session));
    funding::reset_coin_state(session);
    FUZZ_CHECK(funding::ensure_coin_state(session));
    FUZZ_CHECK(session.coins().spent.size() == spent.size() && session.coins().change.size() == change.size());
    for (size_t i = 0; i < change.size(); ++i) {
        const auto& again = session.coins().change[i];
        FUZZ_CHECK(again.outpoint() == change[i].outpoint() && again.sats == change[i].sats && again.addr == change[i].addr);
    }
}

void lot_snapshot(std::string_view bytes)
{
    auto& fixture = fuzz::DataDirFixture::instance();
    const std::string key = wallet::wallet_key(fixture.wallet());
    fixture.write("ord_snap/" + key + ".json", bytes);
    const auto snapshot = wallet::read_lot_snapshot(key);
    if (!snapshot) return;
    FUZZ_CHECK(wallet::write_lot_snapshot(key, *snapshot));
    const auto again = wallet::read_lot_snapshot(key);
    FUZZ_CHECK(again && again->lots.size() == snapshot->lots.size() && again->txids == snapshot->txids &&
               again->token_ids == snapshot->token_ids);
    for (size_t i = 0; i < snapshot->lots.size(); ++i) {
        const auto& lot = snapshot->lots[i];
        FUZZ_CHECK(again->lots[i].origin == lot.origin && again->lots[i].txid == lot.txid && again->lots[i].vout == lot.vout);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Cursor in(data, size);
    const unsigned which = in.take_byte() % 3;
    if (which == 2) lot_snapshot(in.rest_text());
    else coin_snapshot(which == 0, in.rest_text());
    return 0;
}
