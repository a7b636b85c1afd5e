// The broadcaster against canned service answers: the order of the services, the reading of
// their answers, never a success that no service took, and never a failure once one took it.
#include <filesystem>
#include <thread>
#include <functional>

#include <gtest/gtest.h>

#include "funding/broadcast.h"
#include "funding/coin_state.h"
#include "funding/outpoint_text.h"
#include "wallet/wallet_key.h"
#include "wallet/wallet_lock.h"
#include "tests/support/fake_http.h"
#include "tests/support/fake_session.h"
#include "tests/support/funding_outcome.h"
#include "tests/funding/funding_fixture.h"
#include "tests/support/test_txid.h"

namespace {

using testsupport::failed;
using testsupport::FakeHttp;
using testsupport::outcome;
using testsupport::sent;

class Broadcast : public fundingtest::FundingTest {
protected:
    void SetUp() override
    {
        FundingTest::SetUp();
        tx::TxInput in;
        in.txid = test_txid('e');
        in.vout = 3;
        m_inputs.push_back(in);
        m_outputs.push_back({4000, tx::p2pkh_script(core::Hash160{})});
        auto raw = tx::tx_serialize(m_inputs, m_outputs);
        m_hex = core::hex_encode(raw);
        m_txid = tx::tx_id(raw).hex();
    }
    // Handler pieces: which service answers what. visible: whether the transaction shows.
    struct Script {
        net::HttpReply oi = FakeHttp::unreachable();
        net::HttpReply woc = FakeHttp::unreachable();
        net::HttpReply arc = FakeHttp::unreachable();
        bool visible_after_submit = false;
        std::string shown_hex;  // what "/hex" answers when visible; the sent transaction by default
    };

    std::string run(Script script, std::string* txid_out = nullptr)
    {
        m_http = std::make_unique<FakeHttp>([this, script](const std::string& method, const std::string& url, const std::string&) {
            if (method == "POST") {
                m_submitted = true;
                if (m_on_submit) m_on_submit();
                if (url.find("/oi/submit") != std::string::npos) return script.oi;
                if (url.find("/tx/raw") != std::string::npos) return script.woc;
                if (url.find("/v1/tx") != std::string::npos) return script.arc;
            }
            if (url.find("/hex") != std::string::npos && script.visible_after_submit && m_submitted) {
                return FakeHttp::reply(200, script.shown_hex.empty() ? m_hex : script.shown_hex);
            }
            return FakeHttp::reply(404, "");
        });
        start_session(m_http.get());
        std::optional<wallet::WalletLock> held;
        if (m_hold_lock) held.emplace(ws());  // as offer completion holds it
        std::string txid;
        std::string result = outcome(funding::broadcast_tx(session(), m_inputs, m_outputs, std::nullopt, txid));
        EXPECT_EQ(txid, m_txid);
        if (txid_out) *txid_out = txid;
        EXPECT_EQ(wallet::wallet_lock_levels(ws()), m_hold_lock ? 1u : 0u);
        return result;
    }

    std::string arc_answer(const std::string& status, const std::string& extra) const
    {
        return nlohmann::json{{"txStatus", status}, {"extraInfo", extra}, {"txid", m_txid}}.dump();
    }

