#include "trade/offer_rules.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/base58.h"
#include "core/hash.h"
#include "trade/error.h"
#include "tx/bsv20.h"
#include "tx/inscription.h"
#include "tx/script.h"
#include "tests/support/test_txid.h"

namespace offer_rules_test {

using trade::check_offer;
using trade::ListingTerms;
using trade::OfferCheck;
using trade::Prevout;
using trade::TradeCode;

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
    in.txid = test_txid(txid);
    in.vout = vout;
    if (signed_input) in.script_sig = {0x01, 0x02};
    return in;
}

ListingTerms token_terms(const std::string& qty = "10", uint64_t price = 1000)
{
    return {book::ListingKind::Token, TOKEN, test_outpoint(LISTING_TXID + "_0"), qty, price, core::address_from_hash160(SELLER_PAY), ""};
}

ListingTerms picture_terms()
{
    return {book::ListingKind::Picture, LISTING_TXID + "_0", test_outpoint(LISTING_TXID + "_0"), "1", 50'000, core::address_from_hash160(SELLER_PAY), "1"};
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

// The minted lot itself as the listed output: its body names no id, the token id is the outpoint.
void as_deploy(Case& c, ListingTerms& t)
{
    const std::string deploy_id = LISTING_TXID + "_0";
    std::string body = "{\"amt\":\"10\",\"op\":\"deploy+mint\",\"p\":\"bsv-20\",\"sym\":\"TEN\"}";
    c.prevouts[0] = Prevout{1, tx::inscription_script(SELLER_ORD, tx::BSV20_CONTENT_TYPE, core::as_bytes(body))};
    c.offer.outputs[1] = transfer(BUYER_ORD, "3", deploy_id);
    c.offer.outputs[2] = transfer(SELLER_ORD, "7", deploy_id);
    t.origin = deploy_id;
}

// 3 * 10^10 of 10^11 units at 2 BSV: quantity times price is far past 2^64.
void big_lot(Case& c, ListingTerms& t)
{
    c = token_offer("100000000000");
    c.offer.outputs = {pay(SELLER_PAY, 60'000'000), transfer(BUYER_ORD, "30000000000"), transfer(SELLER_ORD, "70000000000")};
    t = token_terms("100000000000", 200'000'000);
}

// The buyer's coin first: its satoshis fill the price output, the listed one lands in the next.
void picture_second(Case& c, ListingTerms&)
{
    std::swap(c.offer.inputs[0], c.offer.inputs[1]);
    std::swap(c.prevouts[0], c.prevouts[1]);
    c.prevouts[0]->value = 50'000;
    c.offer.outputs = {pay(SELLER_PAY, 50'000), pay(BUYER_ORD, 1)};
}

// What passes, and what the check reads of it: the standard offers; the whole lot for the whole
// price; a price split over outputs; the units this wallet recorded; a deploy output as its own
// token; a pro-rata price past 2^64 before the division; the listing input anywhere, named in
// any case; a picture delivered first in, first out from a later input.
TEST(OfferRules, HonestOffersPass)
{
    struct Pass {
        const char* what;
        bool picture;
        std::function<void(Case&, ListingTerms&)> change;
        size_t listing_input;
        std::string qty, units_left;
        uint64_t due;
    };
    const std::vector<Pass> rows = {
        {"3 of 10", false, [](Case&, ListingTerms&) {}, 0, "3", "7", 300},
        {"the whole lot", false,
         [](Case& c, ListingTerms&) { c.offer.outputs = {pay(SELLER_PAY, 1000), transfer(BUYER_ORD, "10"), pay(BUYER_MAIN, 10)}; },
         0, "10", "0", 1000},
        {"a price split over outputs", false,
         [](Case& c, ListingTerms&) { c.offer.outputs[0].value = 100; c.offer.outputs.push_back(pay(SELLER_PAY, 200)); },
         0, "3", "7", 300},
        {"the units this wallet recorded", false, [](Case&, ListingTerms& t) { t.lot_units = "10"; }, 0, "3", "7", 300},
        {"a deploy output", false, as_deploy, 0, "3", "7", 300},
        {"3 * 10^10 of 10^11 at 2 BSV", false, big_lot, 0, "30000000000", "70000000000", 60'000'000},
        {"the listing input second", false,
         [](Case& c, ListingTerms&) {
             std::swap(c.offer.inputs[0], c.offer.inputs[1]);
             std::swap(c.prevouts[0], c.prevouts[1]);
         },
         1, "3", "7", 300},
        {"a picture", true, [](Case&, ListingTerms&) {}, 0, "1", "0", 50'000},
        {"a picture after the buyer's coin", true, picture_second, 1, "1", "0", 50'000},
    };
    for (const Pass& row : rows) {
        Case c = row.picture ? picture_offer() : token_offer();
        ListingTerms terms = row.picture ? picture_terms() : token_terms();
        row.change(c, terms);
        const OfferCheck check = run(c, terms);
        ASSERT_TRUE(check.passes) << row.what << ": " << trade::error_text(check.error);
        EXPECT_EQ(check.listing_input, row.listing_input) << row.what;
        EXPECT_EQ(check.qty, row.qty) << row.what;
        if (!row.picture) { EXPECT_EQ(check.units_left, row.units_left) << row.what; }
        EXPECT_EQ(check.due_sats, row.due) << row.what;
        EXPECT_EQ(check.paid_sats, row.due) << row.what;
    }
}

// One change to the standard token offer (3 of 10 for 300 of 1000 sats) or the standard
// picture offer, or to the seller's terms, that the check refuses, and why. For an underpaid
// offer, what it pays and what is due.
struct Refusal {
    const char* what;
    bool picture;
    std::function<void(Case&, ListingTerms&)> change;
    TradeCode code;
    uint64_t paid = 0;
    uint64_t due = 0;
};

TEST(OfferRules, EachWayAnOfferCanCheatIsRefused)
{
    using Out = std::vector<tx::TxOutput>;
    const core::Bytes note = tx::data_carrier_script(core::as_bytes("x"));
    const std::vector<Refusal> rows = {
        {"one satoshi short of the whole lot", false,
         [](Case& c, ListingTerms&) { c.offer.outputs = {pay(SELLER_PAY, 999), transfer(BUYER_ORD, "10")}; },
         TradeCode::Underpaid, 999, 1000},
        {"one satoshi for the whole lot", false,
         [](Case& c, ListingTerms&) { c.offer.outputs = {pay(SELLER_PAY, 1), transfer(BUYER_ORD, "10")}; }, TradeCode::Underpaid, 1, 1000},
        {"one satoshi short of its share", false, [](Case& c, ListingTerms&) { c.offer.outputs[0].value = 299; },
         TradeCode::Underpaid, 299, 300},
        {"one satoshi short at 10^11 units", false,
         [](Case& c, ListingTerms& t) { big_lot(c, t); c.offer.outputs[0].value = 59'999'999; },
         TradeCode::Underpaid, 59'999'999, 60'000'000},
        {"a share truncated to nothing", false, [](Case&, ListingTerms& t) { t.price_sats = 3; }, TradeCode::TooFewLots},
        {"the price to another address", false, [](Case& c, ListingTerms&) { c.offer.outputs[0] = pay(SELLER_COIN, 300); },
         TradeCode::Underpaid, 0, 300},
        {"the price into an inscription", false,
         [](Case& c, ListingTerms&) { c.offer.outputs[0] = {300, tx::inscription_script(SELLER_PAY, "text/plain", core::as_bytes("x"))}; },
         TradeCode::Underpaid, 0, 300},
        {"takes all, pays for 3", false,
         [](Case& c, ListingTerms&) { c.offer.outputs = {pay(SELLER_PAY, 300), transfer(BUYER_ORD, "10")}; },
         TradeCode::Underpaid, 300, 1000},
        {"the rest to the buyer as well", false, [](Case& c, ListingTerms&) { c.offer.outputs[2] = transfer(BUYER_ORD, "7"); },
         TradeCode::OneBuyerOutput},
        {"one unit short of the rest", false, [](Case& c, ListingTerms&) { c.offer.outputs[2] = transfer(SELLER_ORD, "6"); },
         TradeCode::UnsoldNotReturned},
        {"the rest burned", false, [](Case& c, ListingTerms&) { c.offer.outputs.erase(c.offer.outputs.begin() + 2); },
         TradeCode::UnsoldNotReturned},
        {"more than the listing offers", false,
         [](Case& c, ListingTerms& t) { t.qty = "5"; c.offer.outputs[1] = transfer(BUYER_ORD, "6"); c.offer.outputs[2] = transfer(SELLER_ORD, "4"); },
         TradeCode::TakesMoreThanListed},
        {"more than the output holds", false, [](Case& c, ListingTerms&) { c.offer.outputs[1] = transfer(BUYER_ORD, "11"); },
         TradeCode::TakesMoreThanHeld},
        {"another token besides", false,
         [](Case& c, ListingTerms&) { c.offer.outputs.push_back(transfer(BUYER_ORD, "5", OTHER_TOKEN)); }, TradeCode::ForeignTransfer},
        {"a burn, not a transfer", false,
         [](Case& c, ListingTerms&) { c.offer.outputs[1] = transfer(BUYER_ORD, "3", TOKEN, "burn"); }, TradeCode::ForeignTransfer},
        {"a transfer of 0", false, [](Case& c, ListingTerms&) { c.offer.outputs.push_back(transfer(SELLER_COIN, "0")); },
         TradeCode::ForeignTransfer},
        {"more out than in", false,
         [](Case& c, ListingTerms&) {
             c.offer.outputs[1] = transfer(BUYER_ORD, "10");
             c.offer.outputs[2] = transfer(SELLER_ORD, "1");
         },
         TradeCode::ForeignTransfer},
        {"a deploy's rest in another token", false,
         [](Case& c, ListingTerms& t) { as_deploy(c, t); c.offer.outputs[2] = transfer(SELLER_ORD, "7"); },
         TradeCode::ForeignTransfer},
        {"a deploy output listed under another token", false,
         [](Case& c, ListingTerms& t) { as_deploy(c, t); c.offer.outputs[2] = transfer(SELLER_ORD, "7"); t.origin = TOKEN; },
         TradeCode::HeldOtherToken},
        {"a listed output without tokens", false,
         [](Case& c, ListingTerms&) { c.prevouts[0] = Prevout{1, tx::p2pkh_script(SELLER_ORD)}; }, TradeCode::NoTokensHeld},
        {"a listed output of another token", false,
         [](Case& c, ListingTerms&) { c.prevouts[0] = Prevout{1, transfer(SELLER_ORD, "10", OTHER_TOKEN).script}; },
         TradeCode::HeldOtherToken},
        {"other units than this wallet listed", false, [](Case&, ListingTerms& t) { t.lot_units = "12"; }, TradeCode::UnitsNotListed},
        {"the seller's own coin left unsigned", false,
         [](Case& c, ListingTerms&) {
             c.offer.inputs.push_back(input(SELLER_TXID, 0, false));
             c.prevouts.push_back(Prevout{500'000'000, tx::p2pkh_script(SELLER_PAY)});
         },
         TradeCode::SignsMoreThanLot},
        {"another output of the listing", false, [](Case&, ListingTerms& t) { t.utxo.vout = 1; }, TradeCode::NotListingInput},
        {"the listed lot already signed", false, [](Case& c, ListingTerms&) { c.offer.inputs[0].script_sig = {0x00}; },
         TradeCode::NothingToSign},
        {"the listed output not loaded", false, [](Case& c, ListingTerms&) { c.prevouts[0].reset(); }, TradeCode::ListedNotLoaded},
        {"fewer outputs loaded than inputs", false, [](Case& c, ListingTerms&) { c.prevouts.pop_back(); }, TradeCode::ListedNotLoaded},
        {"a payment address that is none", false, [](Case&, ListingTerms& t) { t.pay_addr = "not an address"; }, TradeCode::PayAddressBad},
        {"nothing left", false, [](Case&, ListingTerms& t) { t.qty = "0"; }, TradeCode::NothingLeft},
        {"no quantity", false, [](Case&, ListingTerms& t) { t.qty = ""; }, TradeCode::NothingLeft},
        {"an input before the picture's not loaded", true,
         [](Case& c, ListingTerms& t) { picture_second(c, t); c.prevouts[0].reset(); },
         TradeCode::InputsNotLoaded},
        {"price first leaves the picture here", true,
         [](Case& c, ListingTerms&) { std::swap(c.offer.outputs[0], c.offer.outputs[1]); }, TradeCode::PictureStaysHere},
        {"the picture back to the seller", true, [](Case& c, ListingTerms&) { c.offer.outputs[0] = pay(SELLER_ORD, 1); },
         TradeCode::PictureStaysHere},
        {"the picture lost in a larger coin", true, [](Case& c, ListingTerms&) { c.offer.outputs[0] = pay(BUYER_ORD, 2); },
         TradeCode::PictureNotToBuyer},
        {"the picture into a data output", true, [note](Case& c, ListingTerms&) { c.offer.outputs[0] = {1, note}; },
         TradeCode::PictureNotToBuyer},
        {"the picture burned as fee", true, [note](Case& c, ListingTerms&) { c.offer.outputs = Out{{0, note}}; }, TradeCode::PictureBurned},
        {"an ordinary coin of the seller's as the picture", true,
         [](Case& c, ListingTerms&) { c.prevouts[0] = Prevout{3'000'000, tx::p2pkh_script(SELLER_PAY)}; }, TradeCode::NotPictureOutput},
        {"a third of a picture", true,
         [](Case& c, ListingTerms& t) {
             t.qty = "3";  // a malformed listing cannot make a picture cheaper
             c.offer.outputs[1].value = 16'667;
         },
         TradeCode::Underpaid, 16'667, 50'000},
    };
    for (const auto& row : rows) {
        Case c = row.picture ? picture_offer() : token_offer();
        ListingTerms terms = row.picture ? picture_terms() : token_terms();
        row.change(c, terms);
        const OfferCheck check = run(c, terms);
        EXPECT_FALSE(check.passes) << row.what;
        EXPECT_EQ(check.error.code, row.code) << row.what << ": " << trade::error_text(check.error);
        if (row.code != TradeCode::Underpaid) continue;
        EXPECT_EQ(check.error.paid_sats, row.paid) << row.what;
        EXPECT_EQ(check.error.due_sats, row.due) << row.what;
    }
}

} // namespace offer_rules_test
