// The payment pipeline against the simulator: payments, change, the coins it must never
// spend, and every retry branch driven by the simulator's fault injection.
#include <atomic>
#include <set>

#include <gtest/gtest.h>

#include "core/json_get.h"
#include "funding/broadcast.h"
#include "funding/change_address.h"
#include "funding/offer_locks.h"
#include "funding/pay.h"
#include "funding/refresh.h"
#include "net/http_client.h"
#include "tests/funding/funding_fixture.h"
#include "tests/support/fake_http.h"
#include "tests/support/funding_outcome.h"
#include "tx/parse.h"
#include "wallet/wallet_key.h"
#include "wallet/wallet_lock.h"
#include "tests/support/test_txid.h"
#include "tx/outpoint.h"

namespace {

using fundingtest::OtherParty;
using testsupport::failed;
using testsupport::outcome;
using testsupport::sent;

class Pay : public fundingtest::FundingDevnetTest {
protected:
    // The transaction a payment sent, from the simulator.
    tx::Transaction paid(const funding::FundingResult<funding::Paid>& result)
    {
        EXPECT_TRUE(result) << outcome(result);
        if (!result) return {};
        auto raw = core::hex_decode(chain_hex(result->txid));
        EXPECT_TRUE(raw);
        auto tx = raw ? tx::tx_parse(*raw) : std::nullopt;
        EXPECT_TRUE(tx);
        return tx ? *tx : tx::Transaction{};
    }

