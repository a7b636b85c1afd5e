// The rows of the fault matrix that no layer's own suite covers: outside failures met in the
// middle of a payment, and a full disk or a crash while the program saves the files it owns.
// Every row checks what the user is told and that nothing already on disk or on the chain is
// lost or paid twice. (The other rows live beside the code they exercise; see README.md here.)
#include <atomic>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "core/json_get.h"
#include "funding/broadcast.h"
#include "funding/coin_state.h"
#include "funding/pay.h"
#include "funding/refresh.h"
#include "funding/reserves.h"
#include "net/http_client.h"
#include "net/service_config.h"
#include "tests/funding/funding_fixture.h"
#include "tests/support/full_disk.h"
#include "tests/support/funding_outcome.h"
#include "tests/support/pursa_program.h"
#include "tx/parse.h"
#include "tx/script.h"
#include "wallet/lots_cache.h"
#include "wallet/wallet_file.h"
#include "wallet/wallet_key.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_state.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
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

// The program's HTTP client, restarting the simulator once right after the first broadcast to
// WhatsOnChain returns.
class RestartAfterBroadcast : public net::Http {
public:
    explicit RestartAfterBroadcast(testsupport::Devnet& devnet) : m_devnet(devnet) {}
    net::JsonReply get_json(const std::string& url, int timeout_seconds) override { return m_http.get_json(url, timeout_seconds); }
    net::HttpReply get(const std::string& url, const net::GetOptions& options) override { return m_http.get(url, options); }
    net::HttpReply post_json(const std::string& url, const std::string& body, const net::PostOptions& options) override
    {
        net::HttpReply reply = m_http.post_json(url, body, options);
        if (url.find("/tx/raw") != std::string::npos && !m_taken.exchange(true)) {
            m_mempool = m_devnet.get("/admin/status").json().value("mempool", -1);
            m_restarted = m_devnet.restart();
        }
        return reply;
    }
    bool restarted() const { return m_restarted; }
    int mempool_when_taken() const { return m_mempool; }

private:
    testsupport::Devnet& m_devnet;
    net::CurlHttp m_http;
    std::atomic<bool> m_taken{false};
    std::atomic<bool> m_restarted{false};
    std::atomic<int> m_mempool{-1};
};

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

    size_t spent_set_size()
    {
        wallet::WalletLock lock;
        EXPECT_TRUE(funding::ensure_coin_state(session()));
        return session().coins().spent.size();
    }
};

// WhatsOnChain answers 429 to everything for a while, while the oracle index and ARC take the
// payment. It cannot be confirmed (only WhatsOnChain's copy confirms), but it was sent: the user is
// told so after the client's back-offs, its coin stays spent and its change is the wallet's, so
// nothing tempts a second payment. The payment is on the chain once.
TEST_F(PaymentFaults, WhatsOnChain429StormNeverPaysTwice)
{
    const std::string coin = fund(0, {40000});
    std::vector<long> waits;
    std::mutex waits_mutex;
    net::CurlHttp http([&](std::chrono::milliseconds d) {
        std::lock_guard<std::mutex> lock(waits_mutex);
        waits.push_back(static_cast<long>(d.count()));
    });
    start_session(&http);
    devnet().fault("woc", {{"rate_limit_next", 100000}});

    const auto result = funding::pay_outputs(session(), to_other(10000));
    ASSERT_TRUE(result) << outcome(result);
    EXPECT_FALSE(result->confirmed);
    {
        std::lock_guard<std::mutex> lock(waits_mutex);
        EXPECT_FALSE(waits.empty()) << "the client backed off before giving up";
    }
    devnet().clear_faults();
    {
        wallet::WalletLock lock;
        EXPECT_TRUE(funding::is_spent(session(), coin, 0));
        EXPECT_EQ(session().coins().change.size(), 1u);
    }
    EXPECT_EQ(payments_to_other_on_chain(), 1);
}

