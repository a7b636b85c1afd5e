// The rows of the fault matrix that no layer's own suite covers: outside failures met in the
// middle of a payment, and a full disk or a crash while the program saves the files it owns.
// Every row checks what the user is told and that nothing already on disk or on the chain is
// lost or paid twice. (The other rows live beside the code they exercise; see README.md here.)
#include <filesystem>
#include <fstream>

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

// The temporary file a save left behind when the program died between writing it and the
// rename: a complete but different file, or a torn one.
void crash_left_temporary(const fs::path& target, const std::string& content)
{
    fs::path tmp = target;
    tmp += ".tmp-00000000deadbeef";
    std::ofstream(tmp, std::ios::binary | std::ios::trunc) << content;
}

// Temporaries beside target other than the one a crash left.
std::vector<fs::path> temporaries_beside(const fs::path& target)
{
    std::vector<fs::path> out;
    const std::string prefix = target.filename().string() + ".tmp-";
    for (const auto& entry : fs::directory_iterator(target.parent_path())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0 && name != prefix + "00000000deadbeef") out.push_back(entry.path());
    }
    return out;
}

std::string file_text(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class PaymentFaults : public fundingtest::FundingDevnetTest {
protected:
    std::vector<tx::TxOutput> to_other(core::Amount sats) const { return {{sats, tx::p2pkh_script(OtherParty{}.hash)}}; }

    // Every transaction on the simulator's chain or mempool that pays the other party.
    int payments_to_other_on_chain()
    {
        auto reply = devnet().get("/woc/v1/bsv/main/address/" + OtherParty{}.address + "/unspent/all");
        const auto list = reply.json();
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

// --- the files the program owns: a full disk or a crash while saving ---

class FileFaults : public fundingtest::FundingTest {
protected:
    void SetUp() override
    {
        FundingTest::SetUp();
        if (!testsupport::FullDisk().active()) GTEST_SKIP() << "no file-size limit on this system";
        bind_wallet();
    }
    std::string key()
    {
        wallet::WalletLock lock(ws());
        return wallet::wallet_key(ws());
    }
};

TEST_F(FileFaults, FullDiskWhileSavingTheReservesKeepsEveryReserve)
{
    const std::string a = std::string(64, 'a') + "_0";
    const std::string b = std::string(64, 'b') + "_1";
    ASSERT_TRUE(funding::reserve_add(ws(), a, "origin-a", 100));
    const fs::path file = funding::reserves_path(ws());
    const std::string before = file_text(file);
    std::string added, bound;
    bool removed = true;
    {
        testsupport::FullDisk full;
        added = outcome(funding::reserve_add(ws(), b, "origin-b", 200));
        bound = outcome(funding::reserve_bind_listing(ws(), a, std::string(64, 'c')));
        removed = funding::reserve_remove(ws(), a);
    }
    EXPECT_EQ(added, failed(funding::FundingCode::ReserveWriteFailed));
    EXPECT_EQ(bound, failed(funding::FundingCode::ReserveUpdateFailed));
    EXPECT_FALSE(removed);
    EXPECT_EQ(file_text(file), before);
    EXPECT_TRUE(temporaries_beside(file).empty());
    ASSERT_EQ(funding::reserve_list(ws()).size(), 1u);
    EXPECT_EQ(funding::reserve_list(ws())[0].utxo, a);

    EXPECT_TRUE(funding::reserve_add(ws(), b, "origin-b", 200));
    EXPECT_EQ(funding::reserve_list(ws()).size(), 2u);
}

TEST_F(FileFaults, FullDiskWhileSavingTheSnapshotsKeepsTheLastOnes)
{
    const std::string k = key();
    const std::string spent_txid(64, 'd');
    {
        wallet::WalletLock lock(ws());
        ASSERT_TRUE(funding::ensure_coin_state(session()));
        funding::add_spent(session(), {{test_txid(spent_txid), 3, ""}});
        funding::add_pending_change(session(), {test_txid('c'), 1, 5000, receive_address(0)});
        ASSERT_TRUE(funding::save_snapshots(session()));
    }
    const std::string spent_before = file_text(funding::spent_snapshot_path(k));
    const std::string change_before = file_text(funding::change_snapshot_path(k));
    // The lots scan's snapshot.
    wallet::LotSnapshot lots;
    lots.txids = {std::string(64, 'f')};
    ASSERT_TRUE(wallet::write_lot_snapshot(k, lots));
    const fs::path lot_file = m_data / "ord_snap" / (k + ".json");
    const std::string lots_before = file_text(lot_file);
    lots.txids.push_back(std::string(64, '1'));
    {
        wallet::WalletLock lock(ws());
        funding::add_spent(session(), {{test_txid('e'), 0, ""}, {test_txid('c'), 1, ""}});
        testsupport::FullDisk full;
        EXPECT_FALSE(funding::save_snapshots(session()));  // both saves are tried
        EXPECT_FALSE(wallet::write_lot_snapshot(k, lots));
    }
    EXPECT_EQ(file_text(funding::spent_snapshot_path(k)), spent_before);
    EXPECT_EQ(file_text(funding::change_snapshot_path(k)), change_before);
    EXPECT_EQ(file_text(lot_file), lots_before);

    // A restart reads the last good snapshots.
    wallet::WalletLock lock(ws());
    funding::reset_coin_state(session());
    ASSERT_TRUE(funding::ensure_coin_state(session()));
    EXPECT_TRUE(funding::is_spent(session(), test_txid(spent_txid), 3));
    auto read_back = wallet::read_lot_snapshot(k);
    ASSERT_TRUE(read_back);
    EXPECT_EQ(read_back->txids, std::vector<std::string>{std::string(64, 'f')});
}

// The program died after writing a temporary ("<file>.tmp-" and random digits) and before the
// rename: the file itself is what was there before, the next load ignores the temporary, and
// the next save goes through beside it.
TEST_F(FileFaults, CrashBetweenTheTemporaryWriteAndTheRenameLosesNothing)
{
    const std::string k = key();
    const std::string a = std::string(64, 'a') + "_0";
    ASSERT_TRUE(funding::reserve_add(ws(), a, "origin-a", 100));
    {
        wallet::WalletLock lock(ws());
        ASSERT_TRUE(funding::ensure_coin_state(session()));
        funding::add_spent(session(), {{test_txid('d'), 3, ""}});
        ASSERT_TRUE(funding::save_snapshots(session()));
    }
    const fs::path wallet_file = path(wallet_rel("w1"));
    crash_left_temporary(wallet_file, R"({"mnemonic": "legal winner thank year wave sausage worth useful legal winner thank yel)");
    crash_left_temporary(funding::reserves_path(ws()), R"({"reserves": []})");
    crash_left_temporary(funding::spent_snapshot_path(k), R"({"outpoints": [)");

    // A new process starts.
    wallet::wallet_forget(ws());
    {
        wallet::WalletLock lock(ws());
        ASSERT_TRUE(wallet::wallet_load(ws()));
        EXPECT_EQ(ws().state().mnemonic.view().substr(0, 7), "abandon");
        ASSERT_TRUE(funding::ensure_coin_state(session()));
        EXPECT_TRUE(funding::is_spent(session(), test_txid('d'), 3));
    }
    ASSERT_EQ(funding::reserve_list(ws()).size(), 1u);

    // The next saves go through and leave no temporary of their own behind.
    EXPECT_TRUE(funding::reserve_add(ws(), std::string(64, 'b') + "_1", "", 5));
    {
        wallet::WalletLock lock(ws());
        EXPECT_TRUE(funding::save_snapshots(session()));
        EXPECT_TRUE(wallet::wallet_save(ws()));
    }
    for (const fs::path& p : {wallet_file, funding::reserves_path(ws()), funding::spent_snapshot_path(k)}) {
        EXPECT_TRUE(temporaries_beside(p).empty()) << p;
    }
    EXPECT_EQ(funding::reserve_list(ws()).size(), 2u);
}

} // namespace
