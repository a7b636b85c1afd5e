#include <gtest/gtest.h>

#include <tuple>

#include "trade/cancel_routine.h"
#include "ui/dialog_texts.h"
#include "ui/offer_cancel.h"
#include "tests/support/test_txid.h"

namespace {

const std::string ME = "02" + std::string(64, 'a');
const std::string THEM = "03" + std::string(64, 'b');
const std::string PAYMAIL = "melina@tavrinnode.example";

ui::WalletSnapshot wallet()
{
    return {.bound = true, .paymail = PAYMAIL, .identity_key = ME};
}

book::Offer offer(char id, const std::string& pubkey, const std::string& handle = "")
{
    return {.id = test_txid(id), .handle = handle, .pubkey = pubkey, .qty = "2", .pay_sats = 40'000'000, .offer = "hex-of-" + test_txid(id).hex()};
}

book::Listing listing(const std::string& owner, book::ListingStatus status = book::ListingStatus::Live)
{
    return {.id = test_txid('1'), .handle = "zeno@tavrinnode.example", .pubkey = owner, .name = "Owl Coin", .sym = "OWL",
            .status = status};
}

// An offer is the wallet's by its key, or by its name (with or without the domain) when it
// carries no key; of two own offers the later one is the wallet's.
TEST(OwnOffer, MatchesByKeyOrByHandleWhenUnsignedAndTheLaterWins)
{
    const std::tuple<book::Offer, std::string, std::string, bool> cases[] = {
        {offer('0', ME), ME, PAYMAIL, true},
        {offer('0', "02" + std::string(64, 'A')), ME, PAYMAIL, true},
        {offer('0', THEM), ME, PAYMAIL, false},
        {offer('0', "", PAYMAIL), ME, PAYMAIL, true},
        {offer('0', THEM, PAYMAIL), ME, PAYMAIL, false},
        {offer('0', "", "zeno@tavrinnode.example"), ME, PAYMAIL, false},
        {offer('0', "", "melina"), ME, PAYMAIL, true},
        {offer('0', "", "melin"), ME, PAYMAIL, false},
        {offer('0', "", "melina@other.example"), ME, PAYMAIL, false},
        {offer('0', "", ""), ME, "", false},
    };
    for (const auto& [o, key, paymail, own] : cases) EXPECT_EQ(trade::is_own_offer(o, key, paymail), own) << o.handle;

    auto l = listing(THEM);
    l.offers = {offer('1', ME), offer('2', THEM), offer('3', "", PAYMAIL)};
    EXPECT_EQ(trade::own_offer_on(l, ME, PAYMAIL)->id, test_txid('3'));
    l.offers = {offer('2', THEM)};
    EXPECT_FALSE(trade::own_offer_on(l, ME, PAYMAIL));
}

// Cancel on the selected row: refused without a selection, a wallet, or a live listing of the
// wallet's or an offer of its own; an own live listing asks first (an own offer on it does not
// make it a withdrawal); the latest own offer on another's listing, of any state, is withdrawn.
TEST(CancelChoice, WhatTheCancelTileDoes)
{
    const auto w = wallet();
    auto mine = listing(ME);
    auto closed = listing(ME, book::ListingStatus::Expired);
    auto theirs = listing(THEM);
    theirs.offers = {offer('0', THEM)};
    for (const auto& [l, bound] : {std::pair{static_cast<const book::Listing*>(nullptr), w}, {&mine, ui::WalletSnapshot{}},
                                   {&closed, w}, {&theirs, w}})
        EXPECT_EQ(ui::cancel_choice(l, bound).action, ui::CancelAction::Refuse);
    mine.offers = {offer('0', ME)};
    EXPECT_EQ(ui::cancel_choice(&mine, w).action, ui::CancelAction::ConfirmUnlist);

    auto offered = listing(THEM, book::ListingStatus::Expired);
    offered.offers = {offer('1', ME), offer('2', ME)};
    const auto choice = ui::cancel_choice(&offered, w);
    ASSERT_EQ(choice.action, ui::CancelAction::CancelOffer);
    EXPECT_EQ(choice.context.listing_id, offered.id);
    EXPECT_EQ(choice.context.offer.id, test_txid('2'));
    EXPECT_EQ(choice.context.seller, "zeno@tavrinnode.example");
}

// A history row whose listing left the book is withdrawn from the row alone.
TEST(OfferCancel, QuestionRefusalAndTheContextOfAHistoryRow)
{
    auto theirs = listing(THEM);
    theirs.dec = 1;
    auto context = ui::offer_cancel_context(theirs, offer('9', ME));
    EXPECT_EQ(ui::offer_cancel_refusal(context), "");
    EXPECT_EQ(ui::offer_cancel_question(context),
              "Withdraw your offer of 0.2 OWL for 0.40000000 BSV on zeno@tavrinnode.example's listing?\n"
              "Takes your offer off the book. No second list fee.");
    const book::HistoryRow unnamed{.listing = std::string(63, '1')};  // names no txid
    EXPECT_EQ(ui::offer_cancel_refusal(ui::offer_cancel_context(unnamed, {theirs})), ui::trade_refusal(trade::TradeCode::PickOpenOffer));

    const book::HistoryRow row{.type = "ag_buy", .txid = *tx::Txid::parse(std::string(64, '9')), .listing = std::string(64, '1'),
                               .counterparty = "seller-from-row", .qty = "5", .pay_sats = 77, .open = true};
    auto fields = [](const ui::OfferCancelContext& c) {
        return std::tuple(c.listing_id, c.offer.id, c.offer.offer, c.offer.qty, c.offer.pay_sats, c.seller);
    };
    EXPECT_EQ(fields(ui::offer_cancel_context(row, {})),
              std::tuple(test_txid(row.listing), row.txid, std::string(), std::string("5"), uint64_t{77}, std::string("seller-from-row")));
    theirs.offers = {offer('8', ME), offer('9', ME)};
    EXPECT_EQ(fields(ui::offer_cancel_context(row, {theirs})),
              std::tuple(test_txid(row.listing), row.txid, "hex-of-" + row.txid.hex(), std::string("2"), uint64_t{40'000'000},
                         std::string("zeno@tavrinnode.example")));
}

TEST(Unlist, TheHeldListingIsLookedUpAgainAfterTheQuestion)
{
    const auto w = wallet();
    auto mine = listing(ME);
    auto neighbour = listing(ME);
    neighbour.id = test_txid('5');
    const std::vector<book::Listing> book = {neighbour, mine};
    EXPECT_EQ(ui::unlistable_listing(mine.id, book, w), &book[1]);
    EXPECT_EQ(ui::unlistable_listing(mine.id, {neighbour}, w), nullptr);
    EXPECT_EQ(ui::unlistable_listing(mine.id, {listing(ME, book::ListingStatus::Sold)}, w), nullptr);
    EXPECT_EQ(ui::unlistable_listing(mine.id, {listing(THEM)}, w), nullptr);
    EXPECT_EQ(ui::unlistable_listing(mine.id, {mine}, ui::WalletSnapshot{}), nullptr);
}

} // namespace