// ARC refuses the transaction with each of its rejection answers while WhatsOnChain is failing:
// the user reads ARC's reason, no coin is marked spent and nothing reaches the chain; once the
// services are back the same coins pay, once.
TEST_F(PaymentFaults, ArcRejectingLeavesEveryCoinSpendable)
{
    const std::string coin = fund(0, {40000});
    struct Rejection {
        int status;
        std::string fixture;
        std::string said;
    };
    const std::vector<Rejection> rejections = {
        {465, "arc-tx-fee-too-low-465.derived.json",
         "HTTP 465 \u2013 Fees are insufficient: arc error 465: transaction fee is too low; "
         "minimum expected fee: 38, actual fee: 20"},
        {463, "arc-tx-rejected-463.json",
         "HTTP 463 \u2013 Transaction is invalid because the outputs are non-existent or invalid: "
         "arc error 463: arc error 463: transaction output 0 satoshis is invalid"},
        {400, "arc-tx-bad-request-400.derived.json",
         "HTTP 400 \u2013 The request seems to be malformed and cannot be processed: error parsing "
         "transactions from request: <parser message>"},
    };
    for (const Rejection& r : rejections) {
        std::ifstream in(fs::path(AGORAN_TEST_DATA_DIR) / "fixtures" / r.fixture, std::ios::binary);
        const std::string body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(body.empty()) << r.fixture;
        devnet().fault("registry", {{"status", 503}, {"body", "down"}});
        devnet().fault("woc", {{"status", 500}, {"body", "Internal Server Error"}});
        devnet().fault("arc", {{"status", r.status}, {"body", body}, {"content_type", "application/json"}});
        const auto result = funding::pay_outputs(session(), to_other(10000));
        devnet().clear_faults();
        EXPECT_EQ(outcome(result), failed(funding::FundingCode::BroadcastRefused, r.said)) << r.fixture;
        EXPECT_EQ(spent_set_size(), 0u) << r.fixture;
        EXPECT_EQ(payments_to_other_on_chain(), 0) << r.fixture;
    }
    const auto paid = funding::pay_outputs(session(), to_other(10000));
    ASSERT_TRUE(paid) << outcome(paid);
    EXPECT_EQ(devnet().get("/woc/v1/bsv/main/tx/" + coin + "/0/spent").json().value("txid", ""), paid->txid);
    EXPECT_EQ(payments_to_other_on_chain(), 1);
}

// The simulator (every service at once) goes away in the middle of a payment, after WhatsOnChain
// took the transaction but before any answer reached the program, and comes back on the same
// address with its state. The payment is recognised on the chain: reported paid, paid once, and
// its change spendable.
TEST_F(PaymentFaults, SimulatorRestartedDuringAPaymentIsRecognisedAndNeverPaidTwice)
{
    // A simulator that keeps its address across a restart.
    const int port = devnet().port();
    testsupport::TempDir state;
    m_devnet->stop();
    m_devnet = testsupport::Devnet::start({{"--port", std::to_string(port)}, state.path() / "state"});
    ASSERT_TRUE(m_devnet);
    ASSERT_EQ(devnet().port(), port);
    ASSERT_TRUE(devnet().write_services(m_data));
    net::reload_current_services();

    const std::string coin = fund(0, {50000});
    devnet().fault("registry", {{"status", 503}, {"body", "down"}});
    devnet().fault("woc", {{"lose_next", 1}});
    devnet().fault("arc", {{"delay_ms", 4000}, {"down", true}});
    const auto mempool_before = devnet().get("/admin/status").json().value("mempool", -1);

    // The simulator restarts the moment WhatsOnChain has taken the transaction (its answer is
    // lost), while the payment goes on; the client goes on forwarding afterwards.
    RestartAfterBroadcast http(devnet());
    start_session(&http);
    session().set_poll_timing({200ms, 40});
    const auto result = funding::pay_outputs(session(), to_other(10000));
    EXPECT_TRUE(http.restarted());
    EXPECT_GT(http.mempool_when_taken(), mempool_before);

    ASSERT_TRUE(result) << outcome(result);
    const std::string txid = result->txid;
    EXPECT_EQ(payments_to_other_on_chain(), 1);
    EXPECT_EQ(devnet().get("/woc/v1/bsv/main/tx/" + coin + "/0/spent").json().value("txid", ""), txid);

    // The next payment spends the change of the first, never the coin it already spent.
    const auto next = funding::pay_outputs(session(), to_other(5000));
    ASSERT_TRUE(next) << outcome(next);
    auto raw = core::hex_decode(chain_hex(next->txid));
    ASSERT_TRUE(raw);
    auto t = tx::tx_parse(*raw);
    ASSERT_TRUE(t);
    for (const auto& in : t->inputs) EXPECT_EQ(in.txid, txid);
    EXPECT_EQ(payments_to_other_on_chain(), 2);
}

// Pursa locks the wallet while the program is running with its keys loaded: the program stops
// using them. The payment is refused with a sentence, nothing is sent, and the locked file is
// never written back in the clear; once unlocked, the payment goes through.
TEST_F(PaymentFaults, WalletLockedByPursaWhileTheProgramRunsStopsPayments)
{
    fund(0, {30000});
    {
        wallet::WalletLock lock;
        ASSERT_TRUE(wallet::wallet_load());
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
        wallet::WalletLock lock;
        return wallet::wallet_key();
    }
};

TEST_F(FileFaults, FullDiskWhileSavingTheWalletFileKeepsTheOldFile)
{
    const fs::path file = path(wallet_rel("w1"));
    const std::string before = file_text(file);
    {
        wallet::WalletLock lock;
        wallet::TvOwnedOrd ord;
        ord.origin = std::string(64, 'a') + "_0";
        wallet::wallet_state().owned.push_back(ord);
        testsupport::FullDisk full;
        EXPECT_FALSE(wallet::wallet_save());
    }
    EXPECT_EQ(file_text(file), before);
    wallet::WalletLock lock;
    EXPECT_TRUE(wallet::wallet_save());
    EXPECT_NE(file_text(file).find(std::string(64, 'a') + "_0"), std::string::npos);
    wallet::wallet_forget();
    EXPECT_TRUE(wallet::wallet_load());
}

