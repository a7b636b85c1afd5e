// Rules over the book that the main window applies after each load: reserve reconciliation,
// waiting offers, thumbnail keys, and the texts it shows.
#include <gtest/gtest.h>

#include "ui/control_ids.h"
#include "ui/main_texts.h"
#include "ui/reserve_reconcile.h"
#include "ui/thumbnail_key.h"
#include "ui/waiting_offer.h"
#include "ui/wallet_snapshot.h"

namespace {

const std::string ME = "02" + std::string(64, 'a');
const std::string UTXO = std::string(64, 'c') + "_0";

book::Listing mine_with_offer(std::string offer_hex)
{
    book::Listing l;
    l.id = std::string(64, '1');
    l.status = "live";
    l.pubkey = ME;
    l.utxo = UTXO;
    book::Offer o;
    o.offer = std::move(offer_hex);
    l.offers.push_back(o);
    return l;
}

bool spends(const std::string& offer, const std::string& utxo) { return offer.find(utxo) != std::string::npos; }

TEST(ReserveReconcile, AListingMissingFromTheLoadNeverDropsItsReserve)
{
    // A registry outage fails every key check: the book comes back empty.
    const std::map<std::string, ui::ListingState> empty;
    EXPECT_TRUE(ui::reserves_to_drop({"aa", "bb"}, empty).empty());
}

TEST(ReserveReconcile, OnlyClosedStatesDrop)
{
    const std::map<std::string, ui::ListingState> states = {
        {"sold", {"sold", false}},           {"forced", {"force_cancelled", false}},
        {"expired", {"expired", false}},     {"cancelled-fee", {"cancelled", true}},
        {"cancelled-nofee", {"cancelled", false}}, {"live", {"live", true}},
        {"odd", {"unknown", true}},
    };
    const auto dropped = ui::reserves_to_drop(
        {"sold", "forced", "expired", "cancelled-fee", "cancelled-nofee", "live", "odd", "", "sold"}, states);
    EXPECT_EQ(dropped, (std::vector<std::string>{"sold", "forced", "expired", "cancelled-fee"}));
}

TEST(ReserveReconcile, IdsCompareInLowerCase)
{
    const std::map<std::string, ui::ListingState> states = {{"abcd", {"sold", false}}};
    EXPECT_EQ(ui::reserves_to_drop({"ABCD"}, states), std::vector<std::string>{"abcd"});
}

TEST(ReserveReconcile, SoldListingsCountAndExpiryComesFromTheView)
{
    book::Listing sold;
    sold.id = "S1";
    sold.status = "sold";
    book::Listing aging;
    aging.id = "e1";
    aging.status = "live";
    std::map<std::string, book::Listing> reduced = {{"S1", sold}, {"e1", aging}};
    book::Listing aged = aging;
    aged.status = "expired";  // the view marks expiry; the reduced book does not
    const auto states = ui::listing_states(reduced, {aged});
    EXPECT_EQ(states.at("s1").status, "sold");
    EXPECT_EQ(states.at("e1").status, "expired");
    EXPECT_EQ(ui::reserves_to_drop({"s1", "e1"}, states), (std::vector<std::string>{"s1", "e1"}));
}

TEST(WaitingOffer, ShortOrUncheckableOffersCount)
{
    EXPECT_TRUE(ui::has_waiting_offer(mine_with_offer("short"), ME, spends));
    book::Listing no_utxo = mine_with_offer(std::string(200, 'f'));
    no_utxo.utxo.clear();
    EXPECT_TRUE(ui::has_waiting_offer(no_utxo, ME, spends));
}

TEST(WaitingOffer, LongOffersMustSpendTheListing)
{
    EXPECT_FALSE(ui::has_waiting_offer(mine_with_offer(std::string(200, 'f')), ME, spends));
    EXPECT_TRUE(ui::has_waiting_offer(mine_with_offer(std::string(100, 'f') + UTXO), ME, spends));
    book::Listing two = mine_with_offer(std::string(200, 'f'));
    two.offers.push_back(two.offers.front());
    two.offers.back().offer = std::string(100, 'e') + UTXO;
    EXPECT_TRUE(ui::has_waiting_offer(two, ME, spends));
}

TEST(WaitingOffer, OnlyLiveListingsOfTheWallet)
{
    book::Listing l = mine_with_offer("short");
    EXPECT_FALSE(ui::has_waiting_offer(l, "02" + std::string(64, 'b'), spends));
    EXPECT_FALSE(ui::has_waiting_offer(l, "", spends));
    l.status = "expired";
    EXPECT_FALSE(ui::has_waiting_offer(l, ME, spends));
    book::Listing none = mine_with_offer("short");
    none.offers.clear();
    EXPECT_FALSE(ui::has_waiting_offer(none, ME, spends));
    EXPECT_FALSE(ui::any_waiting_offer({mine_with_offer("short")}, false, ME, spends));
    EXPECT_TRUE(ui::any_waiting_offer({none, mine_with_offer("short")}, true, ME, spends));
}

TEST(ThumbnailKey, IconFirstThenOrigin)
{
    book::Listing l;
    l.origin = "origin_0";
    EXPECT_EQ(ui::thumbnail_key(l), "origin_0");
    l.icon = "icon_1";
    EXPECT_EQ(ui::thumbnail_key(l), "icon_1");
}

TEST(ThumbnailKey, TokenJsonRedirectsToItsIcon)
{
    EXPECT_EQ(ui::icon_redirect("k", "application/bsv-20", R"({"p":"bsv-20","icon":"pic_0"})"), "pic_0");
    EXPECT_EQ(ui::icon_redirect("k", "application/json", R"({"icon":"pic_0"})"), "pic_0");
    EXPECT_EQ(ui::icon_redirect("k", "application/octet-stream", R"({"icon":"pic_0"})"), "pic_0");
    EXPECT_FALSE(ui::icon_redirect("k", "application/json", R"({"icon":"k"})"));
    EXPECT_FALSE(ui::icon_redirect("k", "application/json", R"({"icon":""})"));
    EXPECT_FALSE(ui::icon_redirect("k", "application/json", R"({"icon":7})"));
    EXPECT_FALSE(ui::icon_redirect("k", "application/json", R"( {"icon":"x"})"));
    EXPECT_FALSE(ui::icon_redirect("k", "image/png", R"({"icon":"x"})"));
    EXPECT_FALSE(ui::icon_redirect("k", "application/json", R"({"icon":"x")"));
    EXPECT_FALSE(ui::icon_redirect("k", "application/json", ""));
}

TEST(MainTexts, BookStatusAndRowCount)
{
    EXPECT_EQ(ui::book_loaded_status(1), "Book: 1 listing. Double-click a row for the list tx.");
    EXPECT_EQ(ui::book_loaded_status(0), "Book: 0 listings. Double-click a row for the list tx.");
    EXPECT_EQ(ui::book_loaded_status(12), "Book: 12 listings. Double-click a row for the list tx.");
    EXPECT_EQ(ui::row_count_text(1), "1 listing");
    EXPECT_EQ(ui::row_count_text(0), "0 listings");
    EXPECT_EQ(ui::row_count_text(20000), "20000 listings");
}

TEST(MainTexts, EmptyTable)
{
    const auto empty = ui::empty_table_texts(true, 0);
    EXPECT_EQ(empty.title, "No listings found");
    EXPECT_EQ(empty.detail, "Try adjusting your search or filters, or create a listing.");
    const auto filtered = ui::empty_table_texts(false, 1);
    EXPECT_EQ(filtered.title, "No listings match these filters");
    EXPECT_EQ(filtered.detail, "1 live listing. Set Status to All if a row is cancelled or expired.");
    EXPECT_EQ(ui::empty_table_texts(false, 3).detail,
              "3 live listings. Set Status to All if a row is cancelled or expired.");
}

TEST(MainTexts, IdleAndBusyLabels)
{
    EXPECT_EQ(ui::idle_label(ui::ID_CONNECT, true), "Connected");
    EXPECT_EQ(ui::idle_label(ui::ID_CONNECT, false), "Connect");
    EXPECT_EQ(ui::idle_label(ui::ID_REFRESH, false), "Refresh");
    EXPECT_EQ(ui::idle_label(ui::ID_LIST, false), "List");
    EXPECT_EQ(ui::idle_label(ui::ID_HISTORY, false), "History");
    EXPECT_EQ(ui::wait_label(0), "Wait");
    EXPECT_EQ(ui::wait_label(1), "Wait.");
    EXPECT_EQ(ui::wait_label(3), "Wait...");
    EXPECT_EQ(ui::wait_label(4), "Wait");
}

TEST(MainTexts, Cells)
{
    book::Listing l;
    l.price_sats = 150'000'001;
    l.exp = 0;
    l.handle = "";
    l.paymail = "pay@x";
    l.qty = "0012";
    EXPECT_EQ(ui::book_cell_text(l, ui::BookColumn::Price), "1.50000001");
    EXPECT_EQ(ui::book_cell_text(l, ui::BookColumn::Expires), "-");
    EXPECT_EQ(ui::book_cell_text(l, ui::BookColumn::Seller), "pay@x");
    EXPECT_EQ(ui::book_cell_text(l, ui::BookColumn::Qty), "0012");
    l.price_sats = 1;
    EXPECT_EQ(ui::book_cell_text(l, ui::BookColumn::Price), "0.00000001");
    l.exp = 1'790'000'000;
    EXPECT_EQ(ui::book_cell_text(l, ui::BookColumn::Expires).size(), 10u);
    EXPECT_EQ(ui::book_column_width(ui::BookColumn::Note), 240);
    EXPECT_STREQ(ui::book_column_title(ui::BookColumn::Price), "Price (BSV)");
}

TEST(WalletTexts, ValueBalanceAndCopy)
{
    ui::WalletSnapshot w;
    EXPECT_EQ(ui::wallet_value_text(w), "not connected");
    EXPECT_EQ(ui::balance_value_text(w), "-");
    w.bound = true;
    EXPECT_EQ(ui::wallet_value_text(w), "connected");
    EXPECT_EQ(ui::balance_value_text(w), "...");
    w.address = "1Addr";
    EXPECT_EQ(ui::wallet_value_text(w), "1Addr");
    EXPECT_EQ(ui::copy_text(w), "1Addr");
    w.paymail = "me@x";
    EXPECT_EQ(ui::wallet_value_text(w), "me@x");
    EXPECT_EQ(ui::copy_text(w), "me@x");
    w.balance_sats = 0;
    EXPECT_EQ(ui::balance_value_text(w), "...");
    w.balance_known = true;
    EXPECT_EQ(ui::balance_value_text(w), "0.00000000 BSV");
    w.balance_known = false;
    w.balance_sats = 123;
    EXPECT_EQ(ui::balance_value_text(w), "0.00000123 BSV");
}

} // namespace
