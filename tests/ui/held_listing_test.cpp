// The listing an open Buy dialog holds, looked up again in a reloaded book before an offer is
// built: found by id wherever it moved, refused when it went or closed, and refused with its
// own sentence when any of the terms the buyer saw (qty, price, output, payment address) moved.
#include <gtest/gtest.h>

#include "ui/dialog_jobs.h"
#include "ui/dialog_texts.h"

namespace {

book::Listing listing(char id)
{
    book::Listing l;
    l.id = std::string(64, id);
    l.status = book::ListingStatus::Live;
    l.qty = "10";
    l.price_sats = 100'000'000;
    l.utxo = std::string(64, 'e') + "_0";
    l.pay_addr = "1SellerPays0000000000000000000000";
    l.ord_addr = "1SellerOrdinals000000000000000000";
    l.name = "Owl Coin";
    return l;
}

TEST(HeldListing, FoundByIdRefusedWhenGoneClosedOrAnyTermMoved)
{
    const auto held = listing('1');
    auto neighbour = listing('2');
    neighbour.price_sats = 5;  // the neighbour now sits where the held listing was, with other terms
    EXPECT_EQ(ui::held_listing_refusal(held, {neighbour, listing('3'), held}), "");
    // Offers and labels arriving meanwhile do not refuse.
    auto busier = held;
    busier.offers.push_back(book::Offer{});
    busier.name = "Owl Coin (renamed)";
    busier.note = "new note";
    EXPECT_EQ(ui::held_listing_refusal(held, {busier}), "");

    EXPECT_EQ(ui::held_listing_refusal(held, {listing('2')}), ui::BUY_PICK_LIVE);
    for (book::ListingStatus status : {book::ListingStatus::Sold, book::ListingStatus::Cancelled, book::ListingStatus::Expired,
                                       book::ListingStatus::ForceCancelled}) {
        auto closed = held;
        closed.status = status;
        EXPECT_EQ(ui::held_listing_refusal(held, {closed}), ui::BUY_PICK_LIVE) << book::listing_status_text(status);
    }
    const std::vector<std::pair<const char*, void (*)(book::Listing&)>> changes = {
        {"qty", [](book::Listing& l) { l.qty = "7"; }},
        {"qty text", [](book::Listing& l) { l.qty = "010"; }},
        {"price", [](book::Listing& l) { l.price_sats += 1; }},
        {"utxo", [](book::Listing& l) { l.utxo = std::string(64, 'f') + "_1"; }},
        {"utxo index", [](book::Listing& l) { l.utxo = std::string(64, 'e') + "_1"; }},
        {"pay_addr", [](book::Listing& l) { l.pay_addr = "1SomebodyElse00000000000000000000"; }},
    };
    for (const auto& [what, change] : changes) {
        auto now = held;
        change(now);
        EXPECT_EQ(ui::held_listing_refusal(held, {listing('2'), now}), ui::BUY_LISTING_CHANGED) << what;
    }
}

} // namespace