    static std::set<std::string> inputs_of(const tx::Transaction& t)
    {
        std::set<std::string> out;
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

    void pays_around_an_input_spent_elsewhere(bool mined)
    {
        fund(0, {10000, 10000, 10000, 10000});
        auto coins = cached_coins();
        ASSERT_EQ(coins.size(), 4u);
        spend_elsewhere(0, coins[0].txid, coins[0].vout, coins[0].sats, mined);
        auto t = paid(funding::pay_outputs(session(), to_other(25000)));
        EXPECT_EQ(inputs_of(t).count(tx::format_outpoint(coins[0].txid, 0)), 0u);
        EXPECT_EQ(t.inputs.size(), 3u);
    }

    bool in_spent_set(const tx::Txid& txid, uint32_t vout)
    {
        wallet::WalletLock lock(ws());
        return funding::is_spent(session(), txid, vout);
    }
};

// A payment's change and spent coin are remembered in memory and in the wallet's snapshots; a
// program started afterwards reads them back and pays from the change at once, before any list
// shows it.
TEST_F(Pay, PaysAndRemembersItsChangeAcrossARestart)
{
    std::string funding_txid = fund(0, {50000});
    auto result = funding::pay_outputs(session(), to_other(10000));
    auto t = paid(result);
    ASSERT_EQ(t.outputs.size(), 2u);
    EXPECT_EQ(t.outputs[0].value, 10000);
    EXPECT_EQ(t.outputs[1].script, tx::p2pkh_script(*core::hash160_from_address(receive_address(0))));
    EXPECT_EQ(inputs_of(t), (std::set<std::string>{funding_txid + "_0"}));
    std::string key;
    {
        wallet::WalletLock lock(ws());
        key = wallet::wallet_key(ws());
        ASSERT_EQ(session().coins().change.size(), 1u);
        EXPECT_EQ(session().coins().change[0].txid.hex(), result->txid);
        EXPECT_EQ(session().coins().change[0].vout, 1u);
        EXPECT_EQ(session().coins().change[0].sats, t.outputs[1].value);
        EXPECT_TRUE(funding::is_spent(session(), test_txid(funding_txid), 0));
    }
    auto change = read_json("ord_snap/" + key + "_change.json");
    EXPECT_EQ(read_json("ord_snap/" + key + "_spent.json")["outpoints"], nlohmann::json::array({funding_txid + ":0"}));
    ASSERT_EQ(change["coins"].size(), 1u);
    EXPECT_EQ(change["coins"][0]["txid"], result->txid);
    EXPECT_EQ(change["coins"][0]["addr"], receive_address(0));

    wallet::wallet_forget(ws());  // the program ends; a new one starts
    ASSERT_TRUE(wallet::wallet_load(ws()));
    {
        wallet::WalletLock lock(ws());
        ASSERT_TRUE(funding::ensure_coin_state(session()));
        EXPECT_TRUE(funding::is_spent(session(), test_txid(funding_txid), 0));
        ASSERT_EQ(session().coins().change.size(), 1u);
        EXPECT_EQ(session().coins().change[0].txid.hex(), result->txid);
    }
    devnet().admin("/visibility", {{"delay_ms", 0}});
    auto t2 = paid(funding::pay_outputs(session(), to_other(5000)));
    EXPECT_EQ(inputs_of(t2), (std::set<std::string>{result->txid + "_1"}));
}

TEST_F(Pay, BackToBackPaymentsNeverShareACoin)
{
    fund(0, {20000, 20000});
    fund(1, {20000});
    std::set<std::string> used;
    for (int i = 0; i < 4; ++i) {
        auto t = paid(funding::pay_outputs(session(), to_other(3000)));
        for (const auto& in : inputs_of(t)) EXPECT_TRUE(used.insert(in).second) << "coin spent twice: " << in;
    }
}

TEST_F(Pay, OneSatoshiCoinsNeverPayFees)
{
    // Plain 1-sat coins first in the lists, and an ordinals index that knows them and says
    // they carry nothing: still never fee money.
    std::string one_a = fund(0, {1});
    std::string one_b = fund(0, {1});
    fund(0, {3000});
    auto t = paid(funding::pay_outputs(session(), to_other(2000)));
    for (const auto& in : t.inputs) {
        EXPECT_NE(in.txid.hex(), one_a);
        EXPECT_NE(in.txid.hex(), one_b);
    }
    EXPECT_FALSE(spent_on_chain(one_a, 0));
    EXPECT_FALSE(spent_on_chain(one_b, 0));

    // With only 1-sat coins left nothing is paid.
    funding::reset_coin_state(session());
    auto result = funding::pay_outputs(session(), to_other(2000));
    EXPECT_FALSE(result);
    EXPECT_FALSE(spent_on_chain(one_a, 0));
    EXPECT_FALSE(spent_on_chain(one_b, 0));
}

// An input spent elsewhere, mined ("Missing inputs") or in the mempool (a conflict), is left out
// and the payment retried. (Named Pay.*: the thread sanitizer run picks the payment tests by name.)
TEST_F(Pay, SpentInputIsLeftOutAndThePaymentRetried)
{
    pays_around_an_input_spent_elsewhere(true);
}

TEST_F(Pay, ConflictingInputIsLeftOutAndThePaymentRetried)
{
    pays_around_an_input_spent_elsewhere(false);
}

TEST_F(Pay, PaymentFailingOnAStaleInputLeavesItsOtherCoinsSpendable)
{
    fund(0, {10000, 10000, 10000});
    auto coins = cached_coins();
    ASSERT_EQ(coins.size(), 3u);
    spend_elsewhere(0, coins[0].txid, coins[0].vout, coins[0].sats, true);
    auto result = funding::pay_outputs(session(), to_other(25000));
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().code, funding::FundingCode::Insufficient);
    EXPECT_FALSE(in_spent_set(coins[1].txid, coins[1].vout));
    EXPECT_FALSE(in_spent_set(coins[2].txid, coins[2].vout));

