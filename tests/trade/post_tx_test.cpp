#include "trade/post_tx.h"

#include <gtest/gtest.h>

#include "book/post.h"
#include "book/sign_post.h"
#include "core/base58.h"
#include "core/hex.h"
#include "funding/offer_locks.h"
#include "net/market_addresses.h"
#include "net/service_config.h"
#include "tests/trade/trader_fixture.h"
#include "trade/market_session.h"
#include "trade/report.h"
#include "trade/result_text.h"
#include "tx/outpoint.h"
#include "tx/push.h"
#include "tx/script.h"
#include "tx/serialize.h"
#include "tests/support/test_txid.h"

namespace {

using nlohmann::json;
using tradetest::failure_of;
using tradetest::txid_of;

class PostTransaction : public tradetest::TraderTest {
protected:
    std::string address_of(const tx::TxOutput& out)
    {
        auto hash = tx::p2pkh_hash(out.script);
        return hash ? core::address_from_hash160(*hash) : std::string();
    }
    // The post carried by the transaction's data output.
    json post_of(const tx::Transaction& t)
    {
        for (const auto& out : t.outputs) {
            if (out.script.size() < 3 || out.script[0] != 0 || out.script[1] != 0x6a) continue;
            size_t pos = 2;
            auto op = tx::read_script_op(out.script, pos);
            if (op) return json::parse(std::string(op->data.begin(), op->data.end()), nullptr, false);
        }
        return nullptr;
    }
};

TEST_F(PostTransaction, ACancelPaysTheOracleAndItsDataOutputOnly)
{
    ASSERT_FALSE(open_wallet("carol", {500'000}).empty());
    // Two sessions of one process, each acting at its own moment, stamp their posts with it.
    trade::MarketSession other(net::load_services_file());
    wallet::register_app(other.wallet(), "trade-test", "Agoran");
    session().clock().fix(1'700'000'000);
    other.clock().fix(1'800'000'000);
    json other_post = {{"type", "ag_cancel"}, {"handle", "carol"}, {"listing", std::string(64, 'b')},
                       {"protocol", std::string(book::POST_PROTOCOL)}, {"location", std::string(book::POST_LOCATION)}};
    ASSERT_TRUE(book::sign_post(other_post, other.book()).ok());
    EXPECT_EQ(other_post["ts"], 1'800'000'000);
    auto result = trade::publish_post(session(), {{"type", "ag_cancel"}, {"handle", "carol"}, {"listing", std::string(64, 'a')},
                                              {"protocol", "stale"}, {"location", "elsewhere"}},
                                             false);
    ASSERT_TRUE(result) << trade::result_text(result);
    auto t = raw_tx(txid_of(result));
    ASSERT_TRUE(t);
    ASSERT_EQ(t->outputs.size(), 3u);  // oracle, data, change
    EXPECT_EQ(t->outputs[0].value, 1);
    EXPECT_EQ(address_of(t->outputs[0]), net::BOOK_ORACLE_ADDRESS);
    EXPECT_EQ(t->outputs[1].value, 0);
    EXPECT_EQ(address_of(t->outputs[2]), m_receive);
    json post = post_of(*t);
    EXPECT_EQ(post["protocol"], "TV-Agoran");
    EXPECT_EQ(post["location"], "agoran");
    EXPECT_EQ(post["actor"], "carol");
    EXPECT_EQ(post["ts"], 1'700'000'000);
    EXPECT_TRUE(post.contains("sig"));
}

TEST_F(PostTransaction, AListingPaysTheHouseFeeBeforeTheOracle)
{
    ASSERT_FALSE(open_wallet("carol", {3'000'000}).empty());
    auto result = trade::post_transaction(session(), "{\"type\":\"ag_list\"}", true);
    ASSERT_TRUE(result) << trade::result_text(result);
    auto t = raw_tx(txid_of(result));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->outputs[0].value, 1'000'000);
    EXPECT_EQ(address_of(t->outputs[0]), net::HOUSE_FEE_ADDRESS);
    EXPECT_EQ(t->outputs[1].value, 1);
    EXPECT_EQ(address_of(t->outputs[1]), net::BOOK_ORACLE_ADDRESS);
}

TEST_F(PostTransaction, ABuyPostLeavesTheOfferCoinsAloneAndLocksThem)
{
    ASSERT_FALSE(open_wallet("carol", {400'000, 300'000, 200'000}).empty());
    std::string first = devnet().fund(m_receive, 50'000);
    std::string second = devnet().fund(m_receive, 60'000);
    // An offer that spends the seller's listing output, unsigned, and two of the wallet's coins
    // (the signatures' contents do not matter here).
    const std::string listing_output(64, 'f');
    std::vector<tx::TxInput> inputs(3);
    inputs[0].txid = test_txid(listing_output);
    inputs[1].txid = test_txid(first);
    inputs[2].txid = test_txid(second);
    inputs[1].script_sig = inputs[2].script_sig = {0x01};
    std::vector<tx::TxOutput> outputs{{100'000, tx::p2pkh_script(*core::hash160_from_address(m_receive))}};
    std::string offer = core::hex_encode(tx::tx_serialize(inputs, outputs));
    json post = {{"type", "ag_buy"}, {"listing", std::string(64, 'E')}, {"offer", offer}};
    auto result = trade::post_transaction(session(), post.dump(), false);
    ASSERT_TRUE(result) << trade::result_text(result);
    auto t = raw_tx(txid_of(result));
    ASSERT_TRUE(t);
    for (const auto& in : t->inputs) {
        EXPECT_NE(in.txid.hex(), first);
        EXPECT_NE(in.txid.hex(), second);
    }
    auto locks = funding::offer_locks_load(session().wallet());
    EXPECT_EQ(locks.count(first + "_0"), 1u);
    EXPECT_EQ(locks.count(second + "_0"), 1u);
    // The wallet's own record of the offer: its post, its listing and the buyer's coins.
    auto records = funding::offer_records(session().wallet());
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].offer, txid_of(result));
    EXPECT_EQ(records[0].listing, std::string(64, 'e'));
    EXPECT_EQ(records[0].utxos, (std::vector<std::string>{first + "_0", second + "_0"}));
}

TEST_F(PostTransaction, NothingIsPaidWithoutAWalletOrAPayload)
{
    using trade::TradeCode;
    EXPECT_EQ(failure_of(trade::post_transaction(session(), "{}", false)), TradeCode::NotConnected);
    EXPECT_EQ(failure_of(trade::post_report(session(), "{}")), TradeCode::NotConnected);
    EXPECT_EQ(failure_of(trade::send_report(session(), "hello")), TradeCode::ReportNoHandle);
    ASSERT_FALSE(open_wallet("carol", {100'000}).empty());
    EXPECT_EQ(failure_of(trade::post_transaction(session(), "", false)), TradeCode::EmptyPayload);
    EXPECT_EQ(failure_of(trade::post_report(session(), "")), TradeCode::EmptyReportPayload);
    EXPECT_EQ(failure_of(trade::send_report(session(), "   ")), TradeCode::ReportTextBad);
    EXPECT_EQ(failure_of(trade::send_report(session(), "no architect registered yet")), TradeCode::ArchitectKeyMissing);
}

TEST_F(PostTransaction, AReportPaysFeeOracleAndDataInThatOrder)
{
    ASSERT_FALSE(open_wallet("carol", {100'000}).empty());
    devnet().set_identity("architect", "0279be667ef9dcbbac55a06295ce870b07029bfcdb2dce28d959f2815b16f81798");
    auto result = trade::send_report(session(), std::string(2000, 'r'));
    ASSERT_TRUE(result) << trade::result_text(result);
    auto t = raw_tx(txid_of(result));
    ASSERT_TRUE(t);
    ASSERT_GE(t->outputs.size(), 3u);
    EXPECT_EQ(t->outputs[0].value, 1'000);
    EXPECT_EQ(address_of(t->outputs[0]), net::REPORT_FEE_ADDRESS);
    EXPECT_EQ(t->outputs[1].value, 1);
    EXPECT_EQ(address_of(t->outputs[1]), net::REPORT_ORACLE_ADDRESS);
    json envelope = post_of(*t);
    EXPECT_EQ(envelope["protocol"], "QDL-Relay");
    EXPECT_EQ(envelope["type"], "report");
    EXPECT_EQ(envelope["to_handle"], "architect");
    EXPECT_EQ(envelope["handle"], "carol");
    // Sealed: the text itself is nowhere in the transaction.
    EXPECT_EQ(envelope.dump().find(std::string(50, 'r')), std::string::npos);
}

} // namespace
