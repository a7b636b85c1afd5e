#include "core/text.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf8Wide, RoundTripsEveryPlane)
{
    // ASCII, two-byte (é), three-byte (€), four-byte (U+1F600, a surrogate pair in UTF-16).
    std::string utf8 = "a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80z";
    std::u16string wide = core::utf8_to_wide(utf8);
    EXPECT_EQ(wide, (std::u16string{u'a', 0x00e9, 0x20ac, 0xd83d, 0xde00, u'z'}));
    EXPECT_EQ(core::wide_to_utf8(wide), utf8);
    // The edges of the code space.
    std::string edges = "\x7f\xc2\x80\xdf\xbf\xe0\xa0\x80\xef\xbf\xbf\xf0\x90\x80\x80\xf4\x8f\xbf\xbf";
    EXPECT_EQ(core::wide_to_utf8(core::utf8_to_wide(edges)), edges);
}

TEST(Utf8Wide, EmbeddedNulSurvives)
{
    std::string utf8("a\0b", 3);
    EXPECT_EQ(core::utf8_to_wide(utf8), std::u16string(u"a\0b", 3));
    EXPECT_EQ(core::wide_to_utf8(std::u16string(u"a\0b", 3)), utf8);
}

TEST(Utf8Wide, MalformedUtf8GivesEmpty)
{
    for (const char* bad : {"\x80", "a\xbf", "\xc3", "\xe2\x82", "\xf0\x9f\x98", "\xc0\xaf", "\xc1\xbf",
                            "\xe0\x80\xaf", "\xf0\x80\x80\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xf5\x80\x80\x80",
                            "\xff", "ok\xc3(", "\xe2\x28\xa1"}) {
        EXPECT_TRUE(core::utf8_to_wide(bad).empty()) << "input of " << std::string(bad).size() << " bytes";
    }
    EXPECT_TRUE(core::utf8_to_wide("").empty());
}

TEST(Utf8Wide, UnpairedSurrogateGivesEmpty)
{
    EXPECT_TRUE(core::wide_to_utf8(std::u16string{0xd83d}).empty());
    EXPECT_TRUE(core::wide_to_utf8(std::u16string{0xde00, 0xd83d}).empty());
    EXPECT_TRUE(core::wide_to_utf8(std::u16string{u'a', 0xd83d, u'b'}).empty());
    EXPECT_TRUE(core::wide_to_utf8(std::u16string{0xdc00}).empty());
    EXPECT_TRUE(core::wide_to_utf8(u"").empty());
}

TEST(AsciiText, FoldsAndTrimsOnlyAscii)
{
    EXPECT_EQ(core::trim_ascii_space(" \t\r\n\v\fabc d\n\r\t "), "abc d");
    EXPECT_EQ(core::trim_ascii_space("   "), "");
    // Bytes above 0x7f are never folded or trimmed, whatever the locale.
    EXPECT_EQ(core::ascii_lower("AbZ-@[\xc3\x89\xa0"), "abz-@[\xc3\x89\xa0");
    EXPECT_EQ(core::trim_ascii_space("\xa0x\xa0"), "\xa0x\xa0");
}

TEST(FindHex64, FirstFullRun)
{
    std::string a(64, 'a');
    std::string mixed = "Ab" + std::string(62, '0');
    EXPECT_EQ(core::find_hex64(a), a);
    EXPECT_EQ(core::find_hex64("txid: " + mixed + " done"), mixed);
    // A 63-digit run followed by a non-digit, then a 64-digit run: the second.
    EXPECT_EQ(core::find_hex64(std::string(63, 'f') + "-" + mixed), mixed);
    // A longer run gives its first 64 digits.
    EXPECT_EQ(core::find_hex64(mixed + "123"), mixed);
    // An outpoint pasted as txid_vout.
    EXPECT_EQ(core::find_hex64("https://x/tx/" + a + "_0"), a);
}

TEST(FindHex64, NoRun)
{
    EXPECT_EQ(core::find_hex64(std::string(63, 'a')), "");
    EXPECT_EQ(core::find_hex64(std::string(32, 'a') + "g" + std::string(32, 'a')), "");
    EXPECT_EQ(core::find_hex64(""), "");
}

} // namespace
