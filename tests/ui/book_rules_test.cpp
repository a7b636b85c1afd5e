// Rules over the book that the controller applies after each load: reserve reconciliation,
// waiting offers, the events a trader must not miss, which inscription a picture is drawn from,
// quantities in token units, and the freshness marker and result line.
#include <gtest/gtest.h>

#include "book/chain_facts.h"
#include "ui/main_texts.h"
#include "ui/market_events.h"
#include "ui/quantity_text.h"
#include "ui/reserve_reconcile.h"
#include "ui/thumbnail_key.h"
#include "ui/waiting_offer.h"

namespace {

const std::string ME = "02" + std::string(64, 'a');
const std::string UTXO = std::string(64, 'c') + "_0";

book::Listing mine_with_offer(std::string offer_hex)
{
    book::Listing l;
    l.id = std::string(64, '1');
    l.status = book::ListingStatus::Live;
    l.pubkey = ME;
    l.utxo = UTXO;
    book::Offer o;
    o.offer = std::move(offer_hex);
    l.offers.push_back(o);
    return l;
}

bool spends(const std::string& offer, const std::string& utxo) { return offer.find(utxo) != std::string::npos; }

// Only a listing the load saw closed lets its reserve go; one missing from the load (a registry
// outage fails every key check) never does; ids compare in lower case.
TEST(ReserveReconcile, OnlyClosedStatesDrop)
{
    EXPECT_TRUE(ui::reserves_to_drop({"aa", "bb"}, {}).empty());
    const std::map<std::string, ui::ListingState> states = {
        {"sold", {book::ListingStatus::Sold, false}},
        {"forced", {book::ListingStatus::ForceCancelled, false}},
        {"expired", {book::ListingStatus::Expired, false}},
        {"cancelled-fee", {book::ListingStatus::Cancelled, true}},
        {"cancelled-nofee", {book::ListingStatus::Cancelled, false}},
        {"live", {book::ListingStatus::Live, true}},
        {"abcd", {book::ListingStatus::Sold, false}},
    };
    const auto dropped = ui::reserves_to_drop(
        {"sold", "forced", "expired", "cancelled-fee", "cancelled-nofee", "live", "", "sold", "ABCD"}, states);
    EXPECT_EQ(dropped, (std::vector<std::string>{"sold", "forced", "expired", "cancelled-fee", "abcd"}));
}

TEST(ReserveReconcile, SoldListingsCountAndExpiryComesFromTheView)
{
    book::Listing sold;
    sold.id = "S1";
    sold.status = book::ListingStatus::Sold;
    book::Listing aging;
    aging.id = "e1";
    aging.status = book::ListingStatus::Live;
    std::map<std::string, book::Listing> reduced = {{"S1", sold}, {"e1", aging}};
    book::Listing aged = aging;
    aged.status = book::ListingStatus::Expired;  // the view marks expiry; the reduced book does not
    const auto states = ui::listing_states(reduced, {aged});
    EXPECT_EQ(states.at("s1").status, book::ListingStatus::Sold);
    EXPECT_EQ(states.at("e1").status, book::ListingStatus::Expired);
    EXPECT_EQ(ui::reserves_to_drop({"s1", "e1"}, states), (std::vector<std::string>{"s1", "e1"}));
}

// An offer waits on a live listing of the wallet when it is short or cannot be checked, or when
// its bytes spend the listing's output.
TEST(WaitingOffer, OnlyOffersThatCanSpendTheWalletsLiveListings)
{
    EXPECT_TRUE(ui::has_waiting_offer(mine_with_offer("short"), ME, spends));
    book::Listing no_utxo = mine_with_offer(std::string(200, 'f'));
    no_utxo.utxo.clear();
    EXPECT_TRUE(ui::has_waiting_offer(no_utxo, ME, spends));
    EXPECT_FALSE(ui::has_waiting_offer(mine_with_offer(std::string(200, 'f')), ME, spends));
    EXPECT_TRUE(ui::has_waiting_offer(mine_with_offer(std::string(100, 'f') + UTXO), ME, spends));
    book::Listing two = mine_with_offer(std::string(200, 'f'));
    two.offers.push_back(two.offers.front());
    two.offers.back().offer = std::string(100, 'e') + UTXO;
    EXPECT_TRUE(ui::has_waiting_offer(two, ME, spends));

    book::Listing l = mine_with_offer("short");
    EXPECT_FALSE(ui::has_waiting_offer(l, "02" + std::string(64, 'b'), spends));
    EXPECT_FALSE(ui::has_waiting_offer(l, "", spends));
    l.status = book::ListingStatus::Expired;
    EXPECT_FALSE(ui::has_waiting_offer(l, ME, spends));
    book::Listing none = mine_with_offer("short");
    none.offers.clear();
    EXPECT_FALSE(ui::has_waiting_offer(none, ME, spends));
    EXPECT_FALSE(ui::any_waiting_offer({mine_with_offer("short")}, false, ME, spends));
    EXPECT_TRUE(ui::any_waiting_offer({none, mine_with_offer("short")}, true, ME, spends));
}

// A picture is drawn from what its listing output holds, never from the post's icon; a token
// from its icon, else the token its output holds, else its deploy inscription (whose JSON may
// name the icon).
TEST(ThumbnailKey, PicturesFromTheirOutputTokensFromTheirIcon)
{
    book::Listing picture;
    picture.kind = book::ListingKind::Picture;
    picture.origin = "mine_0";
    picture.utxo = "lot_1";
    picture.claimed.icon = "someone_elses_famous_0";
    book::apply_chain_facts(picture, book::HeldAsset{"scribble_0", ""}, std::nullopt);
    EXPECT_EQ(ui::thumbnail_key(picture), "scribble_0");
    book::apply_chain_facts(picture, std::nullopt, std::nullopt);
    EXPECT_EQ(ui::thumbnail_key(picture), "lot_1");
    book::Listing token;
    token.kind = book::ListingKind::Token;
    token.origin = "deploy_0";
    EXPECT_EQ(ui::thumbnail_key(token), "deploy_0");
    token.chain_origin = "held_0";
    EXPECT_EQ(ui::thumbnail_key(token), "held_0");
    token.icon = "icon_1";
    EXPECT_EQ(ui::thumbnail_key(token), "icon_1");

    EXPECT_EQ(ui::icon_redirect("k", "application/bsv-20", R"({"p":"bsv-20","icon":"pic_0"})"), "pic_0");
    EXPECT_EQ(ui::icon_redirect("k", "application/octet-stream", R"({"icon":"pic_0"})"), "pic_0");
    for (const char* body : {R"({"icon":"k"})", R"({"icon":""})", R"({"icon":7})", R"( {"icon":"x"})", R"({"icon":"x")", ""})
        EXPECT_FALSE(ui::icon_redirect("k", "application/json", body)) << body;
    EXPECT_FALSE(ui::icon_redirect("k", "image/png", R"({"icon":"x"})"));
}

book::Listing token(const std::string& sym, int dec, const std::string& qty, uint64_t price)
{
    book::Listing l;
    l.kind = book::ListingKind::Token;
    l.name = sym;
    l.sym = sym;
    l.dec = dec;
    l.qty = qty;
    l.price_sats = price;
    return l;
}

TEST(Quantities, TokenUnitsPerUnitPricesAndWhatWasTyped)
{
    const book::Listing laurel = token("LAUR", 8, "84000000000", 840'000'000);
    EXPECT_EQ(ui::book_cell_text(laurel, ui::BookColumn::Qty), "840");
    EXPECT_EQ(ui::quantity_text(laurel, "150000000"), "1.5 LAUR");
    EXPECT_EQ(ui::book_cell_text(laurel, ui::BookColumn::UnitPrice), "0.01000000");  // 8.4 BSV for 840
    EXPECT_EQ(ui::typed_quantity(laurel, "1.5"), "150000000");
    EXPECT_FALSE(ui::typed_quantity(laurel, "0.000000001"));
    EXPECT_FALSE(ui::typed_quantity(laurel, "0"));

    const book::Listing lyra = token("LYRA", 0, "250000", 50'000'000);
    EXPECT_EQ(ui::book_cell_text(lyra, ui::BookColumn::Qty), "250,000");
    EXPECT_EQ(ui::unit_price_text(lyra), "0.00000200");
    EXPECT_EQ(ui::unit_price_text(token("DUST", 0, "1000000000", 1)), "<0.00000001");
    EXPECT_EQ(ui::unit_price_text(token("NONE", 0, "", 1)), "-");
    // Sorting by price per unit compares tokens of any decimals.
    EXPECT_LT(ui::unit_price_value(lyra), ui::unit_price_value(laurel));

    book::Listing picture;
    picture.kind = book::ListingKind::Picture;
    picture.qty = "1";
    picture.price_sats = 30'000'000;
    EXPECT_EQ(ui::quantity_text(picture, "1"), "1 picture");
    EXPECT_EQ(ui::typed_quantity(picture, "1"), "1");
    EXPECT_FALSE(ui::typed_quantity(picture, "2"));
}

// Events are new offers on the wallet's live listings and new purchases in its history,
// each announced once, and nothing when there was no book before.
TEST(MarketEvents, EachNewOfferAndEachFillOnce)
{
    book::Listing mine = token("LYRA", 0, "250000", 50'000'000);
    mine.id = "L1";
    mine.pubkey = ME;
    mine.status = book::ListingStatus::Live;
    book::Offer first;
    first.id = "o1";
    first.handle = "zeno";
    first.qty = "250000";
    first.pay_sats = 50'000'000;
    mine.offers = {first};
    book::Listing theirs = token("OWL", 0, "10", 1000);
    theirs.id = "L2";
    theirs.pubkey = "02" + std::string(64, 'b');
    theirs.status = book::ListingStatus::Live;
    theirs.offers = {first};

    const std::vector<book::Listing> before = {mine, theirs};
    auto after = before;
    book::Offer second = first;
    second.id = "o2";
    second.handle = "rhea";
    second.qty = "1000";
    second.pay_sats = 200'000;
    after[0].offers.push_back(second);
    after[1].offers.push_back(second);  // an offer on someone else's listing is not ours to hear of

    book::HistoryRow bought;
    bought.type = "ag_fill";
    bought.role = "buy";
    bought.handle = "you";
    bought.counterparty = "rhea";
    bought.txid = "f1";
    bought.listing = "L2";
    bought.qty = "4";
    bought.pay_sats = 400;

    const auto events = ui::market_events(before, after, {}, {bought}, ME);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].text, "New offer on your LYRA listing: 1,000 LYRA for 0.00200000 BSV from rhea.");
    EXPECT_EQ(events[1].text, "Your offer on OWL was filled: 4 OWL for 0.00000400 BSV from rhea.");
    EXPECT_TRUE(ui::market_events(after, after, {bought}, {bought}, ME).empty());
    EXPECT_TRUE(ui::market_events(before, after, {}, {bought}, "").empty());
}

