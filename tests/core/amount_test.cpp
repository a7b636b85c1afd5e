#include "core/amount.h"
#include "core/token_amount.h"

#include <limits>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

namespace amount_test {

using core::Amount;

TEST(FormatBsv, EightFractionDigitsAndSign)
{
    const std::pair<Amount, const char*> cases[] = {
        {1, "0.00000001"}, {-150'000'000, "-1.50000000"}, {-1, "-0.00000001"}, {0, "0.00000000"},
        {2'100'000'000'000'000, "21000000.00000000"},
        {std::numeric_limits<Amount>::max(), "92233720368.54775807"},
        {std::numeric_limits<Amount>::min(), "-92233720368.54775808"},
    };
    for (const auto& [sats, text] : cases) EXPECT_EQ(core::format_bsv(sats), text) << sats;
}

TEST(ParseBsvAmount, AcceptedAndRefusedForms)
{
    const std::pair<const char*, Amount> cases[] = {
        {"1", 100'000'000}, {"0.00000001", 1}, {".5", 50'000'000}, {"1.", 100'000'000}, {"0.123456789", 12'345'678},
        {"0.99999999999", 99'999'999}, {"007.25", 725'000'000}, {"21000000", 2'100'000'000'000'000},
        {"92233720368", 9'223'372'036'800'000'000}, {"92233720368.54775807", std::numeric_limits<Amount>::max()},
        {"0.000000019", 1},
    };
    for (const auto& [text, sats] : cases) EXPECT_EQ(core::parse_bsv_amount(text), std::optional<Amount>(sats)) << text;
    for (const std::string& text : std::vector<std::string>{"", "0", "0.0", "0.000000009", ".", "-1", "+1", " 1", "1 ", "1,5", "1.2.3", "1e8", "0x10",
                                    "92233720369", "92233720368.6", "92233720368.54775808", "1.5a", "a", "١",
                                    std::string(40, '9'), "18446744073709551617", "184467440737.09551617"}) {
        EXPECT_FALSE(core::parse_bsv_amount(text)) << text;
    }
    // Leading zeros do not count against the limit; a long fraction counts its first eight digits.
    EXPECT_EQ(core::parse_bsv_amount(std::string(60, '0') + "1"), 100'000'000);
    EXPECT_EQ(core::parse_bsv_amount("1." + std::string(500, '9')), 199'999'999);
}

// Token amounts round-trip between the base units posts carry and what people read and type; a
// misplaced point would list a hundred million times the lot.
TEST(TokenAmount, ShownAndTypedInTokenUnits)
{
    const std::tuple<const char*, int, const char*> cases[] = {  // base units, decimals, shown
        {"84000000000", 8, "840"},         {"84000000001", 8, "840.00000001"}, {"250000", 0, "250,000"},
        {"5", 2, "0.05"},                   {"0", 3, "0"},
        {"123456789012345678901234", 4, "12,345,678,901,234,567,890.1234"},
    };
    for (const auto& [units, decimals, shown] : cases) {
        EXPECT_EQ(core::format_token_amount(units, decimals), shown) << units;
        EXPECT_EQ(core::parse_token_amount(shown, decimals), units) << shown;
    }
    EXPECT_EQ(core::format_token_amount("000123", 0), "123");
    EXPECT_EQ(core::parse_token_amount(" 840.5 ", 8), "84050000000");
    EXPECT_EQ(core::parse_token_amount("1234567", 0), "1234567");
    EXPECT_EQ(core::parse_token_amount(".5", 1), "5");
    for (const char* bad : {"", ".", "-1", "1e3", "1,23", "12,3456", ",123", "1.", "0.001", "1 000", "1..2"})
        EXPECT_FALSE(core::parse_token_amount(bad, 2)) << bad;
    EXPECT_FALSE(core::format_token_amount("12a", 0));
    EXPECT_FALSE(core::format_token_amount("1", 19));
}

} // namespace amount_test
