#include "core/hash.h"

#include <gtest/gtest.h>

#include "core/hex.h"
#include "core/json_get.h"
#include "tests/support/test_data.h"

namespace hash_test {

using core::as_bytes;
using core::hex_encode;

TEST(Hash, Sha256Sha256dAndHash160KnownAnswers)
{
    EXPECT_EQ(hex_encode(core::sha256(as_bytes(""))), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(hex_encode(core::sha256(as_bytes("abc"))), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // 56 bytes push the length into a second block.
    EXPECT_EQ(hex_encode(core::sha256(as_bytes("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"))),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(hex_encode(core::sha256d(as_bytes("abc"))), "4f8b42c22dd3729b519ba6f68d2da7cc5b2d606d05daed5ad5128cc03e6c6358");
    auto pub = core::hex_decode("0279be667ef9dcbbac55a06295ce870b07029bfcdb2dce28d959f2815b16f81798");
    EXPECT_EQ(hex_encode(core::hash160(pub.value())), "751e76e8199196d454941c45d1b3a323f1433bd6");
    EXPECT_EQ(hex_encode(core::hash160(as_bytes(""))), "b472a266d0bd89c13706a4132ccfb16f7c3b9fcb");
}

TEST(Hash, HmacSha512Rfc4231)
{
    core::Bytes key(20, 0x0b);
    auto mac = core::hmac_sha512(key, as_bytes("Hi There"));
    EXPECT_EQ(hex_encode(mac.view()),
              "87aa7cdea5ef619d4ff0b4241a1d6cb02379f4e2ce4ec2787ad0b30545e17cde"
              "daa833b7d6b8a702038b274eaea3f4e4be9d914eeb61f1702e696c203a126854");
    // A key longer than the block is hashed first.
    core::Bytes long_key(131, 0xaa);
    auto mac2 = core::hmac_sha512(long_key, as_bytes("Test Using Larger Than Block-Size Key - Hash Key First"));
    EXPECT_EQ(hex_encode(mac2.view()),
              "80b24263c7c1a3ebb71493c1dd7be8b49b46d1f41b4aeec1121b013783f8f352"
              "6b56d037e05f2598bd0fd2215d6a1e5295e64f73f63f0aec8b915a985d786598");
}

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
