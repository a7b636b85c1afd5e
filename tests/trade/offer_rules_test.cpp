#include "trade/offer_rules.h"

#include <gtest/gtest.h>

#include "core/base58.h"
#include "core/hash.h"
#include "tx/bsv20.h"
#include "tx/inscription.h"
#include "tx/script.h"

namespace offer_rules_test {

using trade::check_offer;
using trade::ListingTerms;
using trade::OfferCheck;
using trade::Prevout;

core::Hash160 hash_of(const std::string& name)
{
    return core::hash160(core::as_bytes(name));
}

const core::Hash160 SELLER_PAY = hash_of("seller pay");
const core::Hash160 SELLER_ORD = hash_of("seller ord");
const core::Hash160 SELLER_COIN = hash_of("seller other coin");
const core::Hash160 BUYER_ORD = hash_of("buyer ord");
const core::Hash160 BUYER_MAIN = hash_of("buyer main");
const std::string TOKEN = std::string(64, 'a') + "_0";
const std::string OTHER_TOKEN = std::string(64, 'b') + "_0";
const std::string LISTING_TXID = std::string(62, 'c') + "01";
const std::string BUYER_TXID = std::string(62, 'd') + "02";
const std::string SELLER_TXID = std::string(62, 'e') + "03";

bool is_seller(const core::Hash160& h)
{
    return h == SELLER_PAY || h == SELLER_ORD || h == SELLER_COIN;
}

tx::TxOutput pay(const core::Hash160& to, core::Amount sats)
{
    return {sats, tx::p2pkh_script(to)};
}

tx::TxOutput transfer(const core::Hash160& to, const std::string& amt, const std::string& id = TOKEN,
                      const std::string& op = "transfer")
{
    std::string body = tx::bsv20_transfer_json(id, amt);
    if (op != "transfer") {
        auto pos = body.find("\"transfer\"");
        body.replace(pos, 10, "\"" + op + "\"");
    }
    return {1, tx::inscription_script(to, tx::BSV20_CONTENT_TYPE, core::as_bytes(body))};
}

tx::TxInput input(const std::string& txid, uint32_t vout, bool signed_input)
{
    tx::TxInput in;
    in.txid = txid;
    in.vout = vout;
    if (signed_input) in.script_sig = {0x01, 0x02};
    return in;
}

ListingTerms token_terms(const std::string& qty = "10", uint64_t price = 1000)
{
    return {book::ListingKind::Token, TOKEN, LISTING_TXID + "_0", qty, price, core::address_from_hash160(SELLER_PAY), ""};
}

ListingTerms picture_terms()
{
    return {book::ListingKind::Picture, LISTING_TXID + "_0", LISTING_TXID + "_0", "1", 50'000, core::address_from_hash160(SELLER_PAY), "1"};
}

struct Case {
    tx::Transaction offer;
    std::vector<std::optional<Prevout>> prevouts;
};

// The layout the buyer's program writes for 3 of 10 tokens at 1000 sats for the lot.
Case token_offer(const std::string& held = "10")
{
    Case c;
    c.offer.inputs = {input(LISTING_TXID, 0, false), input(BUYER_TXID, 1, true)};
    c.offer.outputs = {pay(SELLER_PAY, 300), transfer(BUYER_ORD, "3"), transfer(SELLER_ORD, "7"), pay(BUYER_MAIN, 4000)};
    c.prevouts = {Prevout{1, transfer(SELLER_ORD, held).script}, Prevout{5000, tx::p2pkh_script(BUYER_MAIN)}};
    return c;
}

Case picture_offer()
{
    Case c;
    c.offer.inputs = {input(LISTING_TXID, 0, false), input(BUYER_TXID, 0, true)};
    c.offer.outputs = {pay(BUYER_ORD, 1), pay(SELLER_PAY, 50'000), pay(BUYER_MAIN, 9000)};
    core::Bytes picture = tx::inscription_script(SELLER_ORD, "image/png", core::as_bytes("png bytes"));
    c.prevouts = {Prevout{1, picture}, Prevout{60'000, tx::p2pkh_script(BUYER_MAIN)}};
    return c;
}

OfferCheck run(const Case& c, const ListingTerms& terms)
{
    return check_offer(c.offer, c.prevouts, terms, is_seller);
}

void expect_refused(const OfferCheck& check, const std::string& part)
{
    EXPECT_FALSE(check.passes);
    EXPECT_EQ(check.error.rfind("error: ", 0), 0u) << check.error;
    EXPECT_NE(check.error.find(part), std::string::npos) << check.error;
}

TEST(OfferRulesTokens, APartialOfferPayingItsShareWithTheRestReturnedPasses)
{
    OfferCheck check = run(token_offer(), token_terms());
    ASSERT_TRUE(check.passes) << check.error;
    EXPECT_EQ(check.listing_input, 0u);
    EXPECT_EQ(check.qty, "3");
    EXPECT_EQ(check.units_left, "7");
    EXPECT_EQ(check.due_sats, 300u);
    EXPECT_EQ(check.paid_sats, 300u);
}

TEST(OfferRulesTokens, TheWholeLotPaysTheWholePriceWithNoRemainder)
{
    Case c = token_offer();
    c.offer.outputs = {pay(SELLER_PAY, 1000), transfer(BUYER_ORD, "10"), pay(BUYER_MAIN, 10)};
    OfferCheck check = run(c, token_terms());
    ASSERT_TRUE(check.passes) << check.error;
    EXPECT_EQ(check.units_left, "0");
    EXPECT_EQ(check.due_sats, 1000u);

    c.offer.outputs[0].value = 999;
    expect_refused(run(c, token_terms()), "pays 0.00000999 BSV, but the listing asks 0.00001000 BSV");
}

TEST(OfferRulesTokens, UnderpayingIsRefused)
{
    Case c = token_offer();
    c.offer.outputs[0].value = 299;
    expect_refused(run(c, token_terms()), "pays");
    // One satoshi for the whole lot: the attack the check exists for.
    c.offer.outputs = {pay(SELLER_PAY, 1), transfer(BUYER_ORD, "10")};
    expect_refused(run(c, token_terms()), "the listing asks 0.00001000 BSV");
    // 3 of 10 lots at 3 satoshis for the lot: a share truncated to nothing buys nothing.
    c = token_offer();
    expect_refused(run(c, token_terms("10", 3)), "too few lots to cost anything");
}

TEST(OfferRulesTokens, PaymentToAnInscriptionOrAnotherAddressDoesNotCount)
{
    Case c = token_offer();
    c.offer.outputs[0] = pay(SELLER_COIN, 300);
    expect_refused(run(c, token_terms()), "pays 0.00000000 BSV");
    c.offer.outputs[0] = {300, tx::inscription_script(SELLER_PAY, "text/plain", core::as_bytes("x"))};
    expect_refused(run(c, token_terms()), "pays 0.00000000 BSV");
}

TEST(OfferRulesTokens, PaymentsSplitOverOutputsAddUp)
{
    Case c = token_offer();
    c.offer.outputs[0].value = 100;
    c.offer.outputs.push_back(pay(SELLER_PAY, 200));
    EXPECT_TRUE(run(c, token_terms()).passes);
}

TEST(OfferRulesTokens, DivertedTokensAreRefused)
{
    Case c = token_offer();
    c.offer.outputs[2] = transfer(BUYER_ORD, "7");  // the rest to the buyer as well
    expect_refused(run(c, token_terms()), "exactly one buyer output");

    c = token_offer();
    c.offer.outputs[2] = transfer(SELLER_ORD, "6");  // one unit short of the rest
    expect_refused(run(c, token_terms()), "return the 7 unsold units");

    c = token_offer();
    c.offer.outputs.erase(c.offer.outputs.begin() + 2);  // the rest burned
    expect_refused(run(c, token_terms()), "return the 7 unsold units");

    c = token_offer();
    c.offer.outputs[1] = transfer(BUYER_ORD, "10");  // takes all, pays for 3
    c.offer.outputs.erase(c.offer.outputs.begin() + 2);
    expect_refused(run(c, token_terms()), "pays 0.00000300 BSV, but the listing asks 0.00001000 BSV");

    c = token_offer();
    c.offer.outputs[1] = transfer(BUYER_ORD, "11");
    expect_refused(run(c, token_terms()), "more tokens than the listed output holds");
}

TEST(OfferRulesTokens, TransfersOfOtherTokensOrOtherOperationsAreRefused)
{
    Case c = token_offer();
    c.offer.outputs.push_back(transfer(BUYER_ORD, "5", OTHER_TOKEN));
    expect_refused(run(c, token_terms()), "token transfer this sale does not make");

    c = token_offer();
    c.offer.outputs[1] = transfer(BUYER_ORD, "3", TOKEN, "burn");
    expect_refused(run(c, token_terms()), "token transfer this sale does not make");

    c = token_offer();
    c.offer.outputs.push_back(transfer(SELLER_COIN, "0"));
    expect_refused(run(c, token_terms()), "token transfer this sale does not make");

    c = token_offer();
    c.offer.outputs[1] = transfer(BUYER_ORD, "10");
    c.offer.outputs[2] = transfer(SELLER_ORD, "1");  // more out than in
    expect_refused(run(c, token_terms()), "token transfer this sale does not make");
}

TEST(OfferRulesTokens, AListedOutputWithoutTheTokensIsRefused)
{
    Case c = token_offer();
    c.prevouts[0] = Prevout{1, tx::p2pkh_script(SELLER_ORD)};
    expect_refused(run(c, token_terms()), "holds no tokens");
    c.prevouts[0] = Prevout{1, transfer(SELLER_ORD, "10", OTHER_TOKEN).script};
    expect_refused(run(c, token_terms()), "another token than the listing");
    // The output holds other units than this wallet recorded when it listed.
    ListingTerms recorded = token_terms();
    recorded.lot_units = "12";
    expect_refused(run(token_offer(), recorded), "does not hold the units this wallet listed");
    recorded.lot_units = "10";
    EXPECT_TRUE(run(token_offer(), recorded).passes);
}

TEST(OfferRulesTokens, ADeployOutputIsItsOwnToken)
{
    // The minted lot itself: its body names no id, the token id is the listed outpoint.
    const std::string deploy_id = LISTING_TXID + "_0";
    std::string deploy = "{\"amt\":\"10\",\"op\":\"deploy+mint\",\"p\":\"bsv-20\",\"sym\":\"TEN\"}";
    Case c = token_offer();
    c.prevouts[0] = Prevout{1, tx::inscription_script(SELLER_ORD, tx::BSV20_CONTENT_TYPE, core::as_bytes(deploy))};
    c.offer.outputs[1] = transfer(BUYER_ORD, "3", deploy_id);
    c.offer.outputs[2] = transfer(SELLER_ORD, "7", deploy_id);
    ListingTerms terms = token_terms();
    terms.origin = deploy_id;
    OfferCheck check = run(c, terms);
    EXPECT_TRUE(check.passes) << check.error;
    c.offer.outputs[2] = transfer(SELLER_ORD, "7");  // the rest in another token
    expect_refused(run(c, terms), "token transfer this sale does not make");
    terms.origin = TOKEN;
    expect_refused(run(c, terms), "another token than the listing");
}

TEST(OfferRulesTokens, ProRataPriceUsesA128BitProduct)
{
    // 10^11 units at 2 BSV; 3 * 10^10 units of them: q * price is far past 2^64.
    Case c = token_offer("100000000000");
    c.offer.outputs = {pay(SELLER_PAY, 60'000'000), transfer(BUYER_ORD, "30000000000"),
                       transfer(SELLER_ORD, "70000000000")};
    OfferCheck check = run(c, token_terms("100000000000", 200'000'000));
    ASSERT_TRUE(check.passes) << check.error;
    EXPECT_EQ(check.due_sats, 60'000'000u);
    c.offer.outputs[0].value = 59'999'999;
    EXPECT_FALSE(run(c, token_terms("100000000000", 200'000'000)).passes);
}

TEST(OfferRulesInputs, OnlyTheListedLotMayBeLeftForTheSellerToSign)
{
    Case c = token_offer();
    // The seller's own coin (its address is the public pay_addr) as a second unsigned input.
    c.offer.inputs.push_back(input(SELLER_TXID, 0, false));
    c.prevouts.push_back(Prevout{500'000'000, tx::p2pkh_script(SELLER_PAY)});
    expect_refused(run(c, token_terms()), "sign more than the listed lot");
}

TEST(OfferRulesInputs, TheListingInputIsFoundByTheSellersRecordAnywhere)
{
    Case c = token_offer();
    std::swap(c.offer.inputs[0], c.offer.inputs[1]);
    std::swap(c.prevouts[0], c.prevouts[1]);
    OfferCheck check = run(c, token_terms());
    ASSERT_TRUE(check.passes) << check.error;
    EXPECT_EQ(check.listing_input, 1u);

    ListingTerms upper = token_terms();
    upper.utxo = "CCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCC01:0";
    EXPECT_TRUE(run(token_offer(), upper).passes);
}

TEST(OfferRulesInputs, AnOfferOnAnotherOutputOrAlreadySignedIsRefused)
{
    ListingTerms moved = token_terms();
    moved.utxo = LISTING_TXID + "_1";
    expect_refused(run(token_offer(), moved), "does not spend the reserved lot of the listing");
    moved.utxo = "";
    expect_refused(run(token_offer(), moved), "does not spend the reserved lot of the listing");

    Case c = token_offer();
    c.offer.inputs[0].script_sig = {0x00};
    expect_refused(run(c, token_terms()), "nothing left for this wallet to sign");
}

TEST(OfferRulesInputs, MissingDataIsRefusedNotGuessed)
{
    Case c = token_offer();
    c.prevouts[0].reset();
    expect_refused(run(c, token_terms()), "could not load the listed output");
    c.prevouts.pop_back();
    expect_refused(run(c, token_terms()), "could not load the listed output");

    ListingTerms bad = token_terms();
    bad.pay_addr = "not an address";
    expect_refused(run(token_offer(), bad), "payment address is not valid");
    expect_refused(run(token_offer(), token_terms("0")), "nothing left to sell");
    expect_refused(run(token_offer(), token_terms("")), "nothing left to sell");
}

TEST(OfferRulesPicture, TheBuyersOutputFirstDeliversThePicture)
{
    OfferCheck check = run(picture_offer(), picture_terms());
    ASSERT_TRUE(check.passes) << check.error;
    EXPECT_EQ(check.qty, "1");
    EXPECT_EQ(check.due_sats, 50'000u);
}

TEST(OfferRulesPicture, PriceFirstWouldLeaveThePictureWithTheSeller)
{
    Case c = picture_offer();
    std::swap(c.offer.outputs[0], c.offer.outputs[1]);
    expect_refused(run(c, picture_terms()), "leave the picture with this wallet");
}

TEST(OfferRulesPicture, FirstInFirstOutDecidesNotThePosition)
{
    // The buyer's coin comes first: its 1000 satoshis fill the price output, and the listed
    // satoshi lands in the next output, the buyer's.
    Case c = picture_offer();
    std::swap(c.offer.inputs[0], c.offer.inputs[1]);
    std::swap(c.prevouts[0], c.prevouts[1]);
    c.prevouts[0]->value = 50'000;
    c.offer.outputs = {pay(SELLER_PAY, 50'000), pay(BUYER_ORD, 1)};
    OfferCheck check = run(c, picture_terms());
    EXPECT_TRUE(check.passes) << check.error;
    EXPECT_EQ(check.listing_input, 1u);

    c.prevouts[0].reset();
    expect_refused(run(c, picture_terms()), "could not load the offer's inputs");
}

TEST(OfferRulesPicture, ThePictureMustLandInABuyersOneSatOutput)
{
    Case c = picture_offer();
    c.offer.outputs[0] = pay(SELLER_ORD, 1);  // back to the seller
    expect_refused(run(c, picture_terms()), "leave the picture with this wallet");

    c = picture_offer();
    c.offer.outputs[0] = pay(BUYER_ORD, 2);  // lost in a larger coin
    expect_refused(run(c, picture_terms()), "1-satoshi output of the buyer");

    c = picture_offer();
    c.offer.outputs[0] = {1, tx::data_carrier_script(core::as_bytes("x"))};
    expect_refused(run(c, picture_terms()), "1-satoshi output of the buyer");

    c = picture_offer();
    c.offer.outputs = {{0, tx::data_carrier_script(core::as_bytes("x"))}};
    expect_refused(run(c, picture_terms()), "burn the picture as fee");

    // A "picture" that is one of the seller's ordinary coins is never signed away.
    c = picture_offer();
    c.prevouts[0] = Prevout{3'000'000, tx::p2pkh_script(SELLER_PAY)};
    expect_refused(run(c, picture_terms()), "not the 1-satoshi output of a picture");
}

TEST(OfferRulesPicture, APictureAlwaysCostsItsWholePrice)
{
    ListingTerms terms = picture_terms();
    terms.qty = "3";  // a malformed listing cannot make a picture cheaper
    Case c = picture_offer();
    c.offer.outputs[1].value = 16'667;
    expect_refused(run(c, terms), "the listing asks 0.00050000 BSV");
}

TEST(OfferRulesOutputs, EnvelopeAndBodyReaders)
{
    EXPECT_FALSE(trade::output_envelope(tx::p2pkh_script(BUYER_ORD)));
    EXPECT_FALSE(trade::output_envelope(core::Bytes{0x6a}));
    auto body = trade::output_bsv20(transfer(BUYER_ORD, "42").script);
    ASSERT_TRUE(body);
    EXPECT_EQ(body->amt, "42");
    EXPECT_EQ(body->id, TOKEN);
    EXPECT_FALSE(trade::output_bsv20(tx::inscription_script(BUYER_ORD, "text/plain", core::as_bytes("{\"p\":\"bsv-20\"}"))));
}

} // namespace offer_rules_test
