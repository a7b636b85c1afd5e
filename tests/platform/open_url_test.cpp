#include "platform/open_url.h"

#include <gtest/gtest.h>

namespace {

TEST(OpenUrlTest, OnlyPlainWebAddressesAreHandedOver)
{
    EXPECT_TRUE(platform::is_openable_url("https://example.org/tx/abc?x=1#y"));
    EXPECT_TRUE(platform::is_openable_url("HTTP://example.org"));

    for (const char* bad : {"", "https://", "file:///etc/passwd", "--help", "-https://x",
                            "javascript:alert(1)", "https://a b", "https://a\nb", "https://a\"b",
                            "calc.exe", "C:\\Windows\\calc.exe", "ftp://x"}) {
        EXPECT_FALSE(platform::is_openable_url(bad)) << bad;
        EXPECT_FALSE(platform::open_url(bad)) << bad;
    }
}

} // namespace
