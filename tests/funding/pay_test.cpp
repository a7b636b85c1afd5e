// The payment pipeline against the simulator: change and its memory, and every retry branch
// driven by the simulator's fault injection. (Named Pay.*: the thread sanitizer run picks the
// payment tests by name.)
#include <atomic>
#include <set>

#include <gtest/gtest.h>

#include "core/json_get.h"
#include "funding/offer_locks.h"
#include "funding/pay.h"
#include "funding/refresh.h"
#include "tests/funding/funding_fixture.h"
#include "tests/support/test_txid.h"
#include "tests/support/fake_http.h"
#include "tests/support/funding_outcome.h"
#include "tx/outpoint.h"
#include "tx/parse.h"
#include "wallet/balance.h"
#include "wallet/wallet_key.h"
#include "wallet/wallet_lock.h"

namespace {

using funding::FundingCode;
using testsupport::FakeHttp;
using testsupport::failed;
using testsupport::outcome;
using Outpoints = std::set<std::string>;

class Pay : public fundingtest::FundingDevnetTest {
protected:
    // The transaction a payment sent, from the simulator.
    tx::Transaction paid(const funding::FundingResult<funding::Paid>& result)
    {
        EXPECT_TRUE(result) << outcome(result);
        auto raw = result ? core::hex_decode(chain_hex(result->txid.hex())) : std::nullopt;
        auto tx = raw ? tx::tx_parse(*raw) : std::nullopt;
        EXPECT_TRUE(tx);
        return tx ? *tx : tx::Transaction{};
    }

    static Outpoints inputs_of(const tx::Transaction& t)
    {
        Outpoints out;
        for (const auto& in : t.inputs) out.insert(tx::format_outpoint(in.txid, in.vout));
        return out;
    }

    // The coins of receive address 0 in the order the program's cache holds them.
    std::vector<funding::CachedCoin> cached_coins()
    {
        wallet::WalletLock lock(ws());
        EXPECT_EQ(outcome(funding::refresh_coins(session())), "done");
        return session().coins().lists[receive_address(0)].coins;
    }

