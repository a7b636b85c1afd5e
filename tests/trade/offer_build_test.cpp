#include "trade/offer_build.h"

#include <gtest/gtest.h>

#include "core/base58.h"
#include "core/hash.h"
#include "core/hex.h"
#include "tests/support/fake_session.h"
#include "trade/market_session.h"
#include "tests/trade/trader_fixture.h"
#include "trade/offer_complete.h"
#include "trade/offer_rules.h"
#include "tx/outpoint.h"
#include "tx/parse.h"
#include "tx/serialize.h"
#include "tx/script.h"
#include "tx/spendable_lock.h"

namespace {

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
    EXPECT_EQ(trade::build_offer(session(), token_request(token, "1", 100)), "error: need an HD Pursa wallet.");
    ASSERT_FALSE(open_wallet("dave", {200'000}).empty());
    EXPECT_EQ(trade::build_offer(session(), token_request(token, "1", 0)), "error: pay amount is dust.");
    auto bad_pay = token_request(token, "1", 100);
    bad_pay.seller_pay_addr = "3J98t1WpEZ73CNmQviecrnyiWrnqRhWNLy";
    EXPECT_EQ(trade::build_offer(session(), bad_pay), "error: seller payment address is not a 1\u2026 longcode.");
    auto bad_ord = token_request(token, "1", 100);
    bad_ord.seller_ord_addr = "";
    EXPECT_EQ(trade::build_offer(session(), bad_ord), "error: seller ordinals address is not a 1\u2026 longcode.");
    auto bad_utxo = token_request("not an outpoint", "1", 100);
    EXPECT_EQ(trade::build_offer(session(), bad_utxo), "error: the listing names no valid lot output.");
}

TEST_F(OfferBuild, TokenOfferPaysFirstAndReturnsTheRest)
{
    ASSERT_FALSE(open_wallet("dave", {300'000, 200'000}).empty());
    std::string token = devnet().mint(SELLER_ORD, "10", "TEN");
    // Blanks and leading zeros spell 3.
    std::string hex = trade::build_offer(session(), token_request(token, " 003 ", 300));
    ASSERT_EQ(hex.find("error"), std::string::npos) << hex;
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
    tx::Transaction t = parsed(trade::build_offer(session(), token_request(token, "10", 1000)));
    size_t transfers = 0;
    for (const auto& out : t.outputs) transfers += trade::output_bsv20(out.script) ? 1 : 0;
    EXPECT_EQ(transfers, 1u);
}

TEST_F(OfferBuild, QuantitiesAreComparedAsNumbers)
{
    ASSERT_FALSE(open_wallet("dave", {300'000, 200'000}).empty());
    std::string token = devnet().mint(SELLER_ORD, "9", "NINE");
    EXPECT_EQ(trade::build_offer(session(), token_request(token, "10", 1000)), "error: that listing only has 9 left.");
    EXPECT_EQ(trade::build_offer(session(), token_request(token, "1.5", 1000)), "error: enter how many tokens to buy.");
    EXPECT_EQ(trade::build_offer(session(), token_request(token, "0", 1000)), "error: enter how many tokens to buy.");
    auto other = token_request(token, "1", 1000);
    other.listing_origin = std::string(64, 'b') + "_0";
    EXPECT_EQ(trade::build_offer(session(), other), "error: the listed lot holds another token than the listing names.");
}

TEST_F(OfferBuild, PictureOfferPutsTheBuyersOutputFirst)
{
    ASSERT_FALSE(open_wallet("dave", {300'000, 200'000}).empty());
    std::string picture = devnet().inscribe(SELLER_ORD, "image/png", "png bytes");
    trade::OfferRequest request{picture, picture, book::ListingKind::Picture, "", 5000, SELLER_PAY, SELLER_ORD};
    std::string hex = trade::build_offer(session(), request);
    tx::Transaction t = parsed(hex);
    ASSERT_GE(t.outputs.size(), 2u);
    EXPECT_EQ(t.outputs[0].value, 1);
    EXPECT_EQ(owner_of(t.outputs[0]), m_ordinals);
    EXPECT_EQ(t.outputs[1].value, 5000);
    EXPECT_EQ(owner_of(t.outputs[1]), SELLER_PAY);

    request.quantity = "2";
    EXPECT_EQ(trade::build_offer(session(), request), "error: pictures sell as the whole inscription.");
    request.quantity = "ALL";
    EXPECT_EQ(trade::build_offer(session(), request).find("error"), std::string::npos);
}

TEST_F(OfferBuild, ASpentListingOutputIsRefused)
{
    ASSERT_FALSE(open_wallet("dave", {300'000, 200'000}).empty());
    std::string picture = devnet().inscribe(SELLER_ORD, "image/png", "png bytes");
    trade::OfferRequest request{picture, picture, book::ListingKind::Picture, "1", 5000, SELLER_PAY, SELLER_ORD};
    std::string first = trade::build_offer(session(), request);
    ASSERT_EQ(first.find("error"), std::string::npos) << first;
    // Anyone may broadcast the half-signed offer once the seller signs; here nobody does, so
    // the output stays unspent and a second offer builds as well.
    EXPECT_EQ(trade::build_offer(session(), request).find("error"), std::string::npos);
}

TEST_F(OfferBuild, TheCoinSplitKeepsASmallCoinApart)
{
    // One big coin: everything but the smallest coins would be needed, so 2000 sats are split off.
    ASSERT_FALSE(open_wallet("dave", {1'000'000}).empty());
    std::string token = devnet().mint(SELLER_ORD, "10", "TEN");
    ASSERT_EQ(trade::build_offer(session(), token_request(token, "1", 100'000)).find("error"), std::string::npos);
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
    ASSERT_EQ(trade::build_offer(session(), token_request(token, "1", 100'000)).find("error"), std::string::npos);
    auto coins = devnet().get("/woc/v1/bsv/main/address/" + m_receive + "/unspent/all").json();
    const auto& list = coins.is_object() ? coins["result"] : coins;
    for (const auto& c : list) EXPECT_NE(c.value("value", int64_t{0}), 2000) << coins.dump();
}

TEST(OfferText, PastedOffersAreReadByTheirHexDigits)
{
    std::vector<tx::TxInput> inputs(2);
    inputs[0].txid = std::string(64, 'c');
    inputs[1].txid = std::string(64, 'd');
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
    EXPECT_EQ(trade::complete_offer(session, hex.substr(0, 79), listing).result, "error: that offer has no signed bytes.");
    EXPECT_EQ(trade::complete_offer(session, std::string(81, 'a'), listing).result, "error: that offer has no signed bytes.");
    EXPECT_EQ(trade::complete_offer(session, std::string(80, 'a'), listing).result, "error: could not parse the offer transaction.");
    EXPECT_EQ(trade::evaluate_offer(session, "", listing).error, "error: that offer has no signed bytes.");
}

} // namespace
