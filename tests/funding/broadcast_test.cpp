// The broadcaster against canned service answers: the order of the services, the reading of
// their answers, never a success that no service took, and never a failure once one took it.
#include <filesystem>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "funding/broadcast.h"
#include "funding/coin_state.h"
#include "wallet/wallet_lock.h"
#include "tests/support/fake_http.h"
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
        m_inputs.push_back(test_input(test_txid('e'), 3));
        m_outputs.push_back({4000, tx::p2pkh_script(core::Hash160{})});
        auto raw = tx::tx_serialize(m_inputs, m_outputs);
        m_hex = core::hex_encode(raw);
        m_txid = tx::tx_id(raw).hex();
    }
    // Broadcasts m_inputs -> m_outputs over services answering as given; the transaction shows
    // once submitted when visible (as shown_hex when given).
    std::string run(net::HttpReply oi, net::HttpReply woc, net::HttpReply arc, bool visible = false, std::string shown_hex = {})
    {
        m_submitted = false;
        m_http = std::make_unique<FakeHttp>([=, this](const std::string& method, const std::string& url, const std::string&) {
            if (method == "POST") {
                m_submitted = true;
                if (m_on_submit) m_on_submit();
                if (url.find("/oi/submit") != std::string::npos) return oi;
                if (url.find("/tx/raw") != std::string::npos) return woc;
                if (url.find("/v1/tx") != std::string::npos) return arc;
            }
            if (url.find("/hex") != std::string::npos && visible && m_submitted) {
                return FakeHttp::reply(200, shown_hex.empty() ? m_hex : shown_hex);
            }
            return FakeHttp::reply(404, "");
        });
        start_session(m_http.get());
        std::optional<wallet::WalletLock> held;
        if (m_hold_lock) held.emplace(ws());  // as offer completion holds it
        tx::Txid txid;
        std::string result = outcome(funding::broadcast_tx(session(), m_inputs, m_outputs, std::nullopt, txid));
        EXPECT_EQ(txid.hex(), m_txid);
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
    // The hex shown for the txid may be another transaction's: sent, not confirmed.
    const std::string other_hex = core::hex_encode(tx::tx_serialize(m_inputs, {{3999, tx::p2pkh_script(core::Hash160{})}}));
    struct Row {
        const char* oi;  // the oracle index's answer; null: unreachable
        net::HttpReply woc;
        size_t woc_posts;
        std::string shown_hex;
    };
    const std::vector<Row> rows = {
        {R"({"ok": true})", FakeHttp::unreachable(), 0, ""},
        {R"({"ok": false})", FakeHttp::reply(200, "\"" + std::string(64, 'f') + "\"\n"), 1, ""},
        {R"({"ok": "true"})", FakeHttp::reply(200, m_txid), 1, ""},
        {nullptr, FakeHttp::reply(400, "257: txn-already-known"), 1, ""},
        {nullptr, FakeHttp::reply(400, "Transaction already in the mempool"), 1, ""},
        {nullptr, FakeHttp::reply(200, m_txid), 1, other_hex},
    };
    for (const Row& row : rows) {
        const auto oi = row.oi ? FakeHttp::reply(200, row.oi) : FakeHttp::unreachable();
        EXPECT_EQ(run(oi, row.woc, FakeHttp::unreachable(), true, row.shown_hex),
                  sent(m_txid, row.shown_hex.empty()))
            << row.woc.body;
        EXPECT_EQ(m_http->count("/tx/raw"), row.woc_posts) << row.woc.body;
        EXPECT_EQ(m_http->count("/v1/tx"), row.shown_hex.empty() ? 0u : 1u) << row.woc.body;  // unconfirmed: ARC too
        if (row.woc_posts && row.oi) {
            EXPECT_NE(m_http->urls()[1].find("/tx/raw"), std::string::npos) << row.oi;
        }
    }
}

// Nobody took it: refused, with ARC's reason (as its client words it) or the client's.
TEST_F(Broadcast, RefusalsCarryArcsReason)
{
    for (const auto& [arc, reason] : {std::pair{FakeHttp::reply(200, arc_answer("REJECTED", "Missing inputs")), "REJECTED: Missing inputs"},
                                      std::pair{FakeHttp::unreachable(), "Couldn't connect to server"}}) {
        EXPECT_EQ(run(FakeHttp::unreachable(), FakeHttp::reply(400, "Missing inputs"), arc), failed(funding::FundingCode::BroadcastRefused, reason));
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
        funding::reset_coin_state(session());
        std::filesystem::remove_all(path("ord_snap"));
        EXPECT_EQ(run(row.oi, row.woc, row.arc), sent(m_txid, false)) << row.taker;
        EXPECT_EQ(m_http->count("/hex"), row.looks) << row.taker;
        wallet::WalletLock lock(ws());
        EXPECT_TRUE(funding::is_spent(session(), m_inputs[0].txid, 3)) << row.taker;
        EXPECT_EQ(session().coins().last_recorded_txid, test_txid(m_txid)) << row.taker;
    }
}

// The services are asked with the wallet lock let go, also by a caller that holds it, and the
// inputs are kept from other payments meanwhile; the outcome is recorded once the lock is back:
// of a two-party transaction (a completed sale), only this wallet's output becomes its change.
TEST_F(Broadcast, TheNetworkIsAskedWithTheWalletLockLetGoAndTheInputsKeptAside)
{
    bind_wallet();
    m_outputs = {{35000, tx::p2pkh_script(*core::hash160_from_address(receive_address(1)))},
                 {14000, tx::p2pkh_script(fundingtest::OtherParty{}.hash)}};
    const auto raw = tx::tx_serialize(m_inputs, m_outputs);
    m_txid = tx::tx_id(raw).hex();
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
    m_hold_lock = true;
    EXPECT_EQ(run(FakeHttp::unreachable(), FakeHttp::reply(400, "Missing inputs"), FakeHttp::reply(200, arc_answer("SEEN_ON_NETWORK", ""))),
              sent(m_txid, false));
    EXPECT_EQ(submissions, 3u);
    EXPECT_EQ(lock_free, submissions);
    EXPECT_EQ(kept_aside, submissions);
    EXPECT_TRUE(funding::is_spent(session(), m_inputs[0].txid, 3));
    EXPECT_EQ(session().coins().sending.count(input), 0u);
    ASSERT_EQ(session().coins().change.size(), 1u);
    EXPECT_EQ(session().coins().change[0].vout, 0u);
    EXPECT_EQ(session().coins().change[0].addr, receive_address(1));
}

// Nothing is asked of any service for a transaction that cannot be written.
TEST_F(Broadcast, UnserialisableTransactionAsksNothing)
{
    m_outputs[0].value = -1;
    m_http = std::make_unique<FakeHttp>();
    start_session(m_http.get());
    tx::Txid txid = *tx::Txid::parse(std::string(64, 'a'));
    EXPECT_EQ(outcome(funding::broadcast_tx(session(), m_inputs, m_outputs, std::nullopt, txid)),
              failed(funding::FundingCode::SerializeFailed));
    EXPECT_TRUE(txid.is_null());
    EXPECT_TRUE(m_http->urls().empty());
}

} // namespace
