#include "core/hash.h"

#include <gtest/gtest.h>

#include "core/hex.h"
#include "core/json_get.h"
#include "tests/support/test_data.h"

namespace hash_test {

using core::as_bytes;
using core::hex_encode;

// SHA-256, SHA-256d, HASH160 and HMAC-SHA512 are checked through the vectors of every layer above
// (digests, addresses, signed messages, HD keys).
TEST(Hash, Pbkdf2Sha512GivesTheMnemonicSeeds)
{
    auto doc = testsupport::read_json_vector("bip39.json");
    const auto* cases = core::json_array(doc, "cases");
    ASSERT_TRUE(cases);
    int checked = 0;
    for (const auto& c : *cases) {
        std::string seed_hex = core::json_string(c, "seed_hex");
        if (seed_hex.empty() || checked >= 6) continue;
        std::string mnemonic = core::json_string(c, "mnemonic");
        auto seed = core::pbkdf2_sha512(as_bytes(mnemonic), as_bytes("mnemonic"), 2048, 64);
        EXPECT_EQ(hex_encode(seed.view()), seed_hex) << core::json_string(c, "id");
        ++checked;
    }
    EXPECT_EQ(checked, 6);
}

TEST(Hash, Pbkdf2Sha256Rfc7914)
{
    auto out = core::pbkdf2_sha256(as_bytes("passwd"), as_bytes("salt"), 1, 64);
    EXPECT_EQ(hex_encode(out.view()),
              "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"
              "49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783");
    // No rounds or no length is refused; an empty password and salt are legal.
    EXPECT_TRUE(core::pbkdf2_sha256(as_bytes("p"), as_bytes("s"), 0, 32).empty());
    EXPECT_TRUE(core::pbkdf2_sha512(as_bytes("p"), as_bytes("s"), 1, 0).empty());
    EXPECT_EQ(core::pbkdf2_sha512(as_bytes(""), as_bytes(""), 1, 64).size(), 64u);
}

TEST(Hash, HkdfSha256Rfc5869)
{
    core::Bytes ikm(22, 0x0b);
    auto salt = core::hex_decode("000102030405060708090a0b0c").value();
    auto info = core::hex_decode("f0f1f2f3f4f5f6f7f8f9").value();
    EXPECT_EQ(hex_encode(core::hkdf_sha256(ikm, salt, info, 42).view()),
              "3cb25f25faacd57a90434f64d0362f2a2d2d0a90cf1a5a4c5db02d56ecc4c5bf34007208d5b887185865");
    // Without salt and info (test case 3).
    EXPECT_EQ(hex_encode(core::hkdf_sha256(ikm, {}, {}, 42).view()),
              "8da4e775a563c18f715f802a063c5a31b8a11f5c5ee1879ec3454e5f3c738d2d9d201395faa4b61a96c8");
    EXPECT_TRUE(core::hkdf_sha256(ikm, salt, info, 0).empty());
    EXPECT_TRUE(core::hkdf_sha256(ikm, salt, info, 255 * 32 + 1).empty());
}

TEST(Hash, RandomBytesDiffer)
{
    std::array<uint8_t, 32> a{}, b{};
    ASSERT_TRUE(core::random_bytes(a.data(), a.size()));
    ASSERT_TRUE(core::random_bytes(b.data(), b.size()));
    EXPECT_NE(a, b);
    EXPECT_TRUE(core::random_bytes(nullptr, 0));
}

} // namespace hash_test
