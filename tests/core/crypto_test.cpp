#include <gtest/gtest.h>

#include "core/aead.h"
#include "core/hash.h"
#include "core/hex.h"

namespace crypto_test {

using core::Bytes;
using core::as_bytes;
using core::hex_encode;

// SHA-256, SHA-256d, HASH160, HMAC-SHA512 and PBKDF2-SHA512 are checked through the vectors of
// every layer above (digests, addresses, signed messages, mnemonic seeds, HD keys).
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
    ASSERT_TRUE(core::random_bytes(a.data(), a.size()) && core::random_bytes(b.data(), b.size()));
    EXPECT_NE(a, b);
    EXPECT_TRUE(core::random_bytes(nullptr, 0));
}

// AES-256-GCM with associated data and a 96-bit nonce: test case 16 of the GCM submission
// (McGrew and Viega), the vector NIST's validation suite starts from. Tampering is refused: the
// report cipher's and the Pursa vault's tests change every byte.
TEST(Aead, KnownAnswerSealsAndOpens)
{
    const Bytes key = *core::hex_decode("feffe9928665731c6d6a8f9467308308feffe9928665731c6d6a8f9467308308");
    const Bytes nonce = *core::hex_decode("cafebabefacedbaddecaf888");
    const Bytes aad = *core::hex_decode("feedfacedeadbeeffeedfacedeadbeefabaddad2");
    const Bytes plain = *core::hex_decode("d9313225f88406e5a55909c5aff5269a86a7a9531534f7da2e4c303d8a318a72"
                                          "1c3c0c95956809532fcf0e2449a6b525b16aedf5aa0de657ba637b39");
    const Bytes sealed = *core::hex_decode("522dc1f099567d07f47f37a32a84427d643a8cdcbfe5c0c97598a2bd2555d1aa"
                                           "8cb08e48590dbb3da7b08b1056828838c5f61e6393ba7a0abcc9f662"
                                           "76fc6ece0f4e1768cddf8853bb2d551b");
    EXPECT_EQ(core::aead_seal(key, nonce, aad, plain), sealed);
    EXPECT_EQ(core::hex_encode(core::aead_open(key, nonce, aad, sealed).value().view()), core::hex_encode(plain));
    // An empty text still carries a tag that authenticates the associated data.
    auto empty = core::aead_seal(key, nonce, aad, {});
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->size(), core::AEAD_TAG_SIZE);
    EXPECT_TRUE(core::aead_open(key, nonce, aad, *empty));
    EXPECT_FALSE(core::aead_open(key, nonce, {}, *empty));
}


} // namespace crypto_test
