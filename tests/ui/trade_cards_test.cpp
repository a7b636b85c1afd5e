// The Complete cards and refusals, the Listings & Offers cards and the lot choices.
#include <gtest/gtest.h>

#include <ctime>

#include "ui/complete_rows.h"
#include "ui/list_lot.h"
#include "ui/mine_cards.h"

namespace {

const std::string ME = "02" + std::string(64, 'a');
const std::string THEM = "03" + std::string(64, 'b');
const std::string PAYMAIL = "melina@tavrinnode.example";

std::string utc(int64_t t, const char* format)
{
    const std::time_t tt = static_cast<std::time_t>(t);
    char buffer[64];
    std::strftime(buffer, sizeof buffer, format, std::gmtime(&tt));
    return buffer;
}

book::Offer offer(const std::string& id, const std::string& hex, const std::string& pubkey = THEM)
{
    return {.id = id, .handle = "zeno@tavrinnode.example", .pubkey = pubkey, .qty = "1", .pay_sats = 25'000'000, .buyer_ord = {}, .offer = hex};
}

book::Listing listing(const std::string& id, const std::string& owner, book::ListingStatus status = book::ListingStatus::Live)
{
    book::Listing l;
    l.id = id;
    l.pubkey = owner;
    l.status = status;
    l.utxo = id + "_0";
    l.qty = "4";
    l.price_sats = 100'000'000;
    l.name = "Owl Coin";
    l.sym = "OWL";
    return l;
}

ui::CompleteRow row_of(const book::Listing& listing, const book::Offer& offer, uint64_t paid = 0)
{
    ui::CompleteRow row;
    row.row = {offer, listing};
    if (paid == 0) return row;
    trade::OfferCheck check;
    check.passes = paid >= offer.pay_sats;
    check.paid_sats = paid;
    check.due_sats = offer.pay_sats;
    check.error = trade::underpaid_error(paid, offer.pay_sats);
    row.check = check;
    return row;
}

// The seller's check decides the card's verdict: a refusal never reads as passing; an offer
// without signed bytes has no verdict and cannot be completed.
TEST(CompleteRows, TheVerdictFollowsTheSellersCheck)
{
    const auto a = listing("a", ME);
    const auto refused = ui::complete_card(row_of(a, offer("x", "0100"), 1)).fields[4];
    EXPECT_TRUE(refused.value.starts_with("Refused: ")) << refused.value;
    EXPECT_EQ(refused.tone, ui::CardField::Tone::Bad);
    EXPECT_EQ(ui::complete_card(row_of(a, offer("x", "0100"), 25'000'000)).fields[4].tone, ui::CardField::Tone::Good);
    EXPECT_EQ(ui::complete_card(row_of(a, offer("y", ""))).fields[4].tone, ui::CardField::Tone::Normal);

    const std::vector<ui::CompleteRow> rows = {row_of(a, offer("x", "0100")), row_of(a, offer("y", ""))};
    EXPECT_EQ(ui::complete_refusal(rows, 0), "");
    EXPECT_EQ(ui::complete_refusal(rows, 1), "That offer has no signed bytes. Ask the buyer to post again.");
    for (int pick : {-1, 2}) EXPECT_EQ(ui::complete_refusal(rows, pick), "Pick an offer.");
    EXPECT_EQ(ui::complete_refusal({}, 0), "Nobody has offered on your listings yet.");
}

// Listings & Offers holds the wallet's own live listings, each with the offers waiting on it,
// and its own offers (by key, or by name when unsigned) on live listings; nothing else.
TEST(MineCards, OnlyTheWalletsOwnLiveListingsAndOffers)
{
    auto one = listing("a", ME);
    auto two = listing("b", ME);
    const auto waiting = ui::waiting_counts({{offer("short", "0100"), one}, {offer("x", "tx"), two}, {offer("y", "tx"), two}});
    EXPECT_EQ(waiting.at("b"), 2u);
    const auto mine = ui::mine_cards({one, two, listing("d", ME, book::ListingStatus::Sold)}, ME, PAYMAIL, waiting, utc);
    ASSERT_EQ(mine.listings.size(), 2u);
    EXPECT_TRUE(mine.listings[1].fields[0].value.ends_with("2 offers waiting"));
    EXPECT_TRUE(ui::mine_cards({one, two}, THEM, "", waiting, utc).listings.empty());

    auto theirs = listing("a", THEM);
    auto by_name = offer("by-name", "", "");
    by_name.handle = PAYMAIL;
    theirs.offers = {offer("mine", "tx", ME), offer("other", "tx"), by_name};
    auto closed = listing("c", THEM, book::ListingStatus::Cancelled);
    closed.offers = {offer("closed", "tx", ME)};
    const auto offers = ui::mine_cards({theirs, closed}, ME, PAYMAIL, {}, utc);
    EXPECT_TRUE(offers.listings.empty());
    EXPECT_EQ(offers.offers.size(), 2u);
}

// A lot is listed by its outpoint in either spelling; token units become base units; the rest
// of a lot listed in part is named; a picture is one.
TEST(ListLots, ListedMarksBaseUnitsAndTheRestOfALot)
{
    wallet::TvPursaOrdRow token;
    token.origin = "o_0";
    token.txid = std::string(64, 'a');
    token.vout = 3;
    token.amt = "100000000000";
    token.dec = "8";
    token.name = "LAUR";
    EXPECT_TRUE(ui::lot_is_listed(token, {std::string(64, 'A') + ":3"}));
    EXPECT_FALSE(ui::lot_is_listed(token, {std::string(64, 'a') + "_4"}));
    EXPECT_EQ(ui::lot_quantity(token, "250.5"), "25050000000");
    EXPECT_FALSE(ui::lot_quantity(token, "0"));
    EXPECT_NE(ui::lot_rest_note(token, "250").find("the other 750 LAUR"), std::string::npos);
    EXPECT_EQ(ui::lot_rest_note(token, "1,000"), "");
    EXPECT_EQ(ui::lot_to_list(token).amount, "100000000000");

    wallet::TvPursaOrdRow picture;
    picture.origin = "pic_0";
    EXPECT_EQ(ui::lot_quantity(picture, "7"), "1");
    EXPECT_TRUE(ui::lot_to_list(picture).picture());
}

} // namespace
