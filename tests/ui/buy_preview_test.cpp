// What the Buy dialog says before paying, and the listing it holds, looked up again in a
// reloaded book before an offer is built.
#include <gtest/gtest.h>

#include "book/chain_facts.h"
#include "ui/buy_preview.h"
#include "ui/dialog_jobs.h"
#include "ui/dialog_texts.h"
#include "ui/trade_card.h"

namespace {

book::Listing listing(const char* qty, uint64_t price, int dec = 0, book::ListingStatus status = book::ListingStatus::Live)
{
    return {.id = *tx::Txid::parse(std::string(64, '1')), .utxo = tx::Outpoint{*tx::Txid::parse(std::string(64, 'e')), 0}, .qty = qty, .price_sats = price,
            .pay_addr = "1SellerPays0000000000000000000000", .sym = "LYRA", .dec = dec, .status = status};
}

TEST(BuyPreview, CostOfWhatIsTypedInTokenUnitsWithoutOverflow)
{
    const auto l = listing("3", 100'000'000);
    EXPECT_EQ(ui::buy_cost_line(l, "3").text, "You pay 1.00000000 BSV for 3 LYRA.");
    EXPECT_EQ(ui::buy_cost_line(l, " 1\t").text, "You pay 0.33333333 BSV for 1 of 3 LYRA.");
    EXPECT_FALSE(ui::buy_cost_line(l, "4").accent);
    for (const char* bad : {"0", "", "abc", "1.5", "-1", "99999999999999999999999"})
        EXPECT_EQ(ui::buy_cost_line(l, bad).text, "Enter a quantity from 1 LYRA to 3 LYRA.") << bad;
    for (const auto& closed : {listing("", 5000), listing("many", 5000), listing("3", 5000, 0, book::ListingStatus::Expired)})
        EXPECT_EQ(ui::buy_cost_line(closed, "1").text, "No listing selected.");
    // 840 LAUR at 8 decimals: the buyer types token units.
    EXPECT_EQ(ui::buy_cost_line(listing("84000000000", 840'000'000, 8), "0.5").text,
              "You pay 0.00500000 BSV for 0.5 of 840 LYRA.");
    // 10^12 units for 2 * 10^15 sats: q * P passes 2^64 for q near the whole lot.
    EXPECT_EQ(ui::buy_cost_line(listing("1000000000000", 2'000'000'000'000'000), "999,999,999,999").text,
              "You pay 19999999.99998000 BSV for 999,999,999,999 of 1,000,000,000,000 LYRA.");
}

TEST(BuyPreview, ASellersNameForTheAssetThatIsNotTheChainsIsFlagged)
{
    book::Listing l = listing("3", 100);
    l.origin = "lyra_0";
    l.claimed = {"Golden Owl", "OWL", ""};
    book::apply_chain_facts(l, book::HeldAsset{"", "lyra_0"}, book::TokenFacts{"Lyra", "LYRA", "", 0});
    EXPECT_EQ(ui::seller_name_warning(l), "The seller's post calls this Golden Owl (OWL); the chain says Lyra.");
    EXPECT_EQ(ui::item_label(l), "Lyra");  // what the row shows is the chain's
    l.claimed = {"Lyra", "LYRA", ""};
    book::apply_chain_facts(l, book::HeldAsset{"", "lyra_0"}, book::TokenFacts{"Lyra", "LYRA", "", 0});
    EXPECT_EQ(ui::seller_name_warning(l), "");
}

// Found by id wherever it moved; refused when it went or closed, and with its own sentence when
// any of the terms the buyer saw (qty, price, output, payment address) moved.
TEST(HeldListing, FoundByIdRefusedWhenGoneClosedOrAnyTermMoved)
{
    const auto held = listing("10", 100'000'000);
    auto neighbour = listing("10", 5);
    neighbour.id = *tx::Txid::parse(std::string(64, '2'));
    auto busier = held;  // offers and labels arriving meanwhile do not refuse
    busier.offers.push_back(book::Offer{});
    busier.note = "new note";
    EXPECT_EQ(ui::held_listing_refusal(held, {neighbour, busier}), "");
    EXPECT_EQ(ui::held_listing_refusal(held, {neighbour}), ui::trade_refusal(trade::TradeCode::PickLiveListing));
    auto closed = held;
    closed.status = book::ListingStatus::Sold;
    EXPECT_EQ(ui::held_listing_refusal(held, {closed}), ui::trade_refusal(trade::TradeCode::PickLiveListing));
    const std::vector<std::pair<const char*, void (*)(book::Listing&)>> changes = {
        {"qty", [](book::Listing& l) { l.qty = "010"; }},
        {"price", [](book::Listing& l) { l.price_sats += 1; }},
        {"utxo index", [](book::Listing& l) { l.utxo->vout = 1; }},
        {"pay_addr", [](book::Listing& l) { l.pay_addr = "1SomebodyElse00000000000000000000"; }},
    };
    for (const auto& [what, change] : changes) {
        auto now = held;
        change(now);
        EXPECT_EQ(ui::held_listing_refusal(held, {neighbour, now}), ui::BUY_LISTING_CHANGED) << what;
    }
}

} // namespace
