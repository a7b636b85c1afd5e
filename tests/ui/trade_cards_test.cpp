// The Complete cards and refusals, the Listings & Offers cards, the verdict line and the lot
// choices.
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
    book::Offer o;
    o.id = id;
    o.pubkey = pubkey;
    o.handle = "zeno@tavrinnode.example";
    o.qty = "1";
    o.pay_sats = 25'000'000;
    o.offer = hex;
    return o;
}

book::Listing listing(const std::string& id, const std::string& owner, const char* status = "live")
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
    l.origin = "origin-" + id;
    l.handle = "seller-" + id;
    l.exp = 1'790'000'000;
    return l;
}

ui::CompleteRow row_of(const book::Listing& listing, const book::Offer& offer)
{
    ui::CompleteRow row;
    row.row = {offer, listing};
    return row;
}

trade::OfferCheck check_of(bool passes, uint64_t paid, uint64_t due, const char* error = "")
{
    trade::OfferCheck check;
    check.passes = passes;
    check.paid_sats = paid;
    check.due_sats = due;
    check.error = error;
    return check;
}

TEST(CompleteRows, CardsShowWhatTheSellersCheckFinds)
{
    const auto a = listing("a", ME);
    auto refused = row_of(a, offer("x", "0100"));
    refused.check = check_of(false, 1, 25'000'000, "error: the offer pays 0.00000001 BSV; 0.25000000 BSV is due.");
    const ui::Card card = ui::complete_card(refused);
    EXPECT_EQ(card.title, "Offer");
    ASSERT_EQ(card.fields.size(), 5u);
    EXPECT_EQ(card.fields[0].label, "Item");
    EXPECT_EQ(card.fields[0].value, "Owl Coin (OWL)");
    EXPECT_EQ(card.fields[1].label, "Qty");
    EXPECT_EQ(card.fields[1].value, "1 OWL");
    EXPECT_EQ(card.fields[2].label, "They pay");
    EXPECT_EQ(card.fields[2].value, "0.25000000 BSV");
    EXPECT_EQ(card.fields[3].label, "Buyer");
    EXPECT_EQ(card.fields[3].value, "zeno@tavrinnode.example");
    EXPECT_EQ(card.fields[4].label, "Seller's check");
    EXPECT_EQ(card.fields[4].value, "Refused: the offer pays 0.00000001 BSV; 0.25000000 BSV is due.");
    EXPECT_EQ(card.fields[4].tone, ui::CardField::Tone::Bad);

    auto passes = refused;
    passes.check = check_of(true, 25'000'000, 25'000'000);
    EXPECT_EQ(ui::complete_card(passes).fields[4].value, "Pays you 0.25000000 BSV (0.25000000 BSV due). Passes.");
    EXPECT_EQ(ui::complete_card(passes).fields[4].tone, ui::CardField::Tone::Good);

    const auto unsigned_row = row_of(a, offer("y", ""));
    const ui::Card unsigned_card = ui::complete_card(unsigned_row);
    EXPECT_EQ(unsigned_card.title, "Offer (needs a new post)");
    EXPECT_EQ(unsigned_card.fields[4].value, "-");
    EXPECT_EQ(unsigned_card.fields[4].tone, ui::CardField::Tone::Normal);
}

TEST(CompleteRows, VerdictWithoutASentenceStillSaysItIsRefused)
{
    EXPECT_EQ(ui::verdict_text(std::nullopt), "-");
    EXPECT_EQ(ui::verdict_text(check_of(false, 0, 0)), "Refused: the offer does not pass the check.");
    EXPECT_EQ(ui::verdict_text(check_of(false, 0, 0, "no error prefix.")), "Refused: no error prefix.");
    EXPECT_EQ(ui::verdict_text(check_of(false, 0, 0, "error: ")), "Refused: the offer does not pass the check.");
}

TEST(CompleteRows, RefusalsOfTheCompleteButtonInOrder)
{
    const auto a = listing("a", ME);
    const std::vector<ui::CompleteRow> rows = {row_of(a, offer("x", "0100")), row_of(a, offer("y", ""))};
    EXPECT_EQ(ui::complete_refusal(rows, -1), "Pick an offer.");
    EXPECT_EQ(ui::complete_refusal({}, -1), "Pick an offer.");
    EXPECT_EQ(ui::complete_refusal({}, 0), "Nobody has offered on your listings yet.");
    EXPECT_EQ(ui::complete_refusal(rows, 1), "That offer has no signed bytes. Ask the buyer to post again.");
    EXPECT_EQ(ui::complete_refusal(rows, 2), "Pick an offer.");
    EXPECT_EQ(ui::complete_refusal(rows, 0), "");
}

