#include "core/base64.h"

#include <gtest/gtest.h>

namespace base64_test {

using core::Bytes;

TEST(Base64, KnownAnswersAndEveryByte)
{
    // RFC 4648 section 10.
    const std::pair<const char*, const char*> cases[] = {{"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"},
                                                         {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}};
    for (const auto& [plain, coded] : cases) {
        EXPECT_EQ(core::base64_encode(core::as_bytes(plain)), coded) << plain;
        EXPECT_EQ(core::base64_decode(coded), Bytes(core::as_bytes(plain).begin(), core::as_bytes(plain).end())) << coded;
    }
    EXPECT_EQ(core::base64_encode(Bytes{0xfb, 0xff, 0xbf}), "+/+/");
    Bytes all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<uint8_t>(i);
    for (size_t len = 0; len <= all.size(); len += 37) {
        Bytes part(all.begin(), all.begin() + static_cast<long>(len));
        EXPECT_EQ(core::base64_decode(core::base64_encode(part)), part) << len;
    }
}

// Padding and white space are skipped wherever they stand; the URL-safe alphabet and any other
// character are refused.
TEST(Base64, LenientOnPaddingStrictOnTheAlphabet)
{
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

} // namespace base64_test
