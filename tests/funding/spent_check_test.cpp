// Which inputs of a refused payment are really gone, as WhatsOnChain answers for each of them.
#include <gtest/gtest.h>

#include "funding/spent_check.h"
#include "tests/funding/funding_fixture.h"
#include "tests/support/test_txid.h"
#include "tests/support/fake_http.h"

namespace {

using testsupport::FakeHttp;

class SpentCheck : public fundingtest::FundingTest {
protected:
    // Input i spends "c…c":0, c its digit; the answer for each input is picked by that digit.
    funding::SpentVerdict ask(std::map<char, net::HttpReply> answers, const std::vector<std::string>& own = {})
    {
        std::vector<tx::TxInput> inputs;
        for (const auto& [digit, reply] : answers) inputs.push_back(test_input(test_txid(digit)));
        m_http = std::make_unique<FakeHttp>([answers](const std::string&, const std::string& url, const std::string&) {
            auto at = url.find("/tx/");
            if (at == std::string::npos || url.find("/spent") == std::string::npos) return FakeHttp::reply(500, "");
            return answers.at(url[at + 4]);
        });
        start_session(m_http.get());
        std::vector<tx::Txid> own_txids;
        for (const auto& txid : own) own_txids.push_back(test_txid(txid));
        return funding::check_spent_inputs(session(), inputs, own_txids);
    }

    static net::HttpReply spent_by(char digit)
    {
        return FakeHttp::reply(200, nlohmann::json{{"txid", std::string(64, digit)}, {"vin", 0}, {"status", "confirmed"}}.dump());
    }

    std::unique_ptr<FakeHttp> m_http;
};

// Only an answer naming a spender shows an input gone; a failed question (down, a server
// error, an answer naming no spender) leaves it unanswered, never spent for good. Spent by one
// of the payment's own transactions, it settles the payment instead.
TEST_F(SpentCheck, OnlyInputsShownSpentAreGone)
{
    auto verdict = ask({{'1', FakeHttp::reply(404, "")},
                        {'2', spent_by('f')},
                        {'3', FakeHttp::reply(400, "unknown")},
                        {'4', FakeHttp::unreachable()},
                        {'5', FakeHttp::reply(503, "busy")},
                        {'6', FakeHttp::reply(200, R"({"vin": 0})")},
                        {'7', FakeHttp::reply(404, "")}});
    EXPECT_EQ(verdict.unspent, (std::vector<size_t>{0, 6}));
    EXPECT_EQ(verdict.gone, (std::vector<size_t>{1}));
    EXPECT_EQ(verdict.unknown, (std::vector<size_t>{2}));
    EXPECT_EQ(verdict.unanswered, (std::vector<size_t>{3, 4, 5}));
    EXPECT_TRUE(verdict.dead);  // spent by another transaction: that attempt can never confirm
    EXPECT_FALSE(verdict.settled);

    const std::string own(64, 'c');
    verdict = ask({{'1', FakeHttp::reply(404, "")}, {'2', spent_by('c')}}, {std::string(64, 'b'), own});
    ASSERT_TRUE(verdict.settled);
    EXPECT_EQ(verdict.settled->hex(), own);
    EXPECT_FALSE(verdict.dead);
    EXPECT_FALSE(ask({{'2', spent_by('d')}}, {own}).settled);
}

} // namespace
