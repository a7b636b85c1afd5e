#include "trade/offer_build.h"

#include <gtest/gtest.h>

#include "core/base58.h"
#include "core/hash.h"
#include "core/hex.h"
#include "tests/support/fake_session.h"
#include "trade/market_session.h"
#include "tests/trade/trader_fixture.h"
#include "trade/buy_routine.h"
#include "trade/trade_gate.h"
#include "trade/offer_complete.h"
#include "trade/offer_rules.h"
#include "trade/result_text.h"
#include "tx/outpoint.h"
#include "tx/parse.h"
#include "tx/serialize.h"
#include "tx/script.h"
#include "tx/spendable_lock.h"
#include "tests/support/test_txid.h"

namespace {

using trade::TradeCode;
using tradetest::built;
using tradetest::failure_of;

const std::string SELLER_ORD = core::address_from_hash160(core::hash160(core::as_bytes("seller ord")));
const std::string SELLER_PAY = core::address_from_hash160(core::hash160(core::as_bytes("seller pay")));

class OfferBuild : public tradetest::TraderTest {
protected:
    trade::OfferRequest token_request(const std::string& token, const std::string& qty, core::Amount price)
    {
        return {token, token, book::ListingKind::Token, qty, price, SELLER_PAY, SELLER_ORD};
    }

    tx::Transaction parsed(const std::string& hex)
    {
        auto t = trade::parse_offer_text(hex);
        EXPECT_TRUE(t) << hex;
        return t.value_or(tx::Transaction{});
    }

