#include "core/hex.h"

#include <gtest/gtest.h>

namespace {

using core::Bytes;

TEST(Hex, EncodesLowerCaseHighNibbleFirst)
{
    EXPECT_EQ(core::hex_encode(Bytes{0x00, 0x0a, 0xf0, 0xff, 0x7b}), "000af0ff7b");
    EXPECT_EQ(core::hex_encode(Bytes{}), "");
}

TEST(Hex, StrictDecodeAcceptsEitherCase)
{
    EXPECT_EQ(core::hex_decode("0A0b"), (Bytes{0x0a, 0x0b}));
    EXPECT_EQ(core::hex_decode("FFfe00"), (Bytes{0xff, 0xfe, 0x00}));
    EXPECT_EQ(core::hex_decode(""), Bytes{});
}

TEST(Hex, StrictDecodeRefusesAnythingElse)
{
    for (const char* bad : {"abc", "0x0a", " 0a", "0a ", "0g", "g0", "0a\n", "+1", "0a:0b", "\xff\xfe"}) {
        EXPECT_FALSE(core::hex_decode(bad)) << bad;
    }
    // An embedded NUL is not a digit either.
    EXPECT_FALSE(core::hex_decode(std::string_view("0\0", 2)));
}

TEST(Hex, RoundTripsEveryByteValue)
{
    Bytes all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<uint8_t>(i);
    EXPECT_EQ(core::hex_decode(core::hex_encode(all)), all);
}

TEST(Hex, DecodeToNeedsTheExactSize)
{
    std::array<uint8_t, 2> out{};
    EXPECT_TRUE(core::hex_decode_to("abCD", out));
    EXPECT_EQ(out[0], 0xab);
    EXPECT_EQ(out[1], 0xcd);
    EXPECT_FALSE(core::hex_decode_to("abcd00", out));
    EXPECT_FALSE(core::hex_decode_to("ab", out));
    EXPECT_FALSE(core::hex_decode_to("abcx", out));
}

TEST(Hex, LooseDecodeTrimsBlanksAndOnePrefix)
{
    EXPECT_EQ(core::hex_decode_loose(" 0x02AB "), (Bytes{0x02, 0xab}));
    EXPECT_EQ(core::hex_decode_loose("\t\r\n\v\f0X02ab\n"), (Bytes{0x02, 0xab}));
    EXPECT_EQ(core::hex_decode_loose("02ab"), (Bytes{0x02, 0xab}));
    EXPECT_FALSE(core::hex_decode_loose("0x2ab"));       // odd after the prefix
    EXPECT_FALSE(core::hex_decode_loose("0x0x02ab"));    // only one prefix
    EXPECT_FALSE(core::hex_decode_loose("02 ab"));       // inner blank
    EXPECT_FALSE(core::hex_decode_loose("0x02ag"));
    EXPECT_EQ(core::hex_decode_loose("   "), Bytes{});  // nothing left is an even length
}

TEST(Hex, Hex64)
{
    std::string id(64, 'a');
    EXPECT_TRUE(core::is_hex64(id));
    id[10] = 'F';
    EXPECT_TRUE(core::is_hex64(id));
    EXPECT_FALSE(core::is_hex64(id.substr(1)));
    EXPECT_FALSE(core::is_hex64(id + "0"));
    id[63] = 'g';
    EXPECT_FALSE(core::is_hex64(id));
}

} // namespace
