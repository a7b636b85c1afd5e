#include "trade/dialog_checks.h"

#include <gtest/gtest.h>

namespace {

using trade::buy_payment;
using trade::list_quantity;
using trade::parse_price_box;

TEST(PriceBox, AcceptsBsvAmountsWithTheDialogTrim)
{
    EXPECT_EQ(parse_price_box("1.5 "), 150'000'000);
    EXPECT_EQ(parse_price_box(" \t0.00000001\r\n"), 1);
    EXPECT_EQ(parse_price_box("2"), 200'000'000);
    EXPECT_EQ(parse_price_box(".5"), 50'000'000);
    EXPECT_EQ(parse_price_box("92233720368"), 9'223'372'036'800'000'000);
}

TEST(PriceBox, RefusesZeroAndMalformedPrices)
{
    for (const char* text : {"", " ", "0", "0.000000001", "1,5", "-1", "1e3", "1.2.3", "0x10", "92233720369",
                             "\n1", "1 5", "abc"})
        EXPECT_FALSE(parse_price_box(text)) << "'" << text << "'";
    EXPECT_FALSE(parse_price_box(std::string(64, '1')));
}

TEST(NoteCheck, CountsUtf8BytesAfterTrimming)
{
    EXPECT_EQ(trade::check_note("  fresh lot  "), "");
    EXPECT_EQ(trade::check_note(std::string(140, 'a')), "");
    EXPECT_EQ(trade::check_note(std::string(141, 'a')), trade::NOTE_MESSAGE);
    std::string two_byte;
    for (int i = 0; i < 70; ++i) two_byte += "\xc3\xa9";
    EXPECT_EQ(trade::check_note(two_byte), "");
    EXPECT_EQ(trade::check_note(two_byte + "x"), trade::NOTE_MESSAGE);
    EXPECT_EQ(trade::check_note(""), trade::NOTE_MESSAGE);
    EXPECT_EQ(trade::check_note(" \t\r\n"), trade::NOTE_MESSAGE);
    EXPECT_EQ(trade::check_note("bad \xff byte"), trade::NOTE_MESSAGE);
}

TEST(ListQuantity, PictureIsAlwaysOne)
{
    EXPECT_EQ(list_quantity("5", true, "").qty, "1");
    EXPECT_EQ(list_quantity("", true, "").qty, "1");
    EXPECT_EQ(list_quantity("junk", true, "").error, "");
}

TEST(ListQuantity, LeadingDigitsCountAndBoundsHold)
{
    EXPECT_EQ(list_quantity("08", false, "10").qty, "8");
    EXPECT_EQ(list_quantity("12abc", false, "100").qty, "12");
    EXPECT_EQ(list_quantity(" 10 ", false, "10").qty, "10");
    EXPECT_EQ(list_quantity("18446744073709551615", false, "18446744073709551615").qty, "18446744073709551615");
}

TEST(ListQuantity, RefusalsInTheDialogsOrder)
{
    EXPECT_EQ(list_quantity("", false, "10").error, trade::QTY_AT_LEAST_ONE);
    EXPECT_EQ(list_quantity("0", false, "10").error, trade::QTY_AT_LEAST_ONE);
    EXPECT_EQ(list_quantity("abc", false, "10").error, trade::QTY_WHOLE);
    EXPECT_EQ(list_quantity("-3", false, "10").error, trade::QTY_WHOLE);
    EXPECT_EQ(list_quantity("18446744073709551616", false, "10").error, trade::QTY_WHOLE);
    EXPECT_EQ(list_quantity("00", false, "10").error, trade::QTY_HELD);
    EXPECT_EQ(list_quantity("11", false, "10").error, trade::QTY_HELD);
    EXPECT_EQ(list_quantity("1", false, "").error, trade::QTY_HELD);
    EXPECT_EQ(list_quantity("9", false, "10").error, "");
}

TEST(BuyPayment, TheFullQuantityPaysThePriceExactly)
{
    auto pay = buy_payment("3", "3", 100'000'001);
    EXPECT_EQ(pay.pay_sats, 100'000'001u);
    EXPECT_EQ(pay.qty, "3");
    EXPECT_EQ(buy_payment("003", "3", 100'000'001).pay_sats, 100'000'001u);
    EXPECT_EQ(buy_payment("003", "3", 100'000'001).qty, "3");
}

TEST(BuyPayment, PartialQuantitiesPayAProRataShareWithoutOverflow)
{
    EXPECT_EQ(buy_payment("1", "3", 100'000'000).pay_sats, 33'333'333u);
    EXPECT_EQ(buy_payment("3", "10", 1'000).pay_sats, 300u);
    // 10^11 token units at 2 BSV: q * price is far past 2^64.
    EXPECT_EQ(buy_payment("30000000000", "100000000000", 200'000'000).pay_sats, 60'000'000u);
    EXPECT_EQ(buy_payment("18446744073709551614", "18446744073709551615", 18'446'744'073'709'551'615u).pay_sats,
              18'446'744'073'709'551'614u);
}

TEST(BuyPayment, Refusals)
{
    EXPECT_EQ(buy_payment("", "3", 10).error, trade::QTY_AT_LEAST_ONE);
    EXPECT_EQ(buy_payment(" 0 ", "3", 10).error, trade::QTY_AT_LEAST_ONE);
    EXPECT_EQ(buy_payment("2x", "3", 10).error, trade::QTY_WHOLE);
    EXPECT_EQ(buy_payment("1.5", "3", 10).error, trade::QTY_WHOLE);
    EXPECT_EQ(buy_payment("4", "3", 10).error, trade::QTY_OVER_LISTING);
    EXPECT_EQ(buy_payment("00", "3", 10).error, trade::QTY_OVER_LISTING);
    EXPECT_EQ(buy_payment("1", "", 10).error, trade::QTY_OVER_LISTING);
    EXPECT_EQ(buy_payment("1", "0", 10).error, trade::QTY_OVER_LISTING);
    // 1 of 3 lots at 2 satoshis for the lot: a share truncated to nothing is no offer.
    EXPECT_EQ(buy_payment("1", "3", 2).error, trade::QTY_PAYS_NOTHING);
    EXPECT_EQ(buy_payment("3", "3", 0).error, trade::QTY_PAYS_NOTHING);
}

TEST(FillRemainder, PriceOfTheRestUsesA128BitProduct)
{
    auto full = trade::fill_remainder(4, 4, 400);
    EXPECT_EQ(full.qty, 0u);
    EXPECT_EQ(full.price_sats, 0u);
    auto partial = trade::fill_remainder(4, 1, 400);
    EXPECT_EQ(partial.qty, 3u);
    EXPECT_EQ(partial.price_sats, 300u);
    auto seventy = trade::fill_remainder(10, 3, 1'000'000);
    EXPECT_EQ(seventy.qty, 7u);
    EXPECT_EQ(seventy.price_sats, 700'000u);
    auto big = trade::fill_remainder(100'000'000'000, 30'000'000'000, 200'000'000);
    EXPECT_EQ(big.price_sats, 140'000'000u);
    EXPECT_EQ(trade::fill_remainder(3, 5, 900).qty, 0u);
    EXPECT_FALSE(trade::fill_remainder(0, 0, 900).price_sats);
}

TEST(ReportText, OneTo2000BytesAfterTrimming)
{
    EXPECT_EQ(trade::check_report_text(std::string(2000, 'r')), "");
    EXPECT_EQ(trade::check_report_text(std::string(2001, 'r')), trade::REPORT_TEXT_MESSAGE);
    EXPECT_EQ(trade::check_report_text("   \t  "), trade::REPORT_TEXT_MESSAGE);
    EXPECT_EQ(trade::check_report_text("  spam listing  "), "");
}

} // namespace