    std::string owner_of(const tx::TxOutput& out)
    {
        auto lock = tx::find_spendable_lock(out.script);
        return lock ? core::address_from_hash160(lock->owner) : std::string();
    }
};

TEST_F(OfferBuild, RefusalsBeforeAnyCoinMoves)
{
    std::string token = std::string(64, 'a') + "_0";
    auto unbound = trade::build_offer(session(), token_request(token, "1", 100));
    ASSERT_FALSE(unbound);
    EXPECT_TRUE(unbound.error().is(funding::FundingCode::NeedHdWallet));
    ASSERT_FALSE(open_wallet("dave", {200'000}).empty());
    EXPECT_EQ(failure_of(trade::build_offer(session(), token_request(token, "1", 0))), TradeCode::PayDust);
    auto bad_pay = token_request(token, "1", 100);
    bad_pay.seller_pay_addr = "3J98t1WpEZ73CNmQviecrnyiWrnqRhWNLy";
    EXPECT_EQ(failure_of(trade::build_offer(session(), bad_pay)), TradeCode::SellerPayAddressBad);
    auto bad_ord = token_request(token, "1", 100);
    bad_ord.seller_ord_addr = "";
    EXPECT_EQ(failure_of(trade::build_offer(session(), bad_ord)), TradeCode::SellerOrdAddressBad);
    auto bad_utxo = token_request("not an outpoint", "1", 100);
    EXPECT_EQ(failure_of(trade::build_offer(session(), bad_utxo)), TradeCode::NoLotOutput);

    // The dialog and the routine word a closed listing each their own way; one's own listing
    // is refused before anything is asked of the network.
    book::Listing listing;
    listing.status = book::ListingStatus::Sold;
    EXPECT_EQ(trade::check_buy_open(session().wallet(), &listing), "Select a live listing.");
    EXPECT_EQ(trade::plan_buy(session(), listing, "1").error, "Pick a live listing.");
    listing.status = book::ListingStatus::Live;
    listing.pubkey = trade::trader_gate(session().wallet()).identity_key;
    EXPECT_EQ(trade::plan_buy(session(), listing, "1").error, "That is your listing. Cancel it if you want it down.");
}

TEST_F(OfferBuild, TokenOfferPaysFirstAndReturnsTheRest)
{
    ASSERT_FALSE(open_wallet("dave", {300'000, 200'000}).empty());
    std::string token = devnet().mint(SELLER_ORD, "10", "TEN");
    // Blanks and leading zeros spell 3.
    std::string hex = built(trade::build_offer(session(), token_request(token, " 003 ", 300)));
    ASSERT_FALSE(hex.empty());
    tx::Transaction t = parsed(hex);
    ASSERT_GE(t.inputs.size(), 2u);
    EXPECT_EQ(tx::format_outpoint(t.inputs[0].txid, t.inputs[0].vout), token);
    EXPECT_TRUE(t.inputs[0].script_sig.empty());
    for (size_t i = 1; i < t.inputs.size(); ++i) EXPECT_FALSE(t.inputs[i].script_sig.empty());
    ASSERT_GE(t.outputs.size(), 3u);
    EXPECT_EQ(t.outputs[0].value, 300);
    EXPECT_EQ(t.outputs[0].script, tx::p2pkh_script(*core::hash160_from_address(SELLER_PAY)));
    auto bought = trade::output_bsv20(t.outputs[1].script);
    ASSERT_TRUE(bought);
    EXPECT_EQ(bought->amt, "3");
    EXPECT_EQ(owner_of(t.outputs[1]), m_ordinals);
    auto rest = trade::output_bsv20(t.outputs[2].script);
    ASSERT_TRUE(rest);
    EXPECT_EQ(rest->amt, "7");
    EXPECT_EQ(owner_of(t.outputs[2]), SELLER_ORD);
    EXPECT_TRUE(trade::offer_spends_listing(hex, token));
}

TEST_F(OfferBuild, BuyingEveryUnitLeavesNothingForTheSeller)
{
    ASSERT_FALSE(open_wallet("dave", {300'000, 200'000}).empty());
    std::string token = devnet().mint(SELLER_ORD, "10", "TEN");
    tx::Transaction t = parsed(built(trade::build_offer(session(), token_request(token, "10", 1000))));
    size_t transfers = 0;
    for (const auto& out : t.outputs) transfers += trade::output_bsv20(out.script) ? 1 : 0;
    EXPECT_EQ(transfers, 1u);
}

TEST_F(OfferBuild, QuantitiesAreComparedAsNumbers)
{
    ASSERT_FALSE(open_wallet("dave", {300'000, 200'000}).empty());
    std::string token = devnet().mint(SELLER_ORD, "9", "NINE");
    auto too_many = trade::build_offer(session(), token_request(token, "10", 1000));
    ASSERT_EQ(failure_of(too_many), TradeCode::ListingHasOnly);
    EXPECT_EQ(too_many.error().detail, "9");
    EXPECT_EQ(failure_of(trade::build_offer(session(), token_request(token, "1.5", 1000))), TradeCode::NoQuantity);
    EXPECT_EQ(failure_of(trade::build_offer(session(), token_request(token, "0", 1000))), TradeCode::NoQuantity);
    auto other = token_request(token, "1", 1000);
    other.listing_origin = std::string(64, 'b') + "_0";
    EXPECT_EQ(failure_of(trade::build_offer(session(), other)), TradeCode::LotOtherToken);
}

TEST_F(OfferBuild, PictureOfferPutsTheBuyersOutputFirst)
{
    ASSERT_FALSE(open_wallet("dave", {300'000, 200'000}).empty());
    std::string picture = devnet().inscribe(SELLER_ORD, "image/png", "png bytes");
    trade::OfferRequest request{picture, picture, book::ListingKind::Picture, "", 5000, SELLER_PAY, SELLER_ORD};
    tx::Transaction t = parsed(built(trade::build_offer(session(), request)));
    ASSERT_GE(t.outputs.size(), 2u);
    EXPECT_EQ(t.outputs[0].value, 1);
    EXPECT_EQ(owner_of(t.outputs[0]), m_ordinals);
    EXPECT_EQ(t.outputs[1].value, 5000);
    EXPECT_EQ(owner_of(t.outputs[1]), SELLER_PAY);

    request.quantity = "2";
    EXPECT_EQ(failure_of(trade::build_offer(session(), request)), TradeCode::PictureWhole);
    request.quantity = "ALL";
    EXPECT_TRUE(trade::build_offer(session(), request));
}

TEST_F(OfferBuild, TheCoinSplitKeepsASmallCoinApart)
{
    // One big coin: everything but the smallest coins would be needed, so 2000 sats are split off.
    ASSERT_FALSE(open_wallet("dave", {1'000'000}).empty());
    std::string token = devnet().mint(SELLER_ORD, "10", "TEN");
    ASSERT_FALSE(built(trade::build_offer(session(), token_request(token, "1", 100'000))).empty());
    auto coins = devnet().get("/woc/v1/bsv/main/address/" + m_receive + "/unspent/all").json();
    bool split = false;
    const auto& list = coins.is_object() ? coins["result"] : coins;
    for (const auto& c : list) split = split || c.value("value", int64_t{0}) == 2000;
    EXPECT_TRUE(split) << coins.dump();
}

TEST_F(OfferBuild, NoSplitWhenTheSmallCoinsAlreadyStandApart)
{
    ASSERT_FALSE(open_wallet("dave", {3'000, 1'000'000}).empty());
    std::string token = devnet().mint(SELLER_ORD, "10", "TEN");
    ASSERT_FALSE(built(trade::build_offer(session(), token_request(token, "1", 100'000))).empty());
    auto coins = devnet().get("/woc/v1/bsv/main/address/" + m_receive + "/unspent/all").json();
    const auto& list = coins.is_object() ? coins["result"] : coins;
    for (const auto& c : list) EXPECT_NE(c.value("value", int64_t{0}), 2000) << coins.dump();
}

TEST(OfferText, PastedOffersAreReadByTheirHexDigits)
{
    std::vector<tx::TxInput> inputs(2);
    inputs[0].txid = test_txid('c');
    inputs[1].txid = test_txid('d');
    inputs[1].vout = 3;
    inputs[1].script_sig = {0x01};
    std::vector<tx::TxOutput> outputs{{5, {0x6a}}};
    std::string hex = core::hex_encode(tx::tx_serialize(inputs, outputs));
    std::string pasted;
    for (size_t i = 0; i < hex.size(); ++i) {
        pasted += static_cast<char>(std::toupper(static_cast<unsigned char>(hex[i])));
        if (i % 16 == 15) pasted += i % 32 == 31 ? "\r\n" : " ";
    }
    EXPECT_TRUE(trade::offer_spends_listing(pasted, std::string(64, 'C') + ":0"));
    EXPECT_FALSE(trade::offer_spends_listing(pasted, std::string(64, 'd') + "_3"));  // signed input
    EXPECT_FALSE(trade::offer_spends_listing(pasted, std::string(64, 'c') + "_1"));
    EXPECT_FALSE(trade::offer_spends_listing(pasted, ""));
    EXPECT_FALSE(trade::offer_spends_listing(hex.substr(0, 79), std::string(64, 'c') + "_0"));
    EXPECT_FALSE(trade::offer_spends_listing(hex.substr(0, hex.size() - 2), std::string(64, 'c') + "_0"));
    EXPECT_TRUE(trade::parse_offer_text(pasted));
    EXPECT_FALSE(trade::parse_offer_text(hex + "00"));

    book::Listing listing;
    testsupport::FakeSessionOf<trade::MarketSession> offline;  // refused before any request
    trade::MarketSession& session = offline.session;
    EXPECT_EQ(failure_of(trade::complete_offer(session, hex.substr(0, 79), listing).result), TradeCode::NoSignedBytes);
    EXPECT_EQ(failure_of(trade::complete_offer(session, std::string(81, 'a'), listing).result), TradeCode::NoSignedBytes);
    EXPECT_EQ(failure_of(trade::complete_offer(session, std::string(80, 'a'), listing).result), TradeCode::OfferUnparsed);
    EXPECT_EQ(trade::evaluate_offer(session, "", listing).error.code, TradeCode::NoSignedBytes);
}

} // namespace
