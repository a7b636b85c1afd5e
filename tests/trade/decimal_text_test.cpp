#include "trade/decimal_text.h"

#include <gtest/gtest.h>

namespace {

using trade::compare_decimal;
using trade::normalize_decimal;
using trade::subtract_decimal;

TEST(DecimalText, NormalisesBlanksAndLeadingZeros)
{
    EXPECT_EQ(normalize_decimal(" \t007 "), "7");
    EXPECT_EQ(normalize_decimal("000"), "0");
    EXPECT_EQ(normalize_decimal("10"), "10");
    EXPECT_EQ(normalize_decimal(""), "");
    EXPECT_EQ(normalize_decimal("  "), "");
    EXPECT_EQ(normalize_decimal("1.5"), "");
    EXPECT_EQ(normalize_decimal("-3"), "");
    EXPECT_EQ(normalize_decimal("1 2"), "");
    EXPECT_EQ(normalize_decimal("12\n"), "");
}

TEST(DecimalText, ComparesByValueNotText)
{
    EXPECT_EQ(compare_decimal("10", "9"), 1);  // "10" sorts before "9" as text
    EXPECT_EQ(compare_decimal("9", "10"), -1);
    EXPECT_EQ(compare_decimal("123", "123"), 0);
    EXPECT_EQ(compare_decimal("123456789012345678901234567890", "123456789012345678901234567891"), -1);
}

TEST(DecimalText, SubtractsWithBorrowsBeyond64Bits)
{
    EXPECT_EQ(subtract_decimal("10", "3"), "7");
    EXPECT_EQ(subtract_decimal("10", "10"), "0");
    EXPECT_EQ(subtract_decimal("1000", "1"), "999");
    EXPECT_EQ(subtract_decimal("100000000000000000000", "1"), "99999999999999999999");
    EXPECT_EQ(subtract_decimal("3", "10"), "");
}

} // namespace
