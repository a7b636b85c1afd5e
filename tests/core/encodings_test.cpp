#include <gtest/gtest.h>

#include "core/base58.h"
#include "core/base64.h"
#include "core/hash.h"
#include "core/hex.h"
#include "core/json_get.h"
#include "core/text.h"
#include "tests/support/test_data.h"

namespace encodings_test {

using core::Bytes;

// The vectors (leading zero bytes as extra "1"s among them) both ways; the invalid ones and every
// single changed character are caught by the checksum or the alphabet.
TEST(Base58, VectorsBothWaysAndEveryChangeCaught)
{
    auto doc = testsupport::read_json_vector("base58check.json");
    const auto* valid = core::json_array(doc, "valid");
    ASSERT_TRUE(valid && !valid->empty());
    for (const auto& v : *valid) {
        std::string what = core::json_string(v, "what");
        std::string address = core::json_string(v, "address");
        core::Hash160 hash{};
        ASSERT_TRUE(core::hex_decode_to(core::json_string(v, "hash160_hex"), hash)) << what;
        EXPECT_EQ(core::address_from_hash160(hash), address) << what;
        EXPECT_EQ(core::hash160_from_address(address), hash) << what;
        EXPECT_EQ(static_cast<int64_t>(address.find_first_not_of('1')), core::json_int64(v, "leading_ones")) << what;
    }
    const auto* invalid = core::json_array(doc, "invalid");
    ASSERT_TRUE(invalid && !invalid->empty());
    for (const auto& v : *invalid) {
        EXPECT_FALSE(core::hash160_from_address(core::json_string(v, "text"))) << core::json_string(v, "reason");
    }
    const std::string good = "1BgGZ9tcN4rm9KBzDn7KprQz87SZ26SAMH";
    for (size_t pos = 0; pos < good.size(); ++pos) {
        for (char c : {'2', 'z', 'Q', '0'}) {
            std::string bad = good;
            bad[pos] = c;
            if (bad != good) {
                EXPECT_FALSE(core::hash160_from_address(bad)) << bad;
            }
        }
    }
}

// The known answers of RFC 4648 section 10 both ways; padding and white space are skipped
// wherever they stand; the URL-safe alphabet and any other character are refused.
TEST(Base64, KnownAnswersLenientOnPaddingStrictOnTheAlphabet)
{
    const std::pair<const char*, const char*> cases[] = {{"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"},
                                                         {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}};
    for (const auto& [plain, coded] : cases) {
        EXPECT_EQ(core::base64_encode(core::as_bytes(plain)), coded) << plain;
        EXPECT_EQ(core::base64_decode(coded), Bytes(core::as_bytes(plain).begin(), core::as_bytes(plain).end())) << coded;
    }
    EXPECT_EQ(core::base64_encode(Bytes{0xfb, 0xff, 0xbf}), "+/+/");
    const std::pair<std::string, Bytes> read[] = {
        {" Zm9v\r\nYmFy\t", {'f', 'o', 'o', 'b', 'a', 'r'}}, {"Zm=9=v", {'f', 'o', 'o'}}, {"Zg", {'f'}},
        {"Zg===", {'f'}}, {"Z", {}}, {"===\n", {}},
    };
    for (const auto& [text, bytes] : read) EXPECT_EQ(core::base64_decode(text), bytes) << text;
    for (const std::string& bad : {std::string("-_-_"), std::string("H8Jaw-tQ"), std::string("H8Jaw_tQ"), std::string("Zm9v."),
                                   std::string("Zm\x80v"), std::string("Zm9v%3D"), std::string("Zm\0v", 4)}) {
        EXPECT_FALSE(core::base64_decode(bad)) << bad;
    }
}

TEST(Hex, EncodeAndStrictAndLooseDecode)
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

    const std::string id = std::string(10, 'a') + "F" + std::string(53, 'a');
    EXPECT_TRUE(core::is_hex64(id));
    for (const std::string& bad : {id.substr(1), id + "0", id.substr(0, 63) + "g"}) EXPECT_FALSE(core::is_hex64(bad)) << bad;

    // Pasted keys: blanks around and one 0x prefix are forgiven, nothing inside.
    for (const char* text : {" 0x02AB ", "\t\r\n\v\f0X02ab\n", "02ab"}) {
        EXPECT_EQ(core::hex_decode_loose(text), (Bytes{0x02, 0xab})) << text;
    }
    for (const char* bad : {"0x2ab", "0x0x02ab", "02 ab", "0x02ag"}) EXPECT_FALSE(core::hex_decode_loose(bad)) << bad;
    EXPECT_EQ(core::hex_decode_loose("   "), Bytes{});
}

// Every plane reads (the trade dialogs measure notes this way); malformed UTF-8 gives empty.
TEST(Utf8Wide, ReadsEveryPlaneAndRefusesMalformedText)
{
    EXPECT_EQ(core::utf8_to_wide("a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80z"), (std::u16string{u'a', 0x00e9, 0x20ac, 0xd83d, 0xde00, u'z'}));
    EXPECT_EQ(core::utf8_to_wide(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
    for (const char* bad : {"\x80", "a\xbf", "\xc3", "\xe2\x82", "\xf0\x9f\x98", "\xc0\xaf", "\xc1\xbf",
                            "\xe0\x80\xaf", "\xf0\x80\x80\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xf5\x80\x80\x80",
                            "\xff", "ok\xc3(", "\xe2\x28\xa1", ""}) {
        EXPECT_TRUE(core::utf8_to_wide(bad).empty()) << "input of " << std::string(bad).size() << " bytes";
    }
}

TEST(AsciiText, FoldsAndTrimsOnlyAscii)
{
    EXPECT_EQ(core::trim_ascii_space(" \t\r\n\v\fabc d\n\r\t "), "abc d");
    EXPECT_EQ(core::trim_ascii_space("   "), "");
    // Bytes above 0x7f are never folded or trimmed, whatever the locale.
    EXPECT_EQ(core::ascii_lower("AbZ-@[\xc3\x89\xa0"), "abz-@[\xc3\x89\xa0");
    EXPECT_EQ(core::trim_ascii_space("\xa0x\xa0"), "\xa0x\xa0");
}

} // namespace encodings_test
