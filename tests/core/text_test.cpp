#include "core/text.h"

#include <gtest/gtest.h>

namespace text_test {

// Every plane and the edges of the code space round-trip (an embedded NUL too); malformed UTF-8
// and unpaired surrogates give empty.
TEST(Utf8Wide, RoundTripsEveryPlaneAndRefusesMalformedText)
{
    EXPECT_EQ(core::utf8_to_wide("a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80z"), (std::u16string{u'a', 0x00e9, 0x20ac, 0xd83d, 0xde00, u'z'}));
    for (const std::string& text : {std::string("\x7f\xc2\x80\xdf\xbf\xe0\xa0\x80\xef\xbf\xbf\xf0\x90\x80\x80\xf4\x8f\xbf\xbf"),
                                    std::string("a\0b", 3)}) {
        EXPECT_EQ(core::wide_to_utf8(core::utf8_to_wide(text)), text);
    }
    for (const char* bad : {"\x80", "a\xbf", "\xc3", "\xe2\x82", "\xf0\x9f\x98", "\xc0\xaf", "\xc1\xbf",
                            "\xe0\x80\xaf", "\xf0\x80\x80\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xf5\x80\x80\x80",
                            "\xff", "ok\xc3(", "\xe2\x28\xa1", ""}) {
        EXPECT_TRUE(core::utf8_to_wide(bad).empty()) << "input of " << std::string(bad).size() << " bytes";
    }
    for (const std::u16string& unpaired : {std::u16string{0xd83d}, std::u16string{0xde00, 0xd83d},
                                           std::u16string{u'a', 0xd83d, u'b'}, std::u16string{0xdc00}}) {
        EXPECT_TRUE(core::wide_to_utf8(unpaired).empty()) << unpaired.size();
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

// The first run of 64 hex digits: a shorter run is skipped, a longer one gives its first 64.
TEST(FindHex64, FirstFullRun)
{
    const std::string a(64, 'a');
    const std::string mixed = "Ab" + std::string(62, '0');
    const std::pair<std::string, std::string> cases[] = {
        {a, a},
        {"txid: " + mixed + " done", mixed},
        {std::string(63, 'f') + "-" + mixed, mixed},
        {mixed + "123", mixed},
        {"https://x/tx/" + a + "_0", a},
        {std::string(63, 'a'), ""},
        {std::string(32, 'a') + "g" + std::string(32, 'a'), ""},
        {"", ""},
    };
    for (const auto& [text, run] : cases) EXPECT_EQ(core::find_hex64(text), run) << text;
}

} // namespace text_test
