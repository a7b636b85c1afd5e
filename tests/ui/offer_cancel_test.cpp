#include <gtest/gtest.h>

#include <tuple>

#include "ui/dialog_texts.h"
#include "ui/offer_cancel.h"

namespace {

const std::string ME = "02" + std::string(64, 'a');
const std::string THEM = "03" + std::string(64, 'b');
const std::string PAYMAIL = "melina@tavrinnode.example";

ui::WalletSnapshot wallet()
{
    ui::WalletSnapshot w;
    w.bound = true;
    w.identity_key = ME;
    w.paymail = PAYMAIL;
    return w;
}

book::Offer offer(const std::string& id, const std::string& pubkey, const std::string& handle = "")
{
    book::Offer o;
    o.id = id;
    o.pubkey = pubkey;
    o.handle = handle;
    o.qty = "2";
    o.pay_sats = 40'000'000;
    o.offer = "hex-of-" + id;
    return o;
}

book::Listing listing(const std::string& owner, book::ListingStatus status = book::ListingStatus::Live)
{
    book::Listing l;
    l.id = std::string(64, '1');
    l.pubkey = owner;
    l.status = status;
    l.name = "Owl Coin";
    l.sym = "OWL";
    l.handle = "zeno@tavrinnode.example";
    l.utxo = std::string(64, '2') + "_0";
    return l;
}

TEST(OwnOffer, MatchesByKeyOrByHandleWhenUnsigned)
{
    EXPECT_TRUE(ui::is_own_offer(offer("o", ME), ME, PAYMAIL));
    EXPECT_FALSE(ui::is_own_offer(offer("o", THEM), ME, PAYMAIL));
    // A handle match counts only for an offer that carries no key.
    EXPECT_TRUE(ui::is_own_offer(offer("o", "", PAYMAIL), ME, PAYMAIL));
    EXPECT_FALSE(ui::is_own_offer(offer("o", THEM, PAYMAIL), ME, PAYMAIL));
    EXPECT_FALSE(ui::is_own_offer(offer("o", "", "zeno@tavrinnode.example"), ME, PAYMAIL));
    // Posts may carry the handle without its domain.
    EXPECT_TRUE(ui::is_own_offer(offer("o", "", "melina"), ME, PAYMAIL));
    EXPECT_FALSE(ui::is_own_offer(offer("o", "", "melin"), ME, PAYMAIL));
    EXPECT_FALSE(ui::is_own_offer(offer("o", "", "melina@other.example"), ME, PAYMAIL));
    // A wallet without key or name owns nothing.
    EXPECT_FALSE(ui::is_own_offer(offer("o", ""), "", ""));
    EXPECT_FALSE(ui::is_own_offer(offer("o", "", ""), ME, ""));
}

TEST(OwnOffer, TheLaterOfTwoOwnOffersWins)
{
    auto l = listing(THEM);
    l.offers = {offer("first", ME), offer("someone", THEM), offer("second", "", PAYMAIL), offer("other", THEM)};
    const book::Offer* mine = ui::own_offer(l, ME, PAYMAIL);
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(mine->id, "second");
    l.offers.pop_back();
    l.offers.erase(l.offers.begin() + 2);
    EXPECT_EQ(ui::own_offer(l, ME, PAYMAIL)->id, "first");
    l.offers.erase(l.offers.begin());
    EXPECT_EQ(ui::own_offer(l, ME, PAYMAIL), nullptr);
}

// Cancel on the selected row: refused without a selection, a wallet, or a live listing of the
// wallet's or an offer of its own; an own live listing asks first (an own offer on it does not
// make it a withdrawal); the latest own offer on another's listing, of any state, is withdrawn.
TEST(CancelChoice, WhatTheCancelTileDoes)
{
    const auto w = wallet();
    EXPECT_EQ(ui::cancel_choice(nullptr, w).message, "Select a listing (yours to unlist, or one you offered on).");
    auto mine = listing(ME);
    EXPECT_EQ(ui::cancel_choice(&mine, ui::WalletSnapshot{}).message, "Connect a Pursa wallet first.");
    for (book::ListingStatus closed : {book::ListingStatus::Expired, book::ListingStatus::Sold, book::ListingStatus::Cancelled,
                                        book::ListingStatus::ForceCancelled}) {
        auto l = listing(ME, closed);
        const auto choice = ui::cancel_choice(&l, w);
        EXPECT_EQ(choice.action, ui::CancelAction::Refuse);
        EXPECT_EQ(choice.message, "That listing is already closed.") << book::listing_status_text(closed);
    }
    auto theirs = listing(THEM);
    theirs.offers = {offer("x", THEM)};
    EXPECT_EQ(ui::cancel_choice(&theirs, w).message, "That listing is not yours, and you have no open offer on it.");

    mine.offers = {offer("x", ME)};
    EXPECT_EQ(ui::cancel_choice(&mine, w).action, ui::CancelAction::ConfirmUnlist);

    auto offered = listing(THEM, book::ListingStatus::Expired);
    offered.offers = {offer("early", ME), offer("late", ME)};
    const auto choice = ui::cancel_choice(&offered, w);
    ASSERT_EQ(choice.action, ui::CancelAction::CancelOffer);
    EXPECT_EQ(choice.context.listing_id, offered.id);
    EXPECT_EQ(choice.context.offer.offer, "hex-of-late");
    EXPECT_EQ(choice.context.seller, "zeno@tavrinnode.example");
}

// The question names what is withdrawn, in the listing's units, and whose listing it is on.
TEST(OfferCancel, QuestionAndRefusal)
{
    auto theirs = listing(THEM);
    theirs.handle.clear();
    theirs.paymail = "zeno@tavrinnode.example";
    theirs.kind = book::ListingKind::Token;
    theirs.dec = 1;
    auto context = ui::offer_cancel_context(theirs, offer(std::string(64, '9'), ME));
    EXPECT_EQ(ui::offer_cancel_refusal(context), "");
    EXPECT_EQ(ui::offer_cancel_question(context),
              "Withdraw your offer of 0.2 OWL for 0.40000000 BSV on zeno@tavrinnode.example's listing?\n"
              "Takes your offer off the book. No second list fee.");
    for (size_t length : {0u, 63u, 65u}) {
        context.listing_id = std::string(length, '1');
        EXPECT_EQ(ui::offer_cancel_refusal(context), "Pick one of your open offers.") << length;
    }
}

TEST(OfferCancel, FromAHistoryRowCompletedFromTheBook)
{
    book::HistoryRow row;
    row.type = "ag_buy";
    row.txid = std::string(64, '9');
    row.listing = std::string(64, '1');
    row.qty = "5";
    row.name = "row name";
    row.pay_sats = 77;
    row.counterparty = "seller-from-row";
    row.open = true;

    // The listing is no longer in the book: the row alone.
    // What each context holds: listing, offer id, offer bytes, item, qty, price, seller.
    auto fields = [](const ui::OfferCancelContext& c) {
        return std::tuple(c.listing_id, c.offer.id, c.offer.offer, c.item, c.offer.qty, c.offer.pay_sats, c.seller);
    };
    EXPECT_EQ(fields(ui::offer_cancel_context(row, {})),
              std::tuple(row.listing, row.txid, std::string(), std::string("row name"), std::string("5"), uint64_t{77},
                         std::string("seller-from-row")));

    auto theirs = listing(THEM);
    theirs.offers = {offer(std::string(64, '8'), ME), offer(row.txid, ME)};
    auto other = listing(THEM);
    other.id = std::string(64, '7');
    other.name = "Not this one";
    EXPECT_EQ(fields(ui::offer_cancel_context(row, {other, theirs})),
              std::tuple(row.listing, row.txid, "hex-of-" + row.txid, std::string("Owl Coin (OWL)"), std::string("2"),
                         uint64_t{40'000'000}, std::string("zeno@tavrinnode.example")));
}

TEST(Unlist, TheHeldListingIsLookedUpAgainAfterTheQuestion)
{
    const auto w = wallet();
    auto mine = listing(ME);
    auto neighbour = listing(ME);
    neighbour.id = std::string(64, '5');
    // Found by id, not by position.
    const std::vector<book::Listing> book = {neighbour, mine};
    const book::Listing* found = ui::unlistable_listing(mine.id, book, w);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found, &book[1]);
    // Gone, closed meanwhile, someone else's, or the wallet unbound: refused.
    EXPECT_EQ(ui::unlistable_listing(mine.id, {neighbour}, w), nullptr);
    auto closed = mine;
    closed.status = book::ListingStatus::Sold;
    EXPECT_EQ(ui::unlistable_listing(mine.id, {closed}, w), nullptr);
    auto theirs = mine;
    theirs.pubkey = THEM;
    EXPECT_EQ(ui::unlistable_listing(mine.id, {theirs}, w), nullptr);
    EXPECT_EQ(ui::unlistable_listing(mine.id, {mine}, ui::WalletSnapshot{}), nullptr);
}

} // namespace