    auto t = paid(funding::pay_outputs(session(), to_other(15000)));
    EXPECT_EQ(inputs_of(t), (std::set<std::string>{tx::format_outpoint(coins[1].outpoint()),
                                                    tx::format_outpoint(coins[2].outpoint())}));
}

TEST_F(Pay, AnInputTheChainDoesNotKnowIsLeftOutAndThePaymentRetried)
{
    // Change remembered from a transaction the chain never took: the first candidate.
    const std::string ghost = std::string(64, '9');
    std::string key;
    {
        wallet::WalletLock lock(ws());
        key = wallet::wallet_key(ws());
    }
    write_json("ord_snap/" + key + "_change.json",
               {{"coins", {{{"txid", ghost}, {"vout", 0}, {"sats", 60000}, {"addr", receive_address(0)}}}}});
    funding::reset_coin_state(session());
    std::string real = fund(0, {40000});
    devnet().fault("arc", {{"status", 503}, {"body", "Missing inputs"}});
    auto result = funding::pay_outputs(session(), to_other(30000));
    devnet().clear_faults();
    auto t = paid(result);
    EXPECT_EQ(inputs_of(t), (std::set<std::string>{real + "_0"}));
    wallet::WalletLock lock(ws());
    for (const auto& c : session().coins().change) EXPECT_NE(c.txid.hex(), ghost);
    EXPECT_EQ(read_json("ord_snap/" + key + "_change.json").dump().find(ghost), std::string::npos);
}

TEST_F(Pay, CoinsTheChainCouldNotBeAskedAboutStaySpendable)
{
    std::string a = fund(0, {10000});
    std::string b = fund(0, {10000});
    cached_coins();
    // Every service refuses the payment for missing inputs and WhatsOnChain cannot be reached
    // to say whether they are spent.
    devnet().fault("registry", {{"status", 503}, {"body", "down"}});
    devnet().fault("woc", {{"down", true}});
    devnet().fault("arc", {{"status", 400}, {"body", "Missing inputs"}});
    auto refused = funding::pay_outputs(session(), to_other(5000));
    devnet().clear_faults();
    EXPECT_FALSE(refused);
    EXPECT_FALSE(in_spent_set(test_txid(a), 0));
    EXPECT_FALSE(in_spent_set(test_txid(b), 0));

    // Both coins pay the next payment.
    auto t = paid(funding::pay_outputs(session(), to_other(15000)));
    EXPECT_EQ(inputs_of(t), (std::set<std::string>{a + "_0", b + "_0"}));
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
    auto t = paid(result);
    ASSERT_EQ(t.inputs.size(), 1u);
    // Exactly one of the two coins paid, once.
    EXPECT_NE(spent_on_chain(first, 0), spent_on_chain(second, 0));
    wallet::WalletLock lock(ws());
    ASSERT_EQ(session().coins().change.size(), 1u);
    EXPECT_EQ(session().coins().change[0].txid.hex(), result->txid);
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
    EXPECT_EQ(outcome(result), failed(funding::FundingCode::RetriesExhausted));
}

TEST_F(Pay, TwoPartyTransactionMakesPendingChangeOnlyOfThisWallet)
{
    // A completed sale: the seller's (this wallet's) input and the buyer's, the price to the
    // seller and the buyer's change back to the buyer's own input address.
    OtherParty buyer;
    std::string ours = fund(0, {20000});
    std::string theirs = devnet().fund(buyer.address, 30000, true);
    auto key = receive_key(0);
    auto our_hash = *core::hash160_from_address(key.address);
    std::vector<tx::TxInput> ins(2);
    ins[0].txid = test_txid(ours);
    ins[0].value = 20000;
    ins[0].pub_key_hash = our_hash;
    ins[1].txid = test_txid(theirs);
    ins[1].value = 30000;
    ins[1].pub_key_hash = buyer.hash;
    std::vector<tx::TxOutput> outs{{35000, tx::p2pkh_script(*core::hash160_from_address(receive_address(1)))},
                                   {14000, tx::p2pkh_script(buyer.hash)}};
    ASSERT_TRUE(tx::tx_sign_input(0, ins, outs, our_hash, key.priv_hex.view(), key.pub_hex));
    ASSERT_TRUE(tx::tx_sign_input(1, ins, outs, buyer.hash, buyer.priv_hex, buyer.pub_hex));
    ins[1].pub_key_hash = core::Hash160{};  // the seller knows nothing of the buyer's keys
    std::string txid;
    {
        wallet::WalletLock lock(ws());
        auto result = funding::broadcast_tx(session(), ins, outs, our_hash, txid);
        ASSERT_EQ(outcome(result), sent(txid));
        ASSERT_EQ(session().coins().change.size(), 1u);
        EXPECT_EQ(session().coins().change[0].vout, 0u);
        EXPECT_EQ(session().coins().change[0].addr, receive_address(1));
    }
    // The seller's next payment spends only its own money.
    auto t = paid(funding::pay_outputs(session(), to_other(30000)));
    EXPECT_EQ(inputs_of(t), (std::set<std::string>{txid + "_0"}));
}

// Another program of the same wallet records its own spends and change in the same snapshots:
// each save keeps what the other wrote, and learns it.
TEST_F(Pay, SnapshotsKeepAndLearnWhatAnotherProgramRecorded)
{
    std::string key;
    {
        wallet::WalletLock lock(ws());
        key = wallet::wallet_key(ws());
        ASSERT_TRUE(funding::ensure_coin_state(session()));
        funding::add_spent(session(), {{test_txid('1'), 0, ""}});
        ASSERT_TRUE(funding::save_snapshots(session()));
    }
    const std::string spent_rel = "ord_snap/" + key + "_spent.json";
    const std::string change_rel = "ord_snap/" + key + "_change.json";
    // The other program spent a coin and made change.
    auto spent = read_json(spent_rel);
    spent["outpoints"].push_back(std::string(64, '2') + ":1");
    write_json(spent_rel, spent);
    write_json(change_rel,
               {{"coins", {{{"txid", std::string(64, '3')}, {"vout", 0}, {"sats", 7000}, {"addr", receive_address(0)}}}}});

    wallet::WalletLock lock(ws());
    funding::add_spent(session(), {{test_txid('4'), 2, ""}});
    ASSERT_TRUE(funding::save_snapshots(session()));
    EXPECT_EQ(read_json(spent_rel)["outpoints"],
              nlohmann::json::array({std::string(64, '1') + ":0", std::string(64, '2') + ":1", std::string(64, '4') + ":2"}));
    EXPECT_TRUE(funding::is_spent(session(), test_txid('2'), 1));
    ASSERT_EQ(session().coins().change.size(), 1u);
    EXPECT_EQ(session().coins().change[0].txid, test_txid('3'));
    EXPECT_EQ(read_json(change_rel)["coins"].size(), 1u);

    // The other program saw the chain catch up and let its spend go: so does this one.
    write_json(spent_rel, {{"outpoints", {std::string(64, '1') + ":0", std::string(64, '4') + ":2"}}});
    ASSERT_TRUE(funding::save_snapshots(session()));
    EXPECT_FALSE(funding::is_spent(session(), test_txid('2'), 1));
    EXPECT_TRUE(funding::is_spent(session(), test_txid('4'), 2));
}

// The program's HTTP client, except that the first broadcast is refused by every service for
// missing inputs, and WhatsOnChain cannot say whether its inputs are spent until the next
// broadcast begins. The refused transactions are kept.
class RefusingFirstBroadcast final : public testsupport::FakeHttp {
public:
    RefusingFirstBroadcast()
    {
        pass_through();
        set_handler([this](const std::string& method, const std::string& url, const std::string& body) -> std::optional<net::HttpReply> {
            if (method != "POST") {
                if (m_phase == Phase::SpentUnanswered && url.find("/spent") != std::string::npos) return reply(503, "busy");
                return std::nullopt;
            }
            if (m_phase == Phase::SpentUnanswered) m_phase = Phase::PassThrough;
            if (m_phase != Phase::Refusing) return std::nullopt;
            auto doc = core::parse_json(body);
            if (doc) m_refused.insert(core::json_string(*doc, core::json_string(*doc, "txhex").empty() ? "rawTx" : "txhex"));
            if (url.find("/oi/submit") != std::string::npos) return reply(200, R"({"ok": false})");
            if (url.find("/tx/raw") != std::string::npos) return reply(400, "Missing inputs");
            m_phase = Phase::SpentUnanswered;
            return reply(200, R"({"txStatus": "REJECTED", "extraInfo": "Missing inputs"})");
        });
    }
    const std::set<std::string>& refused() const { return m_refused; }

private:
    enum class Phase { Refusing, SpentUnanswered, PassThrough };
    std::atomic<Phase> m_phase{Phase::Refusing};  // the coin lists are fetched on several threads
    std::set<std::string> m_refused;
};

// A refused attempt may still reach the chain some other way: the retry spends one of its
// coins, so that at most one of them can ever confirm, even when the chain cannot be asked
// whether that coin is still there.
TEST_F(Pay, ARetryAfterARefusedAttemptSpendsOneOfItsCoins)
{
    RefusingFirstBroadcast http;
    start_session(&http);
    fund(0, {20000, 20000, 20000});
    cached_coins();
    auto result = funding::pay_outputs(session(), to_other(5000));
    auto t = paid(result);
    ASSERT_EQ(http.refused().size(), 1u);
    auto refused = tx::tx_parse(*core::hex_decode(*http.refused().begin()));
    ASSERT_TRUE(refused);
    std::set<std::string> shared;
    for (const auto& in : refused->inputs) {
        if (inputs_of(t).count(tx::format_outpoint(in.txid, in.vout))) shared.insert(in.txid.hex());
    }
    EXPECT_FALSE(shared.empty());
}

TEST_F(Pay, MalformedSnapshotsReadEmptyAndAreReplaced)
{
    std::string key;
    {
        wallet::WalletLock lock(ws());
        key = wallet::wallet_key(ws());
    }
    write_text("ord_snap/" + key + "_spent.json", "[1,2");
    write_json("ord_snap/" + key + "_change.json", {{"coins", {{{"txid", "zz"}, {"vout", 0}, {"sats", 5}}}}});
    fund(0, {50000});
    auto t = paid(funding::pay_outputs(session(), to_other(10000)));
    EXPECT_TRUE(read_json("ord_snap/" + key + "_spent.json")["outpoints"].is_array());
    EXPECT_EQ(read_json("ord_snap/" + key + "_change.json")["coins"].size(), 1u);
}

TEST_F(Pay, HeldBackAndOfferLockedCoinsStayOutUnlessTheyMustBeSpent)
{
    std::string a = fund(0, {20000});
    std::string b = fund(0, {20000});
    std::string c = fund(0, {20000});
    ASSERT_TRUE(funding::offer_locks_add(ws(), {b + "_0"}));
    auto first = funding::pay_outputs(session(), to_other(5000), {a + ":0"});
    EXPECT_EQ(inputs_of(paid(first)), (std::set<std::string>{c + "_0"}));
    std::string change = (first ? first->txid : std::string()) + "_1";

    // Everything else held back or locked: the hook and the offer would share coins.
    EXPECT_EQ(outcome(funding::pay_outputs(session(), to_other(5000), {a + "_0", change})),
              failed(funding::FundingCode::ShareCoins));

    // Withdrawing the offer spends its locked coin, first.
    funding::PayOptions options;
    options.hold_back = {a + "_0", change};
    options.must_spend = {b + "_0"};
    auto t = paid(funding::pay_outputs(session(), to_other(5000), options));
    ASSERT_EQ(t.inputs.size(), 1u);
    EXPECT_EQ(t.inputs[0].txid.hex(), b);
    // The lock on the spent coin goes at the next gathering.
    paid(funding::pay_outputs(session(), to_other(1000)));
    EXPECT_TRUE(funding::offer_locks_load(ws()).empty());
}

TEST_F(Pay, FinalMessagesWhenNoCoinCanBeSpent)
{
    session().set_known_balance_source([] { return std::optional<core::Amount>(0); });
    EXPECT_EQ(outcome(funding::pay_outputs(session(), to_other(1000))), failed(funding::FundingCode::NoBalance));
    session().set_known_balance_source([] { return std::optional<core::Amount>(25000); });
    EXPECT_EQ(outcome(funding::pay_outputs(session(), to_other(1000))), failed(funding::FundingCode::BalanceNotSpendable));
    session().set_known_balance_source({});
    EXPECT_EQ(outcome(funding::pay_outputs(session(), to_other(1000))), failed(funding::FundingCode::NoSpendableCoin));
    // A coin that arrives is found on the next payment.
    fund(0, {5000});
    paid(funding::pay_outputs(session(), to_other(1000)));
}

TEST_F(Pay, MemoryEmptiesAsTheChainCatchesUp)
{
    std::string funding_txid = fund(0, {50000});
    auto result = funding::pay_outputs(session(), to_other(10000));
    ASSERT_TRUE(result) << outcome(result);
    wallet::WalletLock lock(ws());
    ASSERT_TRUE(funding::is_spent(session(), test_txid(funding_txid), 0));
    ASSERT_EQ(session().coins().change.size(), 1u);

    funding::mark_lists_stale(session());
    ASSERT_EQ(outcome(funding::refresh_coins(session())), "done");
    EXPECT_FALSE(funding::is_spent(session(), test_txid(funding_txid), 0));  // the chain no longer lists it
    EXPECT_TRUE(session().coins().change.empty());  // the chain lists the change now
    auto coins = session().coins().lists[receive_address(0)].coins;
    ASSERT_EQ(coins.size(), 1u);
    EXPECT_EQ(coins[0].txid.hex(), result->txid);
    auto key = wallet::wallet_key(ws());
    EXPECT_TRUE(read_json("ord_snap/" + key + "_spent.json")["outpoints"].empty());
    EXPECT_TRUE(read_json("ord_snap/" + key + "_change.json")["coins"].empty());
}

} // namespace
