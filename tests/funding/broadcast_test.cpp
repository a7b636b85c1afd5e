// The broadcaster against canned service answers: the order of the services, the reading of
// their answers, and never a success that WhatsOnChain does not show.
#include <gtest/gtest.h>

#include "funding/broadcast.h"
#include "tests/funding/fake_http.h"
#include "tests/funding/funding_fixture.h"

namespace {

using fundingtest::FakeHttp;

class Broadcast : public fundingtest::FundingTest {
protected:
    void SetUp() override
    {
        FundingTest::SetUp();
        net::set_current_services(net::ServiceConfig{});
        tx::TxInput in;
        in.txid = std::string(64, 'e');
        in.vout = 3;
        m_inputs.push_back(in);
        m_outputs.push_back({4000, tx::p2pkh_script(core::Hash160{})});
        auto raw = tx::tx_serialize(m_inputs, m_outputs);
        m_hex = core::hex_encode(raw);
        m_txid = tx::tx_id(raw);
    }
    void TearDown() override
    {
        funding::set_funding_http(nullptr);
        FundingTest::TearDown();
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
                if (url.find("/oi/submit") != std::string::npos) return script.oi;
                if (url.find("/tx/raw") != std::string::npos) return script.woc;
                if (url.find("/v1/tx") != std::string::npos) return script.arc;
            }
            if (url.find("/hex") != std::string::npos && script.visible_after_submit && m_submitted) {
                return FakeHttp::answer(200, script.shown_hex.empty() ? m_hex : script.shown_hex);
            }
            return FakeHttp::answer(404, "");
        });
        funding::set_funding_http(m_http.get());
        std::string txid;
        std::string result = funding::broadcast_tx(m_inputs, m_outputs, std::nullopt, txid);
        EXPECT_EQ(txid, m_txid);
        if (txid_out) *txid_out = txid;
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
    std::unique_ptr<FakeHttp> m_http;
};

TEST_F(Broadcast, OracleIndexThatTakesItIsConfirmedOnWhatsOnChain)
{
    Script s;
    s.oi = FakeHttp::answer(200, R"({"ok": true})");
    s.visible_after_submit = true;
    EXPECT_EQ(run(s), "success: " + m_txid);
    EXPECT_EQ(m_http->count("/tx/raw"), 0u);
    EXPECT_EQ(m_http->count("/v1/tx"), 0u);
}

TEST_F(Broadcast, OracleIndexOkFalseGoesStraightToWhatsOnChainWithoutPolling)
{
    Script s;
    s.oi = FakeHttp::answer(200, R"({"ok": false})");
    s.woc = FakeHttp::answer(200, "\"" + std::string(64, 'f') + "\"\n");
    s.visible_after_submit = true;
    EXPECT_EQ(run(s), "success: " + m_txid);
    auto log = m_http->log();
    ASSERT_GE(log.size(), 3u);
    EXPECT_NE(log[0].find("/oi/submit"), std::string::npos);
    EXPECT_NE(log[1].find("/tx/raw"), std::string::npos);  // no look for the transaction in between
    EXPECT_EQ(m_http->count("/v1/tx"), 0u);
}

TEST_F(Broadcast, OracleIndexOkAsTextIsNotTaken)
{
    Script s;
    s.oi = FakeHttp::answer(200, R"({"ok": "true"})");
    s.woc = FakeHttp::answer(200, m_txid);
    s.visible_after_submit = true;
    EXPECT_EQ(run(s), "success: " + m_txid);
    EXPECT_NE(m_http->log()[1].find("/tx/raw"), std::string::npos);
}

TEST_F(Broadcast, AlreadyKnownToWhatsOnChainIsConfirmedByLookup)
{
    for (const char* refusal : {"257: txn-already-known", "258: txn-mempool-conflict", "Transaction already in the mempool"}) {
        m_submitted = false;
        Script s;
        s.woc = FakeHttp::answer(400, refusal);
        s.visible_after_submit = true;
        EXPECT_EQ(run(s), "success: " + m_txid) << refusal;
        EXPECT_EQ(m_http->count("/v1/tx"), 0u) << refusal;
    }
}

TEST_F(Broadcast, ArcRejectionCarriesStatusAndExtraInfo)
{
    Script s;
    s.woc = FakeHttp::answer(500, "unexpected");
    s.arc = FakeHttp::answer(200, arc_answer("SEEN_IN_ORPHAN_MEMPOOL", "parent not found"));
    EXPECT_EQ(run(s), "error: broadcast failed: SEEN_IN_ORPHAN_MEMPOOL: parent not found");
}

TEST_F(Broadcast, ArcSilenceLeavesTheWhatsOnChainError)
{
    Script s;
    s.woc = FakeHttp::answer(400, "Missing inputs");
    s.arc = FakeHttp::answer(200, arc_answer("ANNOUNCED_TO_NETWORK", ""));
    EXPECT_EQ(run(s), "error: broadcast failed: HTTP 400 – Missing inputs");
}

TEST_F(Broadcast, UnparseableArcAnswer)
{
    Script s;
    s.arc = FakeHttp::answer(200, "<html>");
    EXPECT_EQ(run(s), "error: broadcast failed: bad arc response");
}

TEST_F(Broadcast, AcceptedEverywhereButNeverShownIsNoSuccess)
{
    Script s;
    s.oi = FakeHttp::answer(200, R"({"ok": true})");
    s.woc = FakeHttp::answer(200, m_txid);
    s.arc = FakeHttp::answer(200, arc_answer("SEEN_ON_NETWORK", ""));
    EXPECT_EQ(run(s), "error: the network did not take that transaction. Nothing was sent.");
    EXPECT_EQ(m_http->count("/hex"), 24u);  // eight looks after each of the three claims
}

TEST_F(Broadcast, AnotherTransactionsHexIsNoConfirmation)
{
    Script s;
    s.woc = FakeHttp::answer(200, m_txid);
    s.visible_after_submit = true;
    s.shown_hex = core::hex_encode(tx::tx_serialize(m_inputs, {{3999, tx::p2pkh_script(core::Hash160{})}}));
    EXPECT_EQ(run(s).rfind("error: ", 0), 0u);
}

TEST_F(Broadcast, UnserialisableTransaction)
{
    m_inputs[0].txid = "short";
    m_http = std::make_unique<FakeHttp>([](const std::string&, const std::string&, const std::string&) { return FakeHttp::unreachable(); });
    funding::set_funding_http(m_http.get());
    std::string txid = "stale";
    EXPECT_EQ(funding::broadcast_tx(m_inputs, m_outputs, std::nullopt, txid), "error: serialize failed.");
    EXPECT_EQ(txid, "");
    EXPECT_TRUE(m_http->log().empty());
}

TEST_F(Broadcast, ConfirmNeedsAWholeTxid)
{
    m_http = std::make_unique<FakeHttp>([](const std::string&, const std::string&, const std::string&) { return FakeHttp::unreachable(); });
    funding::set_funding_http(m_http.get());
    EXPECT_EQ(funding::confirm_tx("abc"), "");
    EXPECT_EQ(funding::confirm_tx(std::string(64, 'g')), "");
    EXPECT_TRUE(m_http->log().empty());
}

} // namespace
