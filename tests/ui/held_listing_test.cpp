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
    l.status = "live";
    l.qty = "10";
    l.price_sats = 100'000'000;
    l.utxo = std::string(64, 'e') + "_0";
    l.pay_addr = "1SellerPays0000000000000000000000";
    l.ord_addr = "1SellerOrdinals000000000000000000";
    l.name = "Owl Coin";
    return l;
}

TEST(HeldListing, FoundByIdAfterTheBookWasReordered)
{
    const auto held = listing('1');
    // The neighbour now sits where the held listing was, with other terms.
    auto neighbour = listing('2');
    neighbour.price_sats = 5;
    EXPECT_EQ(ui::held_listing_refusal(held, {neighbour, listing('3'), held}), "");
    EXPECT_EQ(ui::held_listing_refusal(held, {held, neighbour}), "");
}

TEST(HeldListing, GoneOrClosedIsPickALiveListing)
{
    const auto held = listing('1');
    EXPECT_EQ(ui::held_listing_refusal(held, {}), ui::BUY_PICK_LIVE);
    EXPECT_EQ(ui::held_listing_refusal(held, {listing('2')}), ui::BUY_PICK_LIVE);
    for (const char* status : {"sold", "cancelled", "expired", "force_cancelled", ""}) {
        auto closed = held;
        closed.status = status;
        EXPECT_EQ(ui::held_listing_refusal(held, {closed}), ui::BUY_PICK_LIVE) << status;
    }
    EXPECT_EQ(std::string(ui::BUY_PICK_LIVE), "Pick a live listing.");
}

TEST(HeldListing, EachTermTheBuyerSawThatMovedRefuses)
{
    const auto held = listing('1');
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
    // A plain sentence that tells the buyer what to do.
    const std::string sentence = ui::BUY_LISTING_CHANGED;
    EXPECT_NE(sentence.find("changed"), std::string::npos);
    EXPECT_NE(sentence.find("open Buy again"), std::string::npos);
    EXPECT_EQ(sentence.rfind("error", 0), std::string::npos);
}

TEST(HeldListing, OffersAndLabelsArrivingMeanwhileDoNotRefuse)
{
    const auto held = listing('1');
    auto now = held;
    book::Offer offer;
    offer.id = std::string(64, '9');
    offer.qty = "2";
    now.offers.push_back(offer);
    now.name = "Owl Coin (renamed)";
    now.note = "new note";
    EXPECT_EQ(ui::held_listing_refusal(held, {now}), "");
}

} // namespace
