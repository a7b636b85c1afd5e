#include "core/text.h"

#include <gtest/gtest.h>

namespace text_test {

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

} // namespace text_test
