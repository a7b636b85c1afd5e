#include "trade/dialog_checks.h"

#include <gtest/gtest.h>

#include "trade/decimal_text.h"

namespace {

using trade::buy_payment;
using trade::list_quantity;
using trade::TradeCode;

// The code of a check's refusal; nullopt when it passes.
std::optional<TradeCode> code_of(const std::optional<trade::TradeError>& refusal) { return refusal ? std::optional(refusal->code) : std::nullopt; }

TEST(DialogChecks, PricesNotesAndReportsAreReadAfterTheDialogTrim)
{
    const std::pair<std::string, std::optional<int64_t>> prices[] = {
        {"1.5 ", 150'000'000}, {" \t0.00000001\r\n", 1}, {".5", 50'000'000}, {"92233720368", 9'223'372'036'800'000'000},
        {"", std::nullopt}, {"0", std::nullopt}, {"0.000000001", std::nullopt}, {"1,5", std::nullopt},
        {"-1", std::nullopt}, {"1e3", std::nullopt}, {"1.2.3", std::nullopt}, {"92233720369", std::nullopt},
        {"1 5", std::nullopt}, {std::string(64, '1'), std::nullopt}};
    for (const auto& [text, sats] : prices) EXPECT_EQ(trade::parse_price_box(text), sats) << "'" << text << "'";

    std::string two_byte;
    for (int i = 0; i < 70; ++i) two_byte += "\xc3\xa9";
    const std::pair<std::string, bool> notes[] = {{"  fresh lot  ", true}, {std::string(140, 'a'), true},
                                                  {std::string(141, 'a'), false}, {two_byte, true}, {two_byte + "x", false},
                                                  {" \t\r\n", false}, {"bad \xff byte", false}};
    for (const auto& [note, ok] : notes) EXPECT_EQ(code_of(trade::check_note(note)), ok ? std::nullopt : std::optional(TradeCode::NoteBad)) << note;
    EXPECT_FALSE(trade::check_report_text(std::string(2000, 'r')));
    EXPECT_EQ(code_of(trade::check_report_text(std::string(2001, 'r'))), TradeCode::ReportTextBad);
    EXPECT_EQ(code_of(trade::check_report_text("   \t  ")), TradeCode::ReportTextBad);
}

// A picture is always one; a token lot's leading digits count, between 1 and what is held.
TEST(DialogChecks, ListQuantities)
{
    const std::tuple<std::string, std::string, std::string, std::optional<TradeCode>> rows[] = {  // box, held, qty, refusal
        {"08", "10", "8", {}}, {"12abc", "100", "12", {}}, {" 10 ", "10", "10", {}},
        {"18446744073709551615", "18446744073709551615", "18446744073709551615", {}},
        {"", "10", "", TradeCode::QtyAtLeastOne}, {"0", "10", "", TradeCode::QtyAtLeastOne},
        {"abc", "10", "", TradeCode::QtyWhole}, {"-3", "10", "", TradeCode::QtyWhole},
        {"18446744073709551616", "10", "", TradeCode::QtyWhole}, {"00", "10", "", TradeCode::QtyHeld},
        {"11", "10", "", TradeCode::QtyHeld}, {"1", "", "", TradeCode::QtyHeld}};
    for (const auto& [box, held, qty, refusal] : rows) {
        auto got = list_quantity(box, false, held);
        EXPECT_EQ(code_of(got.refusal), refusal) << box;
        if (!refusal) { EXPECT_EQ(got.qty, qty) << box; }
    }
    EXPECT_TRUE(list_quantity("junk", true, "").qty == "1" && !list_quantity("junk", true, "").refusal);
}

// The whole listing pays its price exactly; a part pays its pro-rata share through a 128-bit
// product, never more lots than listed and never nothing.
TEST(DialogChecks, BuyPaymentsAndFillRemainders)
{
    const std::tuple<std::string, std::string, uint64_t, uint64_t, std::optional<TradeCode>> rows[] = {  // box, listed, price, pays, refusal
        {"003", "3", 100'000'001, 100'000'001, {}}, {"1", "3", 100'000'000, 33'333'333, {}},
        {"30000000000", "100000000000", 200'000'000, 60'000'000, {}},
        {"18446744073709551614", "18446744073709551615", 18'446'744'073'709'551'615u, 18'446'744'073'709'551'614u, {}},
        {"", "3", 10, 0, TradeCode::QtyAtLeastOne}, {" 0 ", "3", 10, 0, TradeCode::QtyAtLeastOne},
        {"2x", "3", 10, 0, TradeCode::QtyWhole}, {"1.5", "3", 10, 0, TradeCode::QtyWhole},
        {"4", "3", 10, 0, TradeCode::QtyOverListing}, {"00", "3", 10, 0, TradeCode::QtyOverListing},
        {"1", "", 10, 0, TradeCode::QtyOverListing}, {"1", "0", 10, 0, TradeCode::QtyOverListing},
        {"1", "3", 2, 0, TradeCode::QtyPaysNothing}, {"3", "3", 0, 0, TradeCode::QtyPaysNothing}};
    for (const auto& [box, listed, price, pays, refusal] : rows) {
        auto pay = buy_payment(box, listed, price);
        EXPECT_EQ(code_of(pay.refusal), refusal) << box << " of " << listed;
        if (!refusal) { EXPECT_EQ(pay.pay_sats, pays) << box << " of " << listed; }
    }
    EXPECT_EQ(buy_payment("003", "3", 1).qty, "3");

    const std::tuple<uint64_t, uint64_t, uint64_t, uint64_t, uint64_t> fills[] = {  // total, sold, price, qty, price left
        {4, 4, 400, 0, 0}, {4, 1, 400, 3, 300}, {10, 3, 1'000'000, 7, 700'000}, {100'000'000'000, 30'000'000'000, 200'000'000, 70'000'000'000, 140'000'000},
        {3, 5, 900, 0, 0}};
    for (const auto& [total, sold, price, qty, left] : fills) {
        auto rest = trade::fill_remainder(total, sold, price);
        EXPECT_EQ(rest.qty, qty) << total << " " << sold;
        EXPECT_EQ(rest.price_sats, left) << total << " " << sold;
    }
    EXPECT_FALSE(trade::fill_remainder(0, 0, 900).price_sats);
}

// Token quantities as decimal text of any length: by value, not as text.
TEST(DialogChecks, DecimalText)
{
    const std::pair<std::string, std::string> normal[] = {{" \t007 ", "7"}, {"000", "0"}, {"  ", ""}, {"1.5", ""}, {"-3", ""}, {"1 2", ""}, {"12\n", ""}};
    for (const auto& [text, value] : normal) EXPECT_EQ(trade::normalize_decimal(text), value) << text;
    EXPECT_EQ(trade::compare_decimal("10", "9"), 1);
    EXPECT_EQ(trade::compare_decimal("123", "123"), 0);
    EXPECT_EQ(trade::compare_decimal("123456789012345678901234567890", "123456789012345678901234567891"), -1);
    EXPECT_EQ(trade::subtract_decimal("1000", "1"), "999");
    EXPECT_EQ(trade::subtract_decimal("100000000000000000000", "1"), "99999999999999999999");
    EXPECT_EQ(trade::subtract_decimal("3", "10"), "");
}

} // namespace
