// The rows of the fault matrix that no layer's own suite covers: outside failures met in the
// middle of a payment, and a full disk while the program saves the files it owns.
// Every row checks what the user is told and that nothing already on disk or on the chain is
// lost or paid twice. (The other rows live beside the code they exercise; see README.md here.)
#include <filesystem>

#include <gtest/gtest.h>

#include "core/json_get.h"
#include "funding/coin_state.h"
#include "funding/pay.h"
#include "funding/reserves.h"
#include "tests/funding/funding_fixture.h"
#include "tests/support/full_disk.h"
#include "tests/support/funding_outcome.h"
#include "tests/support/pursa_program.h"
#include "tx/script.h"
#include "wallet/lots_cache.h"
#include "wallet/wallet_file.h"
#include "wallet/wallet_key.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_state.h"
#include "tests/support/test_txid.h"

namespace {

namespace fs = std::filesystem;
using fundingtest::OtherParty;
using testsupport::failed;
using testsupport::outcome;

class PaymentFaults : public fundingtest::FundingDevnetTest {
protected:
    std::vector<tx::TxOutput> to_other(core::Amount sats) const { return {{sats, tx::p2pkh_script(OtherParty{}.hash)}}; }

    // Every transaction on the simulator's chain or mempool that pays the other party.
    int payments_to_other_on_chain()
    {
        const auto list = devnet().get("/woc/v1/bsv/main/address/" + OtherParty{}.address + "/unspent/all").json();
        const auto* result = core::json_member(list, "result");
        return result && result->is_array() ? static_cast<int>(result->size()) : -1;
    }
};

// Pursa locks the wallet while the program is running with its keys loaded: the program stops
// using them. The payment is refused with a sentence, nothing is sent, and the locked file is
// never written back in the clear; once unlocked, the payment goes through.
TEST_F(PaymentFaults, WalletLockedByPursaWhileTheProgramRunsStopsPayments)
{
    fund(0, {30000});
    {
        wallet::WalletLock lock(ws());
        ASSERT_TRUE(wallet::wallet_load(ws()));
    }
    auto locked = pursatest::run_pursa(m_temp.path(), {"lock", "--password", "correct horse"});
    ASSERT_EQ(locked.exit_code, 0) << locked.output;
    const std::string envelope = read_text(wallet_rel("w1"));

    EXPECT_EQ(outcome(funding::pay_outputs(session(), to_other(10000))), failed(funding::FundingCode::WalletLocked));
    EXPECT_EQ(payments_to_other_on_chain(), 0);
    EXPECT_EQ(read_text(wallet_rel("w1")), envelope) << "the locked file is left as Pursa wrote it";
    EXPECT_EQ(envelope.find("abandon"), std::string::npos);

    auto unlocked = pursatest::run_pursa(m_temp.path(), {"unlock", "--password", "correct horse"});
    ASSERT_EQ(unlocked.exit_code, 0) << unlocked.output;
    const auto again = funding::pay_outputs(session(), to_other(10000));
    EXPECT_TRUE(again) << outcome(again);
    EXPECT_EQ(payments_to_other_on_chain(), 1);
}

// --- the files the program owns: a full disk while saving ---

class FileFaults : public fundingtest::FundingTest {
protected:
    void SetUp() override
    {
        FundingTest::SetUp();
        if (!testsupport::FullDisk().active()) GTEST_SKIP() << "no file-size limit on this system";
        bind_wallet();
    }
};

// A full disk while the reserves, the coin snapshots and the lots snapshot are saved: every save
// says it failed, the files keep their last content, no temporary is left, and a restart reads
// the last good state.
TEST_F(FileFaults, FullDiskWhileSavingKeepsTheLastGoodFiles)
{
    const std::string k = [&] {
        wallet::WalletLock lock(ws());
        return wallet::wallet_key(ws());
    }();
    const tx::Outpoint a{test_txid('a'), 0};
    const tx::Outpoint b{test_txid('b'), 1};
    const std::string spent_txid(64, 'd');
    ASSERT_TRUE(funding::reserve_add(ws(), a, "origin-a", 100));
    wallet::LotSnapshot lots;
    lots.txids = {std::string(64, 'f')};
    ASSERT_TRUE(wallet::write_lot_snapshot(k, lots));
    lots.txids.push_back(std::string(64, '1'));
    {
        wallet::WalletLock lock(ws());
        ASSERT_TRUE(funding::ensure_coin_state(session()));
        funding::add_spent(session(), {{test_txid(spent_txid), 3, ""}});
        funding::add_pending_change(session(), {test_txid('c'), 1, 5000, receive_address(0)});
        ASSERT_TRUE(funding::save_snapshots(session()));
    }
    const std::vector<fs::path> files = {funding::reserves_path(ws()), funding::spent_snapshot_path(k),
                                         funding::change_snapshot_path(k), m_data / "ord_snap" / (k + ".json")};
    std::vector<std::string> before;  // the fixture's file helpers take these absolute paths as they are
    for (const auto& f : files) before.push_back(read_text(f.string()));
    std::string added, bound;
    bool removed = true, snapshots = true, lot_snapshot = true;
    {
        testsupport::FullDisk full;
        added = outcome(funding::reserve_add(ws(), b, "origin-b", 200));
        bound = outcome(funding::reserve_bind_listing(ws(), a, test_txid('c')));
        removed = funding::reserve_remove(ws(), a);
        lot_snapshot = wallet::write_lot_snapshot(k, lots);
    }
    {
        wallet::WalletLock lock(ws());
        funding::add_spent(session(), {{test_txid('e'), 0, ""}, {test_txid('c'), 1, ""}});
        testsupport::FullDisk full;
        snapshots = funding::save_snapshots(session());  // both saves are tried
    }
    EXPECT_EQ(added, failed(funding::FundingCode::ReserveWriteFailed));
    EXPECT_EQ(bound, failed(funding::FundingCode::ReserveUpdateFailed));
    EXPECT_FALSE(removed || snapshots || lot_snapshot);
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(read_text(files[i].string()), before[i]) << files[i];
        EXPECT_FALSE(temporary_left(files[i].string())) << files[i];
    }
    ASSERT_EQ(funding::reserve_list(ws()).size(), 1u);
    EXPECT_EQ(funding::reserve_list(ws())[0].utxo, a);
    EXPECT_EQ(wallet::read_lot_snapshot(k)->txids, std::vector<std::string>{std::string(64, 'f')});
    EXPECT_TRUE(funding::reserve_add(ws(), b, "origin-b", 200));
    wallet::WalletLock lock(ws());  // a restart reads the last good snapshots
    funding::reset_coin_state(session());
    ASSERT_TRUE(funding::ensure_coin_state(session()));
    EXPECT_TRUE(funding::is_spent(session(), test_txid(spent_txid), 3));
    EXPECT_FALSE(funding::is_spent(session(), test_txid('e'), 0));
}

} // namespace