    std::vector<tx::TxInput> m_inputs;
    std::vector<tx::TxOutput> m_outputs;
    std::string m_hex;
    std::string m_txid;
    bool m_submitted = false;
    bool m_hold_lock = false;  // run() holds the wallet lock around the broadcast
    std::function<void()> m_on_submit;  // runs inside each submission, on the broadcasting thread
    std::unique_ptr<FakeHttp> m_http;
};

// The oracle index first: when it takes the transaction (ok: true, nothing else) no other
// service is asked; otherwise WhatsOnChain at once, without a look for the transaction between.
// WhatsOnChain's "already known" refusals are confirmed by a look.
TEST_F(Broadcast, ServicesInTurnUntilOneTakesIt)
{
    struct Row {
        const char* oi;  // the oracle index's answer; null: unreachable
        net::HttpReply woc;
        size_t woc_posts;
    };
    const std::vector<Row> rows = {
        {R"({"ok": true})", FakeHttp::unreachable(), 0},
        {R"({"ok": false})", FakeHttp::reply(200, "\"" + std::string(64, 'f') + "\"\n"), 1},
        {R"({"ok": "true"})", FakeHttp::reply(200, m_txid), 1},
        {nullptr, FakeHttp::reply(400, "257: txn-already-known"), 1},
        {nullptr, FakeHttp::reply(400, "258: txn-mempool-conflict"), 1},
        {nullptr, FakeHttp::reply(400, "Transaction already in the mempool"), 1},
    };
    for (const Row& row : rows) {
        m_submitted = false;
        Script s;
        if (row.oi) s.oi = FakeHttp::reply(200, row.oi);
        s.woc = row.woc;
        s.visible_after_submit = true;
        EXPECT_EQ(run(s), sent(m_txid)) << row.woc.body;
        EXPECT_EQ(m_http->count("/tx/raw"), row.woc_posts) << row.woc.body;
        EXPECT_EQ(m_http->count("/v1/tx"), 0u) << row.woc.body;
        if (row.woc_posts && row.oi) {
            EXPECT_NE(m_http->urls()[1].find("/tx/raw"), std::string::npos) << row.oi;
        }
    }
}

// Nobody took it: the refusal names ARC's reason (its status and extraInfo), or the client's.
TEST_F(Broadcast, RefusalsCarryArcsReason)
{
    const std::vector<std::pair<net::HttpReply, std::string>> rows = {
        {FakeHttp::reply(200, arc_answer("SEEN_IN_ORPHAN_MEMPOOL", "parent not found")),
         "SEEN_IN_ORPHAN_MEMPOOL: parent not found"},
        {FakeHttp::reply(200, arc_answer("REJECTED", "Missing inputs")), "REJECTED: Missing inputs"},
        {FakeHttp::reply(200, "<html>"), "bad arc response"},
        {FakeHttp::unreachable(), "Couldn't connect to server"},
    };
    for (const auto& [arc, expected] : rows) {
        m_submitted = false;
        Script s;
        s.woc = FakeHttp::reply(400, "Missing inputs");
        s.arc = arc;
        EXPECT_EQ(run(s), failed(funding::FundingCode::BroadcastRefused, expected));
    }
}

// A service took the transaction but WhatsOnChain never shows it (WhatsOnChain refusing the
// broadcast as "Missing inputs", say, because another service was quicker): it is out, so it is
// reported sent and its inputs are spent for good; paying again would pay twice.
TEST_F(Broadcast, ATransactionAServiceTookIsSentEvenWhenWhatsOnChainNeverShowsIt)
{
    bind_wallet();
    const auto missing = FakeHttp::reply(400, "Missing inputs");
    const auto arc_refusal = FakeHttp::reply(200, arc_answer("REJECTED", "Missing inputs"));
    struct Row {
        const char* taker;
        net::HttpReply oi, woc, arc;
        size_t looks;  // eight after the first service that takes it, one after each other
    };
    const std::vector<Row> rows = {
        {"oracle index", FakeHttp::reply(200, R"({"ok": true})"), missing, arc_refusal, 8},
        {"whatsonchain", FakeHttp::reply(200, R"({"ok": false})"), FakeHttp::reply(200, m_txid), arc_refusal, 8},
        {"arc", FakeHttp::unreachable(), missing, FakeHttp::reply(200, arc_answer("ANNOUNCED_TO_NETWORK", "")), 8},
        {"all", FakeHttp::reply(200, R"({"ok": true})"), FakeHttp::reply(200, m_txid),
         FakeHttp::reply(200, arc_answer("SEEN_ON_NETWORK", "")), 10},
    };
    for (const auto& row : rows) {
        m_submitted = false;
        funding::reset_coin_state(session());
        std::filesystem::remove_all(path("ord_snap"));
        Script s;
        s.oi = row.oi;
        s.woc = row.woc;
        s.arc = row.arc;
        EXPECT_EQ(run(s), sent(m_txid, false)) << row.taker;
        EXPECT_EQ(m_http->count("/hex"), row.looks) << row.taker;
        wallet::WalletLock lock(ws());
        EXPECT_TRUE(funding::is_spent(session(), m_inputs[0].txid, 3)) << row.taker;
        EXPECT_EQ(session().coins().last_recorded_txid, test_txid(m_txid)) << row.taker;
    }
}

// The services are asked with the wallet lock let go, also by a caller that holds it, and the
// inputs are kept from other payments meanwhile; the outcome is recorded once the lock is back.
TEST_F(Broadcast, TheNetworkIsAskedWithTheWalletLockLetGoAndTheInputsKeptAside)
{
    bind_wallet();
    const tx::Outpoint input{m_inputs[0].txid, 3};
    size_t submissions = 0, lock_free = 0, kept_aside = 0;
    m_on_submit = [&] {
        ++submissions;
        std::thread other([&] {
            if (!ws().lock_mutex().try_lock()) return;
            ++lock_free;
            kept_aside += session().coins().sending.count(input);
            ws().lock_mutex().unlock();
        });
        other.join();
    };
    Script s;
    s.woc = FakeHttp::reply(400, "Missing inputs");
    s.arc = FakeHttp::reply(200, arc_answer("SEEN_ON_NETWORK", ""));
    m_hold_lock = true;
    EXPECT_EQ(run(s), sent(m_txid, false));
    EXPECT_EQ(submissions, 3u);
    EXPECT_EQ(lock_free, submissions);
    EXPECT_EQ(kept_aside, submissions);
    EXPECT_TRUE(funding::is_spent(session(), m_inputs[0].txid, 3));
    EXPECT_EQ(session().coins().sending.count(input), 0u);
}

// Two sessions in one process, each over its own services and HTTP client: a broadcast goes only
// to its session's services and is remembered only in its session's memory. The wallet's files
// are shared: a session that loads the wallet again reads what both recorded.
TEST_F(Broadcast, TwoSessionsShareNeitherServicesNorMemory)
{
    bind_wallet();
    struct Side {
        std::unique_ptr<testsupport::FakeSession> fake;
        std::string base, txid;
        std::vector<tx::TxInput> inputs;
    };
    std::vector<Side> sides(2);
    for (size_t i = 0; i < sides.size(); ++i) {
        Side& side = sides[i];
        side.base = std::string("https://") + char('a' + i) + ".example";
        net::ServiceConfig services;
        services.woc_api = side.base + "/woc";
        services.arc = side.base + "/arc";
        services.registry = side.base + "/registry";
        side.fake = std::make_unique<testsupport::FakeSession>(services);
        wallet::register_app(side.fake->session.wallet(), "/opt/agoran", "Agoran");
        side.inputs = m_inputs;
        side.inputs[0].txid = test_txid(char('a' + i));
        const auto raw = tx::tx_serialize(side.inputs, m_outputs);
        side.txid = tx::tx_id(raw).hex();
        side.fake->http.answer(services.woc_api + "/tx/raw", 200, side.txid);
        side.fake->http.answer(services.woc_api + "/tx/" + side.txid + "/hex", 200, core::hex_encode(raw));
    }
    for (size_t i = 0; i < sides.size(); ++i) {
        std::string txid;
        EXPECT_EQ(outcome(funding::broadcast_tx(sides[i].fake->session, sides[i].inputs, m_outputs, std::nullopt, txid)),
                  sent(sides[i].txid));
        if (i == 0) {
            EXPECT_TRUE(sides[1].fake->http.urls().empty());
        }
    }
    for (const Side& side : sides) {
        for (const auto& url : side.fake->http.urls()) EXPECT_EQ(url.rfind(side.base, 0), 0u) << url;
        wallet::WalletLock lock(side.fake->session.wallet());
        const funding::CoinState& coins = side.fake->session.coins();
        EXPECT_EQ(coins.last_recorded_txid, test_txid(side.txid));
        EXPECT_EQ(coins.last_confirmed_txid, test_txid(side.txid));
        EXPECT_TRUE(funding::is_spent(side.fake->session, side.inputs[0].txid, 3));
    }

    for (const Side& side : sides) {
        wallet::WalletSession& wallet = side.fake->session.wallet();
        wallet::WalletLock lock(wallet);
        wallet::wallet_forget(wallet);
        EXPECT_TRUE(side.fake->session.coins().key.empty());
        ASSERT_TRUE(wallet::wallet_load(wallet));
        EXPECT_EQ(side.fake->session.coins().key, wallet::wallet_key(wallet));
        EXPECT_FALSE(side.fake->session.coins().last_recorded_txid);
        for (const Side& any : sides) EXPECT_TRUE(funding::is_spent(side.fake->session, any.inputs[0].txid, 3));
    }
}

TEST_F(Broadcast, AnotherTransactionsHexIsNoConfirmation)
{
    Script s;
    s.woc = FakeHttp::reply(200, m_txid);
    s.visible_after_submit = true;
    s.shown_hex = core::hex_encode(tx::tx_serialize(m_inputs, {{3999, tx::p2pkh_script(core::Hash160{})}}));
    // WhatsOnChain took it, but the hex it shows is another transaction's: sent, not confirmed.
    EXPECT_EQ(run(s), sent(m_txid, false));
}

// Nothing is asked of any service for a transaction that cannot be written.
TEST_F(Broadcast, UnserialisableTransactionAsksNothing)
{
    m_outputs[0].value = -1;
    m_http = std::make_unique<FakeHttp>();
    start_session(m_http.get());
    std::string txid = "stale";
    EXPECT_EQ(outcome(funding::broadcast_tx(session(), m_inputs, m_outputs, std::nullopt, txid)),
              failed(funding::FundingCode::SerializeFailed));
    EXPECT_EQ(txid, "");
    EXPECT_TRUE(m_http->urls().empty());
}

} // namespace
