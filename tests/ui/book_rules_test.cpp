// Rules over the book that the controller applies after each load, and what it shows of them.
#include <gtest/gtest.h>

#include "book/chain_facts.h"
#include "ui/main_texts.h"
#include "ui/market_events.h"
#include "ui/quantity_text.h"
#include "ui/reserve_reconcile.h"
#include "ui/thumbnail_key.h"
#include "ui/waiting_offer.h"
#include "tests/support/test_txid.h"

namespace {

const std::string ME = "02" + std::string(64, 'a');
const tx::Outpoint LOT{test_txid('c'), 0};

book::Listing listing(book::ListingStatus status, const tx::Txid& id = test_txid('1'))
{
    return {.id = id, .utxo = LOT, .pubkey = ME, .status = status};
}

book::Listing token(const std::string& sym, int dec, const std::string& qty, uint64_t price)
{
    return {.id = test_txid('1'), .utxo = LOT, .qty = qty, .price_sats = price, .pubkey = ME,
            .name = sym, .sym = sym, .dec = dec};
}

// Only a listing the load saw closed lets its reserve go (expiry as the view marks it); one
// missing from the load (a registry outage fails every key check) never does; the reserves'
// ids are read in either case, and one that is no txid names no listing.
TEST(ReserveReconcile, OnlyListingsSeenClosedLetTheirReserveGo)
{
    std::map<tx::Txid, book::Listing> reduced;  // sold, force-cancelled, aging, live, cancelled, unpaid
    for (auto [id, status] : {std::pair{'a', book::ListingStatus::Sold}, {'b', book::ListingStatus::ForceCancelled},
                              {'c', book::ListingStatus::Live}, {'d', book::ListingStatus::Live},
                              {'e', book::ListingStatus::Cancelled}, {'f', book::ListingStatus::Cancelled}})
        reduced[test_txid(id)] = listing(status, test_txid(id));
    reduced[test_txid('e')].fee_ok = true;
    book::Listing aged = reduced[test_txid('c')];
    aged.status = book::ListingStatus::Expired;  // the view marks expiry; the reduced book does not
    const auto states = ui::listing_states(reduced, {aged});
    EXPECT_EQ(ui::reserves_to_drop({test_txid('a'), test_txid('b'), test_txid('c'), test_txid('d'), test_txid('e'), test_txid('f'), test_txid('a')}, states),
              (std::vector<tx::Txid>{test_txid('a'), test_txid('b'), test_txid('c'), test_txid('e')}));
}

// An offer waits on a live listing of the wallet when it is short or cannot be checked, or when
// its bytes spend the listing's output.
TEST(WaitingOffer, OnlyOffersThatCanSpendTheWalletsLiveListings)
{
    auto spends = [](const std::string& offer, const tx::Outpoint& utxo) { return offer.find(tx::format_outpoint(utxo)) != std::string::npos; };
    auto with_offers = [](book::Listing l, std::vector<std::string> offers) {
        for (auto& hex : offers) l.offers.push_back({.offer = hex});
        return l;
    };
    const auto live = listing(book::ListingStatus::Live);
    book::Listing no_utxo = live;
    no_utxo.utxo.reset();
    EXPECT_TRUE(ui::has_waiting_offer(with_offers(live, {"short"}), ME, spends));
    EXPECT_TRUE(ui::has_waiting_offer(with_offers(no_utxo, {std::string(200, 'f')}), ME, spends));
    EXPECT_FALSE(ui::has_waiting_offer(with_offers(live, {std::string(200, 'f')}), ME, spends));
    EXPECT_TRUE(ui::has_waiting_offer(with_offers(live, {std::string(200, 'f'), std::string(100, 'e') + tx::format_outpoint(LOT)}), ME, spends));
    EXPECT_FALSE(ui::has_waiting_offer(with_offers(live, {"short"}), "02" + std::string(64, 'b'), spends));
    EXPECT_FALSE(ui::has_waiting_offer(with_offers(live, {"short"}), "", spends));
    EXPECT_FALSE(ui::has_waiting_offer(with_offers(listing(book::ListingStatus::Expired), {"short"}), ME, spends));
    EXPECT_FALSE(ui::has_waiting_offer(live, ME, spends));
    EXPECT_FALSE(ui::any_waiting_offer({with_offers(live, {"short"})}, false, ME, spends));
    EXPECT_TRUE(ui::any_waiting_offer({live, with_offers(live, {"short"})}, true, ME, spends));
}

// A picture is drawn from what its listing output holds, never from the post's icon; a token
// from its icon, else the token its output holds, else its deploy inscription (whose JSON may
// name the icon).
TEST(ThumbnailKey, PicturesFromTheirOutputTokensFromTheirIcon)
{
    book::Listing picture{
        .origin = "mine_0", .kind = book::ListingKind::Picture, .utxo = LOT, .claimed = {"", "", "someone_elses_famous_0"}};
    book::apply_chain_facts(picture, book::HeldAsset{"scribble_0", ""}, std::nullopt);
    EXPECT_EQ(ui::thumbnail_key(picture), "scribble_0");
    book::apply_chain_facts(picture, std::nullopt, std::nullopt);
    EXPECT_EQ(ui::thumbnail_key(picture), tx::format_outpoint(LOT));
    book::Listing coin{.origin = "deploy_0"};
    EXPECT_EQ(ui::thumbnail_key(coin), "deploy_0");
    coin.chain_origin = "held_0";
    EXPECT_EQ(ui::thumbnail_key(coin), "held_0");
    coin.icon = "icon_1";
    EXPECT_EQ(ui::thumbnail_key(coin), "icon_1");

    EXPECT_EQ(ui::icon_redirect("k", "application/bsv-20", R"({"p":"bsv-20","icon":"pic_0"})"), "pic_0");
    EXPECT_EQ(ui::icon_redirect("k", "application/octet-stream", R"({"icon":"pic_0"})"), "pic_0");
    for (const char* body : {R"({"icon":"k"})", R"({"icon":""})", R"({"icon":7})", R"( {"icon":"x"})", R"({"icon":"x")", ""})
        EXPECT_FALSE(ui::icon_redirect("k", "application/json", body)) << body;
    EXPECT_FALSE(ui::icon_redirect("k", "image/png", R"({"icon":"x"})"));
}

TEST(Quantities, TokenUnitsAndBaseUnits)
{
    const book::Listing laurel = token("LAUR", 8, "84000000000", 840'000'000);
    EXPECT_EQ(ui::quantity_text(laurel, "150000000"), "1.5 LAUR");
    EXPECT_EQ(ui::unit_price_text(laurel), "0.01000000");  // 8.4 BSV for 840
    EXPECT_EQ(ui::typed_quantity(laurel, "1.5"), "150000000");
    for (const char* refused : {"0.000000001", "0"}) EXPECT_FALSE(ui::typed_quantity(laurel, refused)) << refused;
    EXPECT_EQ(ui::unit_price_text(token("DUST", 0, "1000000000", 1)), "<0.00000001");
}

TEST(MarketEvents, EachNewOfferAndEachFillOnce)
{
    book::Listing mine = token("LYRA", 0, "250000", 50'000'000);
    book::Listing theirs = token("OWL", 0, "10", 1000);
    theirs.id = test_txid('2');
    theirs.pubkey = "02" + std::string(64, 'b');
    const book::Offer second{.id = test_txid('b'), .handle = "rhea", .qty = "1000", .pay_sats = 200'000};
    mine.offers = theirs.offers = {book::Offer{.id = test_txid('a')}};
    const std::vector<book::Listing> before = {mine, theirs};
    auto after = before;
    after[0].offers.push_back(second);
    after[1].offers.push_back(second);  // an offer on someone else's listing is not ours to hear of
    const book::HistoryRow bought{
        .type = "ag_fill", .txid = *tx::Txid::parse(std::string(64, 'f')), .listing = std::string(64, '2'), .counterparty = "rhea", .qty = "4", .pay_sats = 400, .role = "buy"};

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
                                         trade::Sent{*tx::Txid::parse(txid), true, trade::TradeError(trade::TradeCode::Refused, "busy.")});
    EXPECT_TRUE(done.success);
    EXPECT_EQ(done.txid, txid);
    EXPECT_EQ(done.status, "Your offer is posted. (3f6c1d\u20264e3f2a)");
    EXPECT_EQ(done.text, "Your offer is posted.\nBook overlay: error: busy.");
    const auto refused = ui::action_outcome("", trade::TradeError(trade::TradeCode::Refused, "the listing is gone.\nmore"));
    EXPECT_FALSE(refused.success);
    EXPECT_EQ(refused.status, "error: the listing is gone.");
}

} // namespace
