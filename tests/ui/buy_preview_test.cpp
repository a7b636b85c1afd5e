#include <gtest/gtest.h>

#include "ui/buy_preview.h"

namespace {

book::Listing listing(const char* qty, uint64_t price, const char* status = "live")
{
    book::Listing l;
    l.qty = qty;
    l.price_sats = price;
    l.status = status;
    return l;
}

ui::CostLine line(const book::Listing& l, const char* box)
{
    const auto snapshot = ui::buy_snapshot(&l);
    return ui::buy_cost_line(snapshot, box);
}

TEST(BuyPreview, Header)
{
    const auto l = listing("3", 100'000'000);
    EXPECT_EQ(ui::buy_header_text(ui::buy_snapshot(&l)), "Buy up to 3 lots for 1.00000000 BSV total.");
    EXPECT_EQ(ui::buy_header_text(ui::buy_snapshot(nullptr)), "Pick a live listing.");
    const auto sold = listing("3", 100'000'000, "sold");
    EXPECT_EQ(ui::buy_header_text(ui::buy_snapshot(&sold)), "Pick a live listing.");
}

TEST(BuyPreview, CostLines)
{
    const auto l = listing("3", 100'000'000);
    EXPECT_EQ(line(l, "3").text, "You pay 1.00000000 BSV for 3 lots.");
    EXPECT_EQ(line(l, "1").text, "You pay 0.33333333 BSV for 1 of 3 lots.");
    EXPECT_EQ(line(l, "2").text, "You pay 0.66666666 BSV for 2 of 3 lots.");
    EXPECT_EQ(line(l, " 2\t").text, "You pay 0.66666666 BSV for 2 of 3 lots.");
    EXPECT_EQ(line(l, "0").text, "Enter a qty from 1 to 3.");
    EXPECT_EQ(line(l, "").text, "Enter a qty from 1 to 3.");
    EXPECT_EQ(line(l, "abc").text, "Enter a qty from 1 to 3.");
    EXPECT_EQ(line(l, "1.5").text, "Enter a qty from 1 to 3.");
    EXPECT_EQ(line(l, "-1").text, "Enter a qty from 1 to 3.");
    EXPECT_EQ(line(l, "99999999999999999999").text, "Enter a qty from 1 to 3.");
    EXPECT_TRUE(line(l, "1").accent);
    EXPECT_TRUE(line(l, "0").accent);
    const auto over = line(l, "4");
    EXPECT_EQ(over.text, "Qty is more than the listing.");
    EXPECT_FALSE(over.accent);
}

TEST(BuyPreview, NoListingOrAnUnreadableQuantity)
{
    EXPECT_EQ(ui::buy_cost_line(ui::buy_snapshot(nullptr), "1").text, "No listing selected.");
    EXPECT_EQ(line(listing("", 5000), "1").text, "No listing selected.");
    EXPECT_EQ(line(listing("many", 5000), "1").text, "No listing selected.");
    EXPECT_EQ(line(listing("0", 5000), "1").text, "No listing selected.");
    EXPECT_EQ(line(listing("3", 5000, "expired"), "1").text, "No listing selected.");
}

TEST(BuyPreview, TheShareIsComputedWithoutOverflow)
{
    // 10^12 lots for 2 * 10^15 sats: q * P passes 2^64 for q near the whole lot.
    const auto l = listing("1000000000000", 2'000'000'000'000'000);
    EXPECT_EQ(line(l, "999999999999").text, "You pay 19999999.99998000 BSV for 999999999999 of 1000000000000 lots.");
    EXPECT_EQ(line(l, "1").text, "You pay 0.00002000 BSV for 1 of 1000000000000 lots.");
}

} // namespace
