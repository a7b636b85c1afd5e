#include "core/hex.h"

#include <gtest/gtest.h>

namespace hex_test {

using core::Bytes;

TEST(Hex, StrictEncodeAndDecode)
{
    Bytes all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<uint8_t>(i);
    EXPECT_EQ(core::hex_encode(Bytes{0x00, 0x0a, 0xf0, 0xff, 0x7b}), "000af0ff7b");
    EXPECT_EQ(core::hex_decode(core::hex_encode(all)), all);
    EXPECT_EQ(core::hex_decode("FFfe0A"), (Bytes{0xff, 0xfe, 0x0a}));
    EXPECT_EQ(core::hex_decode(""), Bytes{});
    for (const char* bad : {"abc", "0x0a", " 0a", "0a ", "0g", "g0", "0a\n", "+1", "0a:0b", "\xff\xfe"}) {
        EXPECT_FALSE(core::hex_decode(bad)) << bad;
    }
    EXPECT_FALSE(core::hex_decode(std::string_view("0\0", 2)));

    std::array<uint8_t, 2> out{};
    EXPECT_TRUE(core::hex_decode_to("abCD", out));
    EXPECT_EQ(out, (std::array<uint8_t, 2>{0xab, 0xcd}));
    for (const char* wrong : {"abcd00", "ab", "abcx"}) EXPECT_FALSE(core::hex_decode_to(wrong, out)) << wrong;

    std::string id(64, 'a');
    id[10] = 'F';
    EXPECT_TRUE(core::is_hex64(id));
    EXPECT_FALSE(core::is_hex64(id.substr(1)));
    EXPECT_FALSE(core::is_hex64(id + "0"));
    id[63] = 'g';
    EXPECT_FALSE(core::is_hex64(id));
}

// Pasted keys: blanks around and one 0x prefix are forgiven, nothing inside.
TEST(Hex, LooseDecodeTrimsBlanksAndOnePrefix)
{
    for (const char* text : {" 0x02AB ", "\t\r\n\v\f0X02ab\n", "02ab"}) {
        EXPECT_EQ(core::hex_decode_loose(text), (Bytes{0x02, 0xab})) << text;
    }
    for (const char* bad : {"0x2ab", "0x0x02ab", "02 ab", "0x02ag"}) EXPECT_FALSE(core::hex_decode_loose(bad)) << bad;
    EXPECT_EQ(core::hex_decode_loose("   "), Bytes{});
}

} // namespace hex_test
