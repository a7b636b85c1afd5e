#include "net/registry_client.h"

#include <gtest/gtest.h>

#include "tests/support/fake_http.h"

namespace registry_client_test {

const std::string REG = "https://registry.test";
const std::string KEY = "02" + std::string(64, 'a');

class RegistryClientTest : public ::testing::Test {
protected:
    testsupport::FakeHttp m_http;
    net::RegistryClient m_reg{REG, "registry.test", m_http};
};

// Ids that are not txids are counted but left out; an answer without the list is refused.
TEST_F(RegistryClientTest, OracleTxidsAndTheirFailures)
{
    const std::string url = REG + "/oi/oracle/agoran/txids?limit=2000&offset=4000";
    m_http.answer(url, 200, R"({"txids":[")" + std::string(64, 'a') + R"(", 5, null, "B", ")" + std::string(64, 'B') + R"("]})");
    auto page = m_reg.oracle_txids("agoran", 2000, 4000);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->entries, 5u);
    EXPECT_EQ(page->txids, (std::vector<tx::Txid>{*tx::Txid::parse(std::string(64, 'a')), *tx::Txid::parse(std::string(64, 'b'))}));
    const std::tuple<long, const char*, net::Failure> failures[] = {
        {200, R"({"ids":[]})", net::Failure::Answer}, {200, "[]", net::Failure::Answer},
        {200, "not json", net::Failure::Answer}, {503, "", net::Failure::Request},
    };
    for (const auto& [status, body, failure] : failures) {
        m_http.answer(url, status, body);
        EXPECT_EQ(m_reg.oracle_txids("agoran", 2000, 4000).failure, failure) << body;
    }
}

// Only a true "ok" is a success; the submission goes once, with a short time-out.
TEST_F(RegistryClientTest, SubmitReadsOk)
{
    for (const char* body : {R"({"ok":true})", R"({"ok":false})", R"({"ok":"true"})", "ok", R"([true])"}) {
        m_http.answer(REG + "/oi/submit", 200, body);
        auto answer = m_reg.submit("0100");
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->ok, body == std::string(R"({"ok":true})")) << body;
        EXPECT_EQ(answer->text, body);
    }
    EXPECT_EQ(m_http.requests().at(0).body, R"({"txhex":"0100"})");
    EXPECT_EQ(m_http.last_post_options.timeout_seconds, 2);
    EXPECT_EQ(m_http.last_post_options.attempts, 1);
}

// Keys are read in lower case and only whole; a handle is escaped in the path; "frozen" counts
// only as a boolean; the oracle's copy of a transaction counts only with its raw hex.
TEST_F(RegistryClientTest, IdentityLookupsAndOracleTransactions)
{
    m_http.answer(REG + "/api/bsvalias/id/alice@registry.test", 200, R"({"publicKey":")" + KEY + "\"}");
    EXPECT_EQ(*m_reg.identity_key("alice"), KEY);
    m_http.answer(REG + "/api/bsvalias/id/bob@registry.test", 200, R"({"pubkey":"02ABCDEF"})");
    EXPECT_EQ(m_reg.identity_key("bob").failure, net::Failure::Answer);
    static_cast<void>(m_reg.identity_key("x/../../architects"));
    EXPECT_EQ(m_http.requests().back().url, REG + "/api/bsvalias/id/x%2F..%2F..%2Farchitects@registry.test");
    m_http.answer(REG + "/api/paymail/identity/" + KEY, 200, R"({"frozen":"yes","frozenNote":"spam"})");
    EXPECT_FALSE(m_reg.identity_status(KEY)->frozen);
    EXPECT_EQ(m_reg.identity_status("zz").failure, net::Failure::Input);
    m_http.answer(REG + "/api/paymail/architects", 200, R"({"pubkeys":["03)" + std::string(64, 'B') + R"(", "short", 7]})");
    EXPECT_EQ(*m_reg.architects(), std::vector<std::string>{"03" + std::string(64, 'b')});

    const std::string mined(64, 'e'), bare(64, 'd');
    m_http.answer(REG + "/oi/tx/" + mined, 200,
                  R"({"txid":")" + mined + R"(","hex":"0100AB","blockhash":"00aa","blockheight":812,"vout":[]})");
    m_http.answer(REG + "/oi/tx/" + bare, 200, R"({"txid":")" + bare + R"(","vout":[]})");
    auto tx = m_reg.oi_tx(mined);
    ASSERT_TRUE(tx);
    EXPECT_EQ(tx->hex, "0100ab");
    EXPECT_EQ(tx->position, (net::ChainPosition{net::ChainPosition::State::Confirmed, 812}));
    EXPECT_EQ(m_reg.oi_tx(bare).failure, net::Failure::Answer);
    EXPECT_EQ(m_reg.oi_tx("../x").failure, net::Failure::Input);
}

} // namespace registry_client_test
