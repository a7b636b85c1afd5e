// What the Buy dialog says before paying: the share of the price for the quantity typed in the
// token's units, and a seller's name for the asset that is not the chain's.
#include <gtest/gtest.h>

#include "book/chain_facts.h"
#include "ui/buy_preview.h"
#include "ui/trade_card.h"

namespace {

book::Listing listing(const char* qty, uint64_t price, int dec = 0, book::ListingStatus status = book::ListingStatus::Live)
{
    book::Listing l;
    l.kind = book::ListingKind::Token;
    l.sym = "LYRA";
    l.dec = dec;
    l.qty = qty;
    l.price_sats = price;
    l.status = status;
    return l;
}

TEST(BuyPreview, CostOfWhatIsTyped)
{
    const auto l = listing("3", 100'000'000);
    struct Case {
        const char* box;
        const char* text;
        bool accent;
    };
    const Case cases[] = {
        {"3", "You pay 1.00000000 BSV for 3 LYRA.", true},
        {"1", "You pay 0.33333333 BSV for 1 of 3 LYRA.", true},
        {" 2\t", "You pay 0.66666666 BSV for 2 of 3 LYRA.", true},
        {"4", "That is more than the listing holds.", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ui::buy_cost_line(l, c.box).text, c.text) << c.box;
        EXPECT_EQ(ui::buy_cost_line(l, c.box).accent, c.accent) << c.box;
    }
    for (const char* bad : {"0", "", "abc", "1.5", "-1", "99999999999999999999999"})
        EXPECT_EQ(ui::buy_cost_line(l, bad).text, "Enter a quantity from 1 LYRA to 3 LYRA.") << bad;
    for (const auto& closed : {listing("", 5000), listing("many", 5000), listing("0", 5000), listing("3", 5000, 0, book::ListingStatus::Expired)})
        EXPECT_EQ(ui::buy_cost_line(closed, "1").text, "No listing selected.");
}

TEST(BuyPreview, TokenUnitsAndNoOverflow)
{
    // 840 LAUR at 8 decimals: the buyer types token units.
    const auto laurel = listing("84000000000", 840'000'000, 8);
    EXPECT_EQ(ui::buy_cost_line(laurel, "420").text, "You pay 4.20000000 BSV for 420 of 840 LYRA.");
    EXPECT_EQ(ui::buy_cost_line(laurel, "0.5").text, "You pay 0.00500000 BSV for 0.5 of 840 LYRA.");
    // 10^12 units for 2 * 10^15 sats: q * P passes 2^64 for q near the whole lot.
    const auto l = listing("1000000000000", 2'000'000'000'000'000);
    EXPECT_EQ(ui::buy_cost_line(l, "999,999,999,999").text,
              "You pay 19999999.99998000 BSV for 999,999,999,999 of 1,000,000,000,000 LYRA.");
}

TEST(BuyPreview, ASellersNameForTheAssetThatIsNotTheChainsIsFlagged)
{
    book::Listing l = listing("3", 100);
    l.origin = "lyra_0";
    l.claimed = {"Lyra", "LYRA", ""};
    const book::TokenFacts chain{"Lyra", "LYRA", "", 0};
    book::apply_chain_facts(l, book::HeldAsset{"", "lyra_0"}, chain);
    EXPECT_EQ(ui::seller_name_warning(l), "");
    l.claimed = {"Golden Owl", "OWL", ""};
    book::apply_chain_facts(l, book::HeldAsset{"", "lyra_0"}, chain);
    EXPECT_EQ(ui::seller_name_warning(l), "The seller's post calls this Golden Owl (OWL); the chain says Lyra.");
    // The post's words are kept apart: what the row shows is the chain's.
    EXPECT_EQ(ui::item_label(l), "Lyra");
    book::Listing picture = listing("1", 100);
    picture.kind = book::ListingKind::Picture;
    picture.origin = picture.utxo = "1a2b3c4d5e6f7a8b_0";
    picture.claimed.name = "Dawn";
    picture.note = "Mint condition";
    book::apply_chain_facts(picture, book::HeldAsset{"1a2b3c4d5e6f7a8b_0", ""}, std::nullopt);
    EXPECT_EQ(ui::item_label(picture), "Picture 1a2b3c4d\u20268b_0");
    EXPECT_EQ(ui::seller_note_text(picture), "\u201CDawn\u201D \u2014 Mint condition");
    EXPECT_EQ(ui::seller_name_warning(picture), "");
}

} // namespace