TEST(MineCards, OwnLiveListingsWithTheOffersWaitingOnThem)
{
    auto one = listing("a", ME);
    auto two = listing("b", ME);
    two.name.clear();
    auto none = listing("c", ME);
    none.name.clear();
    none.sym.clear();
    none.exp = 0;
    auto sold = listing("d", ME, "sold");
    auto expired = listing("e", ME, "expired");
    // One unverifiable offer waits on "a", two on "b"; the rows of the Complete dialog count.
    const std::vector<trade::OfferRow> rows = {{offer("short", "0100"), one},
                                               {offer("x", "tx"), two},
                                               {offer("y", "tx"), two}};
    const auto waiting = ui::waiting_counts(rows);
    EXPECT_EQ(waiting.at("a"), 1u);
    EXPECT_EQ(waiting.at("b"), 2u);
    EXPECT_EQ(waiting.count("c"), 0u);
    const auto cards = ui::mine_cards({one, two, none, sold, expired}, ME, PAYMAIL, waiting, utc);
    ASSERT_EQ(cards.listings.size(), 3u);
    const ui::Card& first = cards.listings[0];
    EXPECT_EQ(first.title, "Listing");
    ASSERT_EQ(first.fields.size(), 4u);
    EXPECT_EQ(first.fields[0].label, "Item");
    EXPECT_EQ(first.fields[0].value, "Owl Coin (OWL)  \u00B7  1 offer waiting");
    EXPECT_EQ(first.fields[1].value, "4 OWL");
    EXPECT_EQ(first.fields[2].label, "Asking");
    EXPECT_EQ(first.fields[2].value, "1.00000000 BSV");
    EXPECT_EQ(first.fields[3].label, "Expires");
    EXPECT_EQ(first.fields[3].value, utc(1'790'000'000, "%Y-%m-%d"));
    EXPECT_EQ(cards.listings[1].fields[0].value, "OWL  \u00B7  2 offers waiting");
    EXPECT_EQ(cards.listings[2].fields[0].value, "origin-c");
    EXPECT_EQ(cards.listings[2].fields[3].value, "-");
    EXPECT_TRUE(cards.offers.empty());
    // Someone else's wallet sees none of them.
    EXPECT_TRUE(ui::mine_cards({one, two}, THEM, "", waiting, utc).listings.empty());
}

TEST(MineCards, OwnOffersOnLiveListings)
{
    auto theirs = listing("a", THEM);
    auto priced = offer("mine", "tx", ME);
    auto unpriced = offer("by-name", "", "");
    unpriced.handle = PAYMAIL;
    unpriced.pay_sats = 0;
    theirs.offers = {priced, offer("other", "tx"), unpriced};
    auto anonymous = listing("b", THEM);
    anonymous.handle.clear();
    anonymous.offers = {offer("mine-too", "tx", ME)};
    auto closed = listing("c", THEM, "cancelled");
    closed.offers = {offer("closed", "tx", ME)};
    const auto cards = ui::mine_cards({theirs, anonymous, closed}, ME, PAYMAIL, {}, utc);
    EXPECT_TRUE(cards.listings.empty());
    ASSERT_EQ(cards.offers.size(), 3u);
    EXPECT_EQ(cards.offers[0].title, "Offer");
    ASSERT_EQ(cards.offers[0].fields.size(), 4u);
    EXPECT_EQ(cards.offers[0].fields[0].value, "Owl Coin (OWL)");
    EXPECT_EQ(cards.offers[0].fields[1].value, "1 OWL");
    EXPECT_EQ(cards.offers[0].fields[2].label, "You pay");
    EXPECT_EQ(cards.offers[0].fields[2].value, "0.25000000 BSV");
    EXPECT_EQ(cards.offers[0].fields[3].label, "Seller");
    EXPECT_EQ(cards.offers[0].fields[3].value, "seller-a");
    EXPECT_EQ(cards.offers[1].fields[2].value, "-");
    EXPECT_EQ(cards.offers[2].fields[3].value, "-");
}

// The lot menu marks what is listed already, shows holdings in token units, and says that the
// rest of a lot listed in part waits with it.
TEST(ListLots, HoldingsListedMarksAndTheRestOfALot)
{
    wallet::TvPursaOrdRow token;
    token.origin = "o_0";
    token.txid = std::string(64, 'a');
    token.vout = 3;
    token.token_id = "tok_1";
    token.amt = "100000000000";
    token.dec = "8";
    token.name = "LAUR";
    EXPECT_EQ(ui::lot_choice_label(token, false), "LAUR \u00B7 1,000 LAUR held");
    EXPECT_EQ(ui::lot_choice_label(token, true), "LAUR \u00B7 1,000 LAUR held \u00B7 listed");
    EXPECT_TRUE(ui::lot_is_listed(token, {std::string(64, 'A') + ":3"}));
    EXPECT_FALSE(ui::lot_is_listed(token, {std::string(64, 'a') + "_4"}));
    EXPECT_EQ(ui::lot_quantity(token, "250.5"), "25050000000");
    EXPECT_FALSE(ui::lot_quantity(token, "0"));
    EXPECT_EQ(ui::lot_rest_note(token, "250"),
              "The whole lot stays held while it is listed: the other 750 LAUR wait until the listing ends.");
    EXPECT_EQ(ui::lot_rest_note(token, "1,000"), "");
    EXPECT_EQ(ui::lot_rest_note(token, "2000"), "");
    const trade::LotToList listed = ui::lot_to_list(token);
    EXPECT_EQ(listed.txid, token.txid);
    EXPECT_EQ(listed.vout, 3u);
    EXPECT_EQ(listed.amount, "100000000000");

    wallet::TvPursaOrdRow picture;
    picture.origin = "pic_0";
    picture.name = "Golden Owl";
    EXPECT_EQ(ui::lot_choice_label(picture, false), "Golden Owl \u00B7 picture");
    EXPECT_EQ(ui::lot_quantity(picture, "7"), "1");
    EXPECT_EQ(ui::lot_rest_note(picture, "1"), "");
    EXPECT_TRUE(ui::lot_to_list(picture).picture());
}

} // namespace