    std::string snapshot(const char* which)
    {
        wallet::WalletLock lock(ws());
        return "ord_snap/" + wallet::wallet_key(ws()) + "_" + which + ".json";
    }
};

// A payment's change and spent coin are remembered in memory and in the wallet's snapshots
// (damaged ones are replaced), read back by a program started afterwards; the change is let go
// once the chain lists it.
TEST_F(Pay, RemembersItsChangeAcrossARestartUntilTheChainListsIt)
{
    write_text(snapshot("spent"), "[1,2");
    write_json(snapshot("change"), {{"coins", {{{"txid", "zz"}, {"vout", 0}, {"sats", 5}}}}});
    std::string funding_txid = fund(0, {50000});
    auto result = funding::pay_outputs(session(), to_other(10000));
    auto t = paid(result);
    ASSERT_EQ(t.outputs.size(), 2u);
    EXPECT_EQ(t.outputs[0].value, 10000);
    EXPECT_EQ(t.outputs[1].script, tx::p2pkh_script(*core::hash160_from_address(receive_address(0))));
    EXPECT_EQ(inputs_of(t), Outpoints{funding_txid + "_0"});
    EXPECT_EQ(read_json(snapshot("spent"))["outpoints"], nlohmann::json::array({funding_txid + ":0"}));
    EXPECT_EQ(read_json(snapshot("change"))["coins"],
              nlohmann::json::array({{{"txid", result->txid.hex()}, {"vout", 1}, {"sats", t.outputs[1].value}, {"addr", receive_address(0)}}}));

    wallet::wallet_forget(ws());  // the program ends; a new one starts
    ASSERT_TRUE(wallet::wallet_load(ws()));
    wallet::WalletLock lock(ws());
    ASSERT_TRUE(funding::ensure_coin_state(session()));
    EXPECT_TRUE(funding::is_spent(session(), test_txid(funding_txid), 0));
    ASSERT_EQ(session().coins().change.size(), 1u);
    EXPECT_EQ(session().coins().change[0].txid, result->txid);
    EXPECT_EQ(session().coins().change[0].vout, 1u);
    EXPECT_EQ(session().coins().change[0].sats, t.outputs[1].value);

    funding::mark_lists_stale(session());
    ASSERT_EQ(outcome(funding::refresh_coins(session())), "done");
    EXPECT_TRUE(session().coins().change.empty());
    EXPECT_EQ(session().coins().lists[receive_address(0)].coins,
              (std::vector<funding::CachedCoin>{{result->txid, 1, t.outputs[1].value}}));
    EXPECT_TRUE(read_json(snapshot("change"))["coins"].empty());
    // The spent coin, read back without its address, leaves the set once no list shows it.
    EXPECT_FALSE(funding::is_spent(session(), test_txid(funding_txid), 0));
    EXPECT_TRUE(read_json(snapshot("spent"))["outpoints"].empty());
}

// An input spent elsewhere ("Missing inputs") is left out and the payment retried: too little is
// left, and the other coins stay spendable.
TEST_F(Pay, PaymentFailingOnAStaleInputLeavesItsOtherCoinsSpendable)
{
    fund(0, {10000, 10000, 10000});
    auto coins = cached_coins();
    ASSERT_EQ(coins.size(), 3u);
    spend_elsewhere(0, coins[0].txid, coins[0].vout, coins[0].sats, true);
    EXPECT_EQ(outcome(funding::pay_outputs(session(), to_other(25000))).rfind(failed(FundingCode::Insufficient), 0), 0u);
    {
        wallet::WalletLock lock(ws());
        EXPECT_FALSE(funding::is_spent(session(), coins[1].txid, coins[1].vout) || funding::is_spent(session(), coins[2].txid, coins[2].vout));
    }
    auto t = paid(funding::pay_outputs(session(), to_other(15000)));
    EXPECT_EQ(inputs_of(t), (Outpoints{tx::format_outpoint(coins[1].outpoint()), tx::format_outpoint(coins[2].outpoint())}));
}

// Change remembered from a transaction the chain never took is left out and forgotten.
TEST_F(Pay, AnInputTheChainDoesNotKnowIsLeftOutAndThePaymentRetried)
{
    const std::string ghost = std::string(64, '9');
    write_json(snapshot("change"), {{"coins", {{{"txid", ghost}, {"vout", 0}, {"sats", 60000}, {"addr", receive_address(0)}}}}});
    funding::reset_coin_state(session());
    std::string real = fund(0, {40000});
    devnet().fault("arc", {{"status", 503}, {"body", "Missing inputs"}});
    auto result = funding::pay_outputs(session(), to_other(30000));
    devnet().clear_faults();
    EXPECT_EQ(inputs_of(paid(result)), Outpoints{real + "_0"});
    EXPECT_EQ(read_json(snapshot("change")).dump().find(ghost), std::string::npos);
}

TEST_F(Pay, BroadcastWhoseAnswerWasLostIsFoundAndNotPaidAgain)
{
    std::string first = fund(0, {50000});
    std::string second = fund(0, {50000});
    cached_coins();
    session().set_poll_timing({std::chrono::milliseconds(100), 8});
    devnet().admin("/visibility", {{"delay_ms", 300}});
    devnet().fault("registry", {{"status", 503}, {"body", "down"}});
    devnet().fault("woc", {{"lose_next", 1}});
    devnet().fault("arc", {{"down", true}});
    auto result = funding::pay_outputs(session(), to_other(10000));
    devnet().clear_faults();
    ASSERT_EQ(paid(result).inputs.size(), 1u);
    EXPECT_NE(spent_on_chain(first, 0), spent_on_chain(second, 0));  // exactly one coin paid, once
    wallet::WalletLock lock(ws());
    ASSERT_EQ(session().coins().change.size(), 1u);
    EXPECT_EQ(session().coins().change[0].txid, result->txid);
}

TEST_F(Pay, ThreeFailedBroadcastsGiveUp)
{
    fund(0, {10000, 10000, 10000, 10000});
    cached_coins();
    devnet().fault("registry", {{"status", 503}, {"body", "down"}});
    devnet().fault("woc", {{"status", 400}, {"body", "Missing inputs"}});
    devnet().fault("arc", {{"status", 503}, {"body", "Missing inputs"}});
    auto result = funding::pay_outputs(session(), to_other(5000));
    devnet().clear_faults();
    EXPECT_EQ(outcome(result), failed(FundingCode::RetriesExhausted));
}

// Another program of the same wallet records its own spends and change in the same snapshots:
// each save keeps what the other wrote, and learns it; a spend the other let go goes here too.
TEST_F(Pay, SnapshotsKeepAndLearnWhatAnotherProgramRecorded)
{
    const auto op = [](char c, int vout) { return std::string(64, c) + ":" + std::to_string(vout); };
    {
        wallet::WalletLock lock(ws());
        ASSERT_TRUE(funding::ensure_coin_state(session()));
        funding::add_spent(session(), {{test_txid('1'), 0, ""}});
        ASSERT_TRUE(funding::save_snapshots(session()));
    }
    write_json(snapshot("spent"), {{"outpoints", {op('1', 0), op('2', 1)}}});
    write_json(snapshot("change"), {{"coins", {{{"txid", std::string(64, '3')}, {"vout", 0}, {"sats", 7000}, {"addr", receive_address(0)}}}}});

    wallet::WalletLock lock(ws());
    funding::add_spent(session(), {{test_txid('4'), 2, ""}});
    ASSERT_TRUE(funding::save_snapshots(session()));
    EXPECT_EQ(read_json(snapshot("spent"))["outpoints"], nlohmann::json::array({op('1', 0), op('2', 1), op('4', 2)}));
    EXPECT_TRUE(funding::is_spent(session(), test_txid('2'), 1));
    ASSERT_EQ(session().coins().change.size(), 1u);
    EXPECT_EQ(session().coins().change[0].txid, test_txid('3'));

    write_json(snapshot("spent"), {{"outpoints", {op('1', 0), op('4', 2)}}});
    ASSERT_TRUE(funding::save_snapshots(session()));
    EXPECT_FALSE(funding::is_spent(session(), test_txid('2'), 1));
    EXPECT_TRUE(funding::is_spent(session(), test_txid('4'), 2));
}

// Every service refuses the first broadcast for missing inputs, and WhatsOnChain cannot say
// whether its inputs are spent until the next one begins. That attempt may still reach the chain:
// the retry spends one of its coins, so that at most one of them can ever confirm.
TEST_F(Pay, ARetryAfterARefusedAttemptSpendsOneOfItsCoins)
{
    enum class Phase { Refusing, SpentUnanswered, PassThrough };
    std::atomic<Phase> phase{Phase::Refusing};  // the coin lists are fetched on several threads
    std::set<std::string> refused;
    FakeHttp http([&](const std::string& method, const std::string& url, const std::string& body) -> std::optional<net::HttpReply> {
        if (method != "POST") {
            if (phase == Phase::SpentUnanswered && url.find("/spent") != std::string::npos) return FakeHttp::reply(503, "busy");
            return std::nullopt;
        }
        if (phase == Phase::SpentUnanswered) phase = Phase::PassThrough;
        if (phase != Phase::Refusing) return std::nullopt;
        auto doc = core::parse_json(body);
        if (doc) refused.insert(core::json_string(*doc, core::json_string(*doc, "txhex").empty() ? "rawTx" : "txhex"));
        if (url.find("/oi/submit") != std::string::npos) return FakeHttp::reply(200, R"({"ok": false})");
        if (url.find("/tx/raw") != std::string::npos) return FakeHttp::reply(400, "Missing inputs");
        phase = Phase::SpentUnanswered;
        return FakeHttp::reply(200, R"({"txStatus": "REJECTED", "extraInfo": "Missing inputs"})");
    });
    http.pass_through();
    start_session(&http);
    fund(0, {20000, 20000, 20000});
    cached_coins();
    auto retry = inputs_of(paid(funding::pay_outputs(session(), to_other(5000))));
    ASSERT_EQ(refused.size(), 1u);
    auto first = tx::tx_parse(*core::hex_decode(*refused.begin()));
    ASSERT_TRUE(first);
    size_t shared = 0;
    for (const auto& in : inputs_of(*first)) shared += retry.count(in);
    EXPECT_GT(shared, 0u);
}

// The final refusal when nothing could be paid, by what the wallet's balance says; a coin held
// back by the caller (the 1-sat hook of an offer) is never shared.
TEST_F(Pay, FinalRefusalsWhenNoCoinCanBeSpent)
{
    // The balance shows a coin that an open offer locks: wait for it.
    std::string coin = fund(0, {20000});
    ASSERT_TRUE(funding::offer_locks_add(ws(), {{test_txid(coin), 0}}));
    ASSERT_TRUE(wallet::refresh_wallet_balance(session().wallet()));
    EXPECT_EQ(outcome(funding::pay_outputs(session(), to_other(1000))), failed(FundingCode::BalanceNotSpendable));
    EXPECT_EQ(outcome(funding::pay_outputs(session(), to_other(1000), {{test_txid(coin), 0}})), failed(FundingCode::ShareCoins));
    session().set_known_balance_source([] { return std::optional<core::Amount>(0); });
    EXPECT_EQ(outcome(funding::pay_outputs(session(), to_other(1000))), failed(FundingCode::NoBalance));
    session().set_known_balance_source([] { return std::optional<core::Amount>(); });
    EXPECT_EQ(outcome(funding::pay_outputs(session(), to_other(1000))), failed(FundingCode::NoSpendableCoin));
    EXPECT_FALSE(spent_on_chain(coin, 0));
    ASSERT_TRUE(funding::offer_locks_remove(ws(), {{test_txid(coin), 0}}));
    paid(funding::pay_outputs(session(), to_other(1000)));
}

} // namespace