TEST(MainTexts, FreshnessMarkerAndActionResults)
{
    const ui::TimeFormatter at_1402 = [](int64_t, const char*) { return std::string("14:02"); };
    EXPECT_EQ(ui::book_marker_text({true, false, 0, 100}, at_1402), "");
    EXPECT_EQ(ui::book_marker_text({false, false, 37, 100}, at_1402),
              "Book as of 14:02 \u2014 the market's services are busy; 37 posts not read yet");
    EXPECT_EQ(ui::book_marker_text({false, true, 0, 100}, at_1402), "Book as of 14:02 \u2014 offline");
    EXPECT_EQ(ui::book_marker_text({false, true, 0, 0}, at_1402), "No book yet \u2014 offline");

    const std::string txid = "3f6c1d0a9b8e7f6a5b4c3d2e1f0a9b8c7d6e5f4a3b2c1d0e9f8a7b6c5d4e3f2a";
    const auto done = ui::action_outcome("Your offer is posted.",
                                         trade::Sent{txid, true, trade::TradeError(trade::TradeCode::Refused, "busy.")});
    EXPECT_TRUE(done.success);
    EXPECT_EQ(done.txid, txid);
    EXPECT_EQ(done.status, "Your offer is posted. (3f6c1d\u20264e3f2a)");
    EXPECT_EQ(done.text, "Your offer is posted.\nBook overlay: error: busy.");
    const auto refused = ui::action_outcome("Your offer is posted.", trade::TradeError(trade::TradeCode::Refused, "the listing is gone.\nmore"));
    EXPECT_FALSE(refused.success);
    EXPECT_EQ(refused.status, "error: the listing is gone.");
    EXPECT_EQ(ui::action_outcome("", trade::Sent{}).text, "Done.");
}

} // namespace
