#include "core/base64.h"

#include <gtest/gtest.h>

namespace {

using core::Bytes;

TEST(Base64, KnownAnswers)
{
    // RFC 4648 section 10.
    const char* plain[] = {"", "f", "fo", "foo", "foob", "fooba", "foobar"};
    const char* coded[] = {"", "Zg==", "Zm8=", "Zm9v", "Zm9vYg==", "Zm9vYmE=", "Zm9vYmFy"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(core::base64_encode(core::as_bytes(plain[i])), coded[i]) << plain[i];
        auto back = core::base64_decode(coded[i]);
        ASSERT_TRUE(back) << coded[i];
        EXPECT_EQ(std::string(back->begin(), back->end()), plain[i]);
    }
}

TEST(Base64, HighAlphabetAndAllBytes)
{
    EXPECT_EQ(core::base64_encode(Bytes{0xfb, 0xff, 0xbf}), "+/+/");
    Bytes all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<uint8_t>(i);
    for (size_t len = 0; len <= all.size(); len += 37) {
        Bytes part(all.begin(), all.begin() + static_cast<long>(len));
        EXPECT_EQ(core::base64_decode(core::base64_encode(part)), part) << len;
    }
}

TEST(Base64, SkipsPaddingAndWhiteSpaceAnywhere)
{
    EXPECT_EQ(core::base64_decode(" Zm9v\r\nYmFy\t"), core::base64_decode("Zm9vYmFy"));
    EXPECT_EQ(core::base64_decode("Zm=9=v"), (Bytes{'f', 'o', 'o'}));
    EXPECT_EQ(core::base64_decode("Zg"), (Bytes{'f'}));       // missing padding is fine
    EXPECT_EQ(core::base64_decode("Zg==="), (Bytes{'f'}));    // so is too much
    EXPECT_EQ(core::base64_decode("Z"), Bytes{});            // six bits make no byte
    EXPECT_EQ(core::base64_decode("===\n"), Bytes{});
}

TEST(Base64, RefusesUrlSafeAndOtherCharacters)
{
    EXPECT_FALSE(core::base64_decode("-_-_"));
    EXPECT_FALSE(core::base64_decode("H8Jaw-tQ"));
    EXPECT_FALSE(core::base64_decode("H8Jaw_tQ"));
    for (const char* bad : {"Zm9v.", "Zm9v!", "Zm\x80v", "Zm9v\xff", "Zm9v%3D", "*"}) {
        EXPECT_FALSE(core::base64_decode(bad)) << bad;
    }
    EXPECT_FALSE(core::base64_decode(std::string_view("Zm\0v", 4)));
}

} // namespace
