#include "core/message.h"

#include <gtest/gtest.h>

#include "core/base58.h"
#include "core/base64.h"
#include "core/hash.h"
#include "core/hex.h"
#include "core/json_get.h"
#include "core/key.h"
#include "tests/support/signature_util.h"
#include "tests/support/test_data.h"

namespace message_test {

using core::Bytes;
using core::json_string;
using testutil::Scalar;

const std::string KEY_A = "d9845ee2e9e92ddf65f4b9ff067a27f420d6f51664e4143ff6e5961919dbc6a6";
const std::string PUB_A = "02ded4e1e697bc768d79dd3f5c95cd56f332fdcf483c2a36933ba6c81d29bcf8b4";

core::Json vectors()
{
    return testsupport::read_json_vector("signed-message.json");
}

Scalar part(const Bytes& sig, size_t offset)
{
    Scalar out{};
    std::copy(sig.begin() + static_cast<long>(offset), sig.begin() + static_cast<long>(offset + 32), out.begin());
    return out;
}

// The vectors give compressed keys only; the uncompressed form of the generator is well known.
const std::string GENERATOR_UNCOMPRESSED =
    "0479be667ef9dcbbac55a06295ce870b07029bfcdb2dce28d959f2815b16f81798"
    "483ada7726a3c4655da4fbfc0e1108a8fd17b448a68554199c47d08ffb10d4b8";
const std::string KEY_ONE = std::string(63, '0') + "1";

TEST(SignedMessage, VectorsVerifyRecoverAndRefuse)
{
    auto doc = vectors();
    const auto* digests = core::json_array(doc, "digests");
    ASSERT_TRUE(digests && !digests->empty());
    for (const auto& d : *digests) {
        EXPECT_EQ(core::hex_encode(core::signed_message_digest(json_string(d, "message"))), json_string(d, "digest_hex"))
            << json_string(d, "source");
    }
    const auto* invalid = core::json_array(doc, "invalid");
    ASSERT_TRUE(invalid && !invalid->empty());
    for (const auto& v : *invalid) {
        EXPECT_FALSE(core::verify_message(json_string(v, "message"), json_string(v, "public_key_hex"),
                                          json_string(v, "signature_base64")))
            << json_string(v, "reason");
    }
    const auto* valid = core::json_array(doc, "valid");
    ASSERT_TRUE(valid && !valid->empty());
    for (const auto& v : *valid) {
        std::string id = json_string(v, "source");
        std::string message = json_string(v, "message");
        std::string pub = json_string(v, "public_key_hex");
        std::string sig_text = json_string(v, "signature_base64");
        EXPECT_TRUE(core::verify_message(message, pub, sig_text)) << id;
        EXPECT_EQ(core::address_from_pubkey(pub), json_string(v, "address")) << id;

        auto digest = core::signed_message_digest(message);
        EXPECT_EQ(core::hex_encode(digest), json_string(v, "digest_hex")) << id;
        auto sig = core::base64_decode(sig_text);
        ASSERT_TRUE(sig && sig->size() == 65) << id;
        EXPECT_EQ((*sig)[0], core::json_int64(v, "header")) << id;
        auto recovered = core::recover_pubkey(digest, core::ByteView(sig->data() + 1, 32),
                                              core::ByteView(sig->data() + 33, 32), (*sig)[0] - 31);
        ASSERT_TRUE(recovered) << id;
        EXPECT_EQ(core::hex_encode(*recovered), pub) << id;

        // Where the key is known, signing reproduces the deterministic signature byte for byte.
        std::string priv = json_string(v, "private_key_hex");
        if (!priv.empty()) {
            EXPECT_EQ(core::pubkey_from_privkey(priv), pub) << id;
            EXPECT_EQ(core::sign_message_compact(message, priv), sig_text) << id;
        }
    }
}

TEST(SignedMessage, OwnKeyCases)
{
    auto doc = vectors();
    const auto* own = core::json_object(doc, "own_key_cases");
    ASSERT_TRUE(own);
    const auto* cases = core::json_array(*own, "cases");
    ASSERT_TRUE(cases && !cases->empty());
    for (const auto& c : *cases) {
        std::string message = json_string(c, "message");
        std::string priv = json_string(c, "private_key_hex");
        std::string pub = json_string(c, "public_key_hex");
        std::string id = json_string(c, "address");
        EXPECT_EQ(static_cast<int64_t>(message.size()), core::json_int64(c, "message_length")) << id;
        EXPECT_EQ(core::pubkey_from_privkey(priv), pub) << id;
        EXPECT_EQ(core::address_from_pubkey(pub), id);
        EXPECT_EQ(core::hex_encode(core::signed_message_digest(message)), json_string(c, "signed_message_digest_hex"))
            << id;
        EXPECT_EQ(core::sign_message_plain(message, priv), json_string(c, "plain_signature_base64")) << id;
        EXPECT_EQ(core::sign_message_compact(message, priv), json_string(c, "compact_signature_base64")) << id;
        EXPECT_TRUE(core::verify_message(message, pub, json_string(c, "plain_signature_base64"))) << id;
        EXPECT_TRUE(core::verify_message(message, pub, json_string(c, "compact_signature_base64"))) << id;
        // A plain signature over SHA-256 of the message is accepted too.
        EXPECT_TRUE(core::verify_message(message, pub, json_string(c, "plain_signature_over_sha256_of_message_base64")))
            << id;
        EXPECT_FALSE(core::verify_message(message + ".", pub,
                                          json_string(c, "plain_signature_over_sha256_of_message_base64")))
            << id;
    }
}

// Both signature forms have a low s; the compact one verifies under every written form of the
// signer's key and under no other key or message. A plain signature over SHA-256d of the message
// and a high-S twin are accepted too.
TEST(SignedMessage, SignatureShapesKeyFormsAndAcceptedVariants)
{
    const std::string gen = "0279be667ef9dcbbac55a06295ce870b07029bfcdb2dce28d959f2815b16f81798";
    for (int i = 0; i < 16; ++i) {
        std::string message = "post " + std::to_string(i);
        auto sig = core::base64_decode(core::sign_message_compact(message, KEY_ONE).value_or(""));
        ASSERT_TRUE(sig && sig->size() == 65) << i;
        EXPECT_TRUE((*sig)[0] >= 31 && (*sig)[0] <= 34) << i;
        EXPECT_FALSE(testutil::is_high(part(*sig, 33))) << i;
        const std::string text = core::base64_encode(*sig);
        for (const std::string& key : {gen, GENERATOR_UNCOMPRESSED, "0x" + gen, " 0X" + GENERATOR_UNCOMPRESSED + "\n"}) {
            EXPECT_TRUE(core::verify_message(message, key, text)) << i << key;
        }
        EXPECT_FALSE(core::verify_message(message, PUB_A, text)) << i;
        EXPECT_FALSE(core::verify_message(message + " ", gen, text)) << i;
        auto plain = core::base64_decode(core::sign_message_plain(message, KEY_A).value_or(""));
        ASSERT_TRUE(plain && plain->size() == 64) << i;
        EXPECT_FALSE(testutil::is_high(part(*plain, 32))) << i;
    }
    const std::string message = "offer 42";
    auto rs = testutil::der_decode(core::ecdsa_sign_der(KEY_A, core::sha256d(core::as_bytes(message))).value());
    ASSERT_TRUE(rs);
    EXPECT_TRUE(core::verify_message(message, PUB_A, core::base64_encode(testutil::concat(rs->first, rs->second))));
    auto sig = core::base64_decode(core::sign_message_plain(message, KEY_A).value()).value();
    Scalar high_s = testutil::sub(testutil::CURVE_ORDER, part(sig, 32));
    EXPECT_TRUE(core::verify_message(message, PUB_A, core::base64_encode(testutil::concat(part(sig, 0), high_s))));
}

TEST(SignedMessage, MalformedInputRefused)
{
    const std::string message = "hello";
    const std::string text = core::sign_message_compact(message, KEY_A).value();
    ASSERT_TRUE(core::verify_message(message, PUB_A, text));
    const Bytes sig = core::base64_decode(text).value();
    Bytes longer = sig;
    longer.push_back(0);
    const std::pair<std::string, std::string> refused[] = {  // key, signature
        {PUB_A, text.substr(0, 86) + "-_"},  // the URL-safe alphabet
        {PUB_A, core::base64_encode(Bytes(sig.begin(), sig.end() - 2))},
        {PUB_A, core::base64_encode(longer)},
        {PUB_A, core::base64_encode(testutil::concat(part(sig, 1), testutil::CURVE_ORDER))},  // s = n, not reduced
        {PUB_A, ""},
        {PUB_A, "!!!!"},
        {"", text},
        {"zz", text},
        {PUB_A.substr(2), text},
        {PUB_A + "00", text},
    };
    for (const auto& [key, signature] : refused) {
        EXPECT_FALSE(core::verify_message(message, key, signature)) << key << " " << signature;
    }
    for (size_t bit = 8; bit < sig.size() * 8; bit += 37) {
        Bytes flipped = sig;
        flipped[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
        EXPECT_FALSE(core::verify_message(message, PUB_A, core::base64_encode(flipped))) << bit;
    }
}

TEST(SignedMessage, RecoveryRefusesBadArguments)
{
    auto digest = core::signed_message_digest("x");
    auto sig = core::base64_decode(core::sign_message_compact("x", KEY_A).value()).value();
    const Bytes r(sig.begin() + 1, sig.begin() + 33), s(sig.begin() + 33, sig.end());
    const int id = sig[0] - 31;
    EXPECT_EQ(core::hex_encode(core::recover_pubkey(digest, r, s, id).value()), PUB_A);
    // The other parity gives another key, never the signer's.
    EXPECT_NE(core::hex_encode(core::recover_pubkey(digest, r, s, id ^ 1).value_or(Bytes{})), PUB_A);
    const std::tuple<const char*, Bytes, Bytes, int> refused[] = {
        {"id 4", r, s, 4},           {"id -1", r, s, -1},
        {"r = 0", Bytes(32, 0), s, id}, {"s = 0", r, Bytes(32, 0), id},
        {"r = n", Bytes(testutil::CURVE_ORDER.begin(), testutil::CURVE_ORDER.end()), s, id},
        {"s = n", r, Bytes(testutil::CURVE_ORDER.begin(), testutil::CURVE_ORDER.end()), id},
        {"short r", Bytes(r.begin(), r.end() - 1), s, id}, {"long s", r, Bytes(sig.begin() + 32, sig.end()), id},
    };
    for (const auto& [what, rr, ss, n] : refused) EXPECT_FALSE(core::recover_pubkey(digest, rr, ss, n)) << what;
}

} // namespace message_test
