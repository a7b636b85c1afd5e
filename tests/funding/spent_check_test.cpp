// Which inputs of a refused payment are really gone, as WhatsOnChain answers for each of them.
#include <gtest/gtest.h>

#include "funding/chain_clients.h"
#include "funding/spent_check.h"
#include "tests/support/fake_http.h"
#include "tests/funding/funding_fixture.h"
#include "tests/support/test_txid.h"

namespace {

using testsupport::FakeHttp;

class SpentCheck : public fundingtest::FundingTest {
protected:
    // Input n spends txid "n…n":0; the answer for each input is picked by its first digit.
    static tx::TxInput input(char digit)
    {
        tx::TxInput in;
        in.txid = test_txid(digit);
        in.vout = 0;
        return in;
    }

    funding::SpentVerdict ask(const std::vector<tx::TxInput>& inputs, std::map<char, net::HttpReply> answers,
                              const std::vector<std::string>& own = {})
    {
        m_http = std::make_unique<FakeHttp>([answers](const std::string&, const std::string& url, const std::string&) {
            auto at = url.find("/tx/");
            if (at == std::string::npos || url.find("/spent") == std::string::npos) return FakeHttp::reply(500, "");
            auto it = answers.find(url[at + 4]);
            return it == answers.end() ? FakeHttp::unreachable() : it->second;
        });
        start_session(m_http.get());
        std::vector<tx::Txid> own_txids;
        for (const auto& txid : own) own_txids.push_back(test_txid(txid));
        return funding::check_spent_inputs(session(), inputs, own_txids);
    }

    static net::HttpReply spent_by(const std::string& txid)
    {
        return FakeHttp::reply(200, nlohmann::json{{"txid", txid}, {"vin", 0}, {"status", "confirmed"}}.dump());
    }

    std::unique_ptr<FakeHttp> m_http;
};

TEST_F(SpentCheck, OnlyInputsShownSpentAreGone)
{
    auto verdict = ask({input('1'), input('2'), input('3'), input('4')},
                       {{'1', FakeHttp::reply(404, "")},           // unspent
                        {'2', spent_by(std::string(64, 'f'))},      // spent elsewhere
                        {'3', FakeHttp::reply(400, "unknown")},   // unknown to the service: not shown spent
                        {'4', FakeHttp::reply(404, "")}});
    EXPECT_EQ(verdict.gone, (std::vector<size_t>{1}));
    EXPECT_EQ(verdict.unspent, (std::vector<size_t>{0, 3}));
    EXPECT_EQ(verdict.unknown, (std::vector<size_t>{2}));
    EXPECT_TRUE(verdict.unanswered.empty());
    EXPECT_TRUE(verdict.dead);  // spent by another transaction: that attempt can never confirm
    EXPECT_FALSE(verdict.settled);
}

TEST_F(SpentCheck, AFailedQuestionLeavesTheInputUnanswered)
{
    // Down, a server error, and an answer that names no spender: none of them shows the
    // input spent, so none may put it in the spent set for good.
    auto verdict = ask({input('1'), input('2'), input('3'), input('4')},
                       {{'1', FakeHttp::unreachable()},
                        {'2', FakeHttp::reply(503, "busy")},
                        {'3', FakeHttp::reply(200, R"({"vin": 0})")},
                        {'4', spent_by(std::string(64, 'f'))}});
    EXPECT_EQ(verdict.gone, (std::vector<size_t>{3}));
    EXPECT_EQ(verdict.unanswered, (std::vector<size_t>{0, 1, 2}));
}

TEST_F(SpentCheck, SpentByOneOfThePaymentsOwnTransactionsSettlesIt)
{
    const std::string own = std::string(64, 'c');
    auto verdict = ask({input('1'), input('2')}, {{'1', FakeHttp::reply(404, "")}, {'2', spent_by(own)}},
                       {std::string(64, 'b'), own});
    ASSERT_TRUE(verdict.settled);
    EXPECT_EQ(verdict.settled->hex(), own);
    EXPECT_FALSE(verdict.dead);
    EXPECT_FALSE(ask({input('2')}, {{'2', spent_by(std::string(64, 'd'))}}, {own}).settled);
}

} // namespace