TEST_F(FileFaults, FullDiskWhileSavingTheReservesKeepsEveryReserve)
{
    const std::string a = std::string(64, 'a') + "_0";
    const std::string b = std::string(64, 'b') + "_1";
    ASSERT_TRUE(funding::reserve_add(a, "origin-a", 100));
    const fs::path file = funding::reserves_path();
    const std::string before = file_text(file);
    std::string added, bound;
    bool removed = true;
    {
        testsupport::FullDisk full;
        added = outcome(funding::reserve_add(b, "origin-b", 200));
        bound = outcome(funding::reserve_bind_listing(a, std::string(64, 'c')));
        removed = funding::reserve_remove(a);
    }
    EXPECT_EQ(added, failed(funding::FundingCode::ReserveWriteFailed));
    EXPECT_EQ(bound, failed(funding::FundingCode::ReserveUpdateFailed));
    EXPECT_FALSE(removed);
    EXPECT_EQ(file_text(file), before);
    EXPECT_TRUE(temporaries_beside(file).empty());
    ASSERT_EQ(funding::reserve_list().size(), 1u);
    EXPECT_EQ(funding::reserve_list()[0].utxo, a);

    EXPECT_TRUE(funding::reserve_add(b, "origin-b", 200));
    EXPECT_EQ(funding::reserve_list().size(), 2u);
}

TEST_F(FileFaults, FullDiskWhileSavingTheSnapshotsKeepsTheLastOnes)
{
    const std::string k = key();
    const std::string spent_txid(64, 'd');
    {
        wallet::WalletLock lock;
        ASSERT_TRUE(funding::ensure_coin_state(session()));
        funding::add_spent(session(), {{spent_txid, 3, ""}});
        funding::add_pending_change(session(), {std::string(64, 'c'), 1, 5000, receive_address(0)});
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
        wallet::WalletLock lock;
        funding::add_spent(session(), {{std::string(64, 'e'), 0, ""}, {std::string(64, 'c'), 1, ""}});
        testsupport::FullDisk full;
        EXPECT_FALSE(funding::save_snapshots(session()));  // both saves are tried
        EXPECT_FALSE(wallet::write_lot_snapshot(k, lots));
    }
    EXPECT_EQ(file_text(funding::spent_snapshot_path(k)), spent_before);
    EXPECT_EQ(file_text(funding::change_snapshot_path(k)), change_before);
    EXPECT_EQ(file_text(lot_file), lots_before);

    // A restart reads the last good snapshots.
    wallet::WalletLock lock;
    funding::reset_coin_state(session());
    ASSERT_TRUE(funding::ensure_coin_state(session()));
    EXPECT_TRUE(funding::is_spent(session(), spent_txid, 3));
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
    ASSERT_TRUE(funding::reserve_add(a, "origin-a", 100));
    {
        wallet::WalletLock lock;
        ASSERT_TRUE(funding::ensure_coin_state(session()));
        funding::add_spent(session(), {{std::string(64, 'd'), 3, ""}});
        ASSERT_TRUE(funding::save_snapshots(session()));
    }
    const fs::path wallet_file = path(wallet_rel("w1"));
    crash_left_temporary(wallet_file, R"({"mnemonic": "legal winner thank year wave sausage worth useful legal winner thank yel)");
    crash_left_temporary(funding::reserves_path(), R"({"reserves": []})");
    crash_left_temporary(funding::spent_snapshot_path(k), R"({"outpoints": [)");

    // A new process starts.
    wallet::wallet_forget();
    {
        wallet::WalletLock lock;
        ASSERT_TRUE(wallet::wallet_load());
        EXPECT_EQ(wallet::wallet_state().mnemonic.view().substr(0, 7), "abandon");
        ASSERT_TRUE(funding::ensure_coin_state(session()));
        EXPECT_TRUE(funding::is_spent(session(), std::string(64, 'd'), 3));
    }
    ASSERT_EQ(funding::reserve_list().size(), 1u);

    // The next saves go through and leave no temporary of their own behind.
    EXPECT_TRUE(funding::reserve_add(std::string(64, 'b') + "_1", "", 5));
    {
        wallet::WalletLock lock;
        EXPECT_TRUE(funding::save_snapshots(session()));
        EXPECT_TRUE(wallet::wallet_save());
    }
    for (const fs::path& p : {wallet_file, funding::reserves_path(), funding::spent_snapshot_path(k)}) {
        EXPECT_TRUE(temporaries_beside(p).empty()) << p;
    }
    EXPECT_EQ(funding::reserve_list().size(), 2u);
}

} // namespace
