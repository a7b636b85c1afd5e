// Keys and signatures: private and public keys, the node's strict DER, tweaks and ECDH, and
// signed messages (the vectors, then the forms a hostile peer could send).
#include <atomic>
#include <optional>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/base58.h"
#include "core/base64.h"
#include "core/hash.h"
#include "core/hex.h"
#include "core/json_get.h"
#include "core/key.h"
#include "core/message.h"
#include "tests/support/signature_util.h"
#include "tests/support/test_data.h"

namespace signatures_test {

using core::Bytes;
using core::hex_decode;
using core::json_string;
using testutil::Scalar;

const std::string KEY_ONE = std::string(63, '0') + "1";
const std::string KEY_LAST = "fffffffffffffffffffffffffffffffebaaedce6af48a03bbfd25e8cd0364140";  // n - 1
const std::string GENERATOR = "0279be667ef9dcbbac55a06295ce870b07029bfcdb2dce28d959f2815b16f81798";
const std::string GENERATOR_UNCOMPRESSED =
    "0479be667ef9dcbbac55a06295ce870b07029bfcdb2dce28d959f2815b16f81798"
    "483ada7726a3c4655da4fbfc0e1108a8fd17b448a68554199c47d08ffb10d4b8";
const std::string KEY_A = "d9845ee2e9e92ddf65f4b9ff067a27f420d6f51664e4143ff6e5961919dbc6a6";
const std::string PUB_A = "02ded4e1e697bc768d79dd3f5c95cd56f332fdcf483c2a36933ba6c81d29bcf8b4";

core::Hash256 digest_of(int i)
{
    return core::sha256(core::as_bytes("digest " + std::to_string(i)));
}

Bytes bytes_of(const std::string& hex)
{
    return hex_decode(hex).value_or(Bytes{});
}

TEST(Key, PublicKeyAndAddressOfPrivateKey)
{
    EXPECT_EQ(core::pubkey_from_privkey(KEY_ONE), GENERATOR);
    EXPECT_EQ(core::pubkey_from_privkey(KEY_A), PUB_A);
    EXPECT_EQ(core::pubkey_from_privkey("D9845EE2E9E92DDF65F4B9FF067A27F420D6F51664E4143FF6E5961919DBC6A6"), PUB_A);
    EXPECT_TRUE(core::pubkey_from_privkey(KEY_LAST));
    for (const std::string& bad : {std::string(62, '1'), std::string(66, '1'), std::string(64, '0'),
                                   core::hex_encode(testutil::CURVE_ORDER), std::string(64, 'f'), " " + KEY_A.substr(1),
                                   KEY_A.substr(0, 63) + "g", "0x" + KEY_A.substr(2), KEY_A + "00", std::string()}) {
        EXPECT_FALSE(core::pubkey_from_privkey(bad)) << bad;
        EXPECT_FALSE(core::ecdsa_sign_der(bad, digest_of(0))) << bad;
        EXPECT_FALSE(core::sign_message_compact("m", bad)) << bad;  // the plain form reads the key alike
    }
    EXPECT_EQ(core::address_from_pubkey(GENERATOR), "1BgGZ9tcN4rm9KBzDn7KprQz87SZ26SAMH");
    for (const std::string& bad : {GENERATOR_UNCOMPRESSED, GENERATOR.substr(2), std::string()}) {
        EXPECT_EQ(core::address_from_pubkey(bad), "") << bad;
    }
}

TEST(Key, NormalizePublicKey)
{
    const std::string off_curve = GENERATOR.substr(0, 64) + "99";  // the last byte changed
    const std::pair<Bytes, std::string> cases[] = {
        {bytes_of(GENERATOR_UNCOMPRESSED), GENERATOR},
        {bytes_of(GENERATOR), GENERATOR},
        {bytes_of(off_curve), off_curve},  // 33 bytes pass without a curve check
        {bytes_of(GENERATOR_UNCOMPRESSED.substr(0, 128) + "b9"), ""},  // 65 must be a point
        {bytes_of("06" + GENERATOR_UNCOMPRESSED.substr(2)), ""},  // hybrid form
        {bytes_of("04" + GENERATOR.substr(2)), ""},
        {Bytes{}, ""},
        {Bytes(64, 0x02), ""},
    };
    for (const auto& [bytes, expected] : cases) EXPECT_EQ(core::normalize_pubkey(bytes), expected) << core::hex_encode(bytes);
}

// Signing (deterministic, low S, strict DER) and plain verification are checked through the
// signed-message vectors and the transaction unlock checks.

// The node's strict DER: one sequence of two minimal positive integers below the order, nothing after.
// Signing is safe from any thread: signatures made on four threads at once are strict DER with
// a low S, deterministic, and verify under the key only (the thread sanitizer runs this one).
TEST(Key, EverySignatureIsLowSStrictDerAndVerifies)
{
    const Bytes pub = bytes_of(PUB_A);
    std::atomic<int> failures{0};
    auto sign_range = [&](int first) {
        for (int i = first; i < first + 24; ++i) {
            const core::Hash256 digest = digest_of(i);
            auto der = core::ecdsa_sign_der(KEY_A, digest);
            const bool ok = der && der->size() <= 72 && core::der_is_strict(*der) && core::der_is_low_s(*der) &&
                            core::verify_der(digest, *der, pub, true) && !core::verify_der(digest_of(i + 1), *der, pub, false) &&
                            !core::verify_der(digest, *der, bytes_of(GENERATOR), false) && core::ecdsa_sign_der(KEY_A, digest) == der;
            if (!ok) ++failures;
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) threads.emplace_back(sign_range, t * 1000);
    for (auto& th : threads) th.join();
    EXPECT_EQ(failures.load(), 0);
}

TEST(Key, NonStrictDerRefused)
{
    // A digest whose signature has an r below 2^255 (no sign byte in front of it), so that a zero
    // byte there is needless padding.
    core::Hash256 digest{};
    std::optional<Bytes> der;
    for (int i = 11; !der || (*der)[3] == 0x21; ++i) {
        digest = digest_of(i);
        der = core::ecdsa_sign_der(KEY_A, digest);
        ASSERT_TRUE(der);
    }
    const Bytes pub = bytes_of(PUB_A);
    ASSERT_TRUE(core::verify_der(digest, *der, pub, true));
    auto changed = [&](size_t at, uint8_t value) {
        Bytes out = *der;
        out[at] = value;
        return out;
    };
    Bytes padded_r = *der;
    padded_r.insert(padded_r.begin() + 4, 0x00);
    ++padded_r[1];
    ++padded_r[3];
    Bytes trailing = *der;
    trailing.push_back(0x41);  // a sighash byte left on
    Bytes long_form{0x30, 0x81, static_cast<uint8_t>(der->size() - 2)};  // a BER long-form length
    long_form.insert(long_form.end(), der->begin() + 2, der->end());
    const std::pair<const char*, Bytes> bad[] = {
        {"trailing byte", trailing},
        {"wrong total length", changed(1, (*der)[1] ^ 1)},
        {"not a sequence", changed(0, 0x31)},
        {"padded r", padded_r},
        {"long-form length", long_form},
        {"negative r", changed(4, (*der)[4] | 0x80)},
        {"r = n", testutil::der_encode(testutil::CURVE_ORDER, testutil::der_decode(*der)->second)},
        {"empty", Bytes{}},
        {"truncated", Bytes(der->begin(), der->begin() + 10)},
    };
    for (const auto& [what, sig] : bad) {
        EXPECT_FALSE(core::der_is_strict(sig)) << what;
        EXPECT_FALSE(core::der_is_low_s(sig)) << what;
        EXPECT_FALSE(core::verify_der(digest, sig, pub, false)) << what;
    }
}

// The sums themselves are checked by the HD key vectors of the wallet; a tweak at or above the
// order, a zero sum or a zero key fails and leaves the key unchanged.
TEST(Key, TweakAddRefusesWhatIsNoKey)
{
    core::SecretBytes key{hex_decode(KEY_ONE).value()};
    for (const Bytes& tweak :
         {Bytes(testutil::CURVE_ORDER.begin(), testutil::CURVE_ORDER.end()), bytes_of(KEY_LAST), Bytes(31, 1)}) {
        EXPECT_FALSE(core::privkey_tweak_add(key, tweak)) << core::hex_encode(tweak);
        EXPECT_EQ(core::hex_encode(key.view()), KEY_ONE);
    }
    core::SecretBytes zero{Bytes(32, 0)};
    EXPECT_FALSE(core::privkey_tweak_add(zero, bytes_of(KEY_ONE)));
}

TEST(Key, EcdhGivesTheSharedXCoordinate)
{
    // 3 · (2 · G) = 6 · G.
    const std::string two_g = core::pubkey_from_privkey(std::string(63, '0') + "2").value();
    auto three = hex_decode(std::string(63, '0') + "3").value();
    auto shared = core::ecdh_x(three, bytes_of(two_g));
    ASSERT_TRUE(shared);
    EXPECT_EQ(core::hex_encode(shared->view()), "fff97bd5755eeea420453a14355235d382f6472f8568a18b2f057a1460297556");
    EXPECT_EQ(core::hex_encode(core::ecdh_x(three, bytes_of(GENERATOR_UNCOMPRESSED))->view()),
              core::hex_encode(core::ecdh_x(three, bytes_of(GENERATOR))->view()));

    const std::vector<std::pair<Bytes, Bytes>> refused = {
        {three, bytes_of("05" + GENERATOR.substr(2))}, {three, bytes_of("02" + std::string(64, 'f'))}, {three, Bytes{}},
        {Bytes(32, 0), bytes_of(GENERATOR)}, {Bytes(32, 0xff), bytes_of(GENERATOR)},
        {Bytes(31, 1), bytes_of(GENERATOR)},
    };
    for (const auto& [secret, point] : refused)
        EXPECT_FALSE(core::ecdh_x(secret, point)) << core::hex_encode(secret) << " " << core::hex_encode(point);
}

Scalar part(const Bytes& sig, size_t offset)
{
    Scalar out{};
    std::copy(sig.begin() + static_cast<long>(offset), sig.begin() + static_cast<long>(offset + 32), out.begin());
    return out;
}

// A signed message of the vectors: the known ones (the key only where it was published) and our
// own key's, which also has the plain forms (over the message's digest and over its SHA-256).
struct SignedCase {
    std::string id, message, pub, address, digest, priv, compact, plain, plain_over_sha256;
};

std::vector<SignedCase> signed_cases(const core::Json& doc)
{
    std::vector<SignedCase> out;
    for (const auto& v : doc["valid"]) {
        out.push_back({json_string(v, "source"), json_string(v, "message"), json_string(v, "public_key_hex"),
                       json_string(v, "address"), json_string(v, "digest_hex"), json_string(v, "private_key_hex"),
                       json_string(v, "signature_base64"), "", ""});
    }
    for (const auto& c : doc["own_key_cases"]["cases"]) {
        out.push_back({json_string(c, "address"), json_string(c, "message"), json_string(c, "public_key_hex"),
                       json_string(c, "address"), json_string(c, "signed_message_digest_hex"),
                       json_string(c, "private_key_hex"), json_string(c, "compact_signature_base64"),
                       json_string(c, "plain_signature_base64"),
                       json_string(c, "plain_signature_over_sha256_of_message_base64")});
    }
    return out;
}

TEST(SignedMessage, VectorsVerifyRecoverSignAndRefuse)
{
    const auto doc = testsupport::read_json_vector("signed-message.json");
    ASSERT_FALSE(doc["digests"].empty() || doc["invalid"].empty());
    for (const auto& d : doc["digests"]) {
        EXPECT_EQ(core::hex_encode(core::signed_message_digest(json_string(d, "message"))), json_string(d, "digest_hex"))
            << json_string(d, "source");
    }
    for (const auto& v : doc["invalid"]) {
        EXPECT_FALSE(core::verify_message(json_string(v, "message"), json_string(v, "public_key_hex"),
                                          json_string(v, "signature_base64")))
            << json_string(v, "reason");
    }
    const auto cases = signed_cases(doc);
    ASSERT_EQ(cases.size(), 10u);
    for (const SignedCase& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_TRUE(core::verify_message(c.message, c.pub, c.compact));
        EXPECT_EQ(core::address_from_pubkey(c.pub), c.address);
        const auto digest = core::signed_message_digest(c.message);
        EXPECT_EQ(core::hex_encode(digest), c.digest);
        auto sig = core::base64_decode(c.compact);
        ASSERT_TRUE(sig && sig->size() == 65);
        auto recovered = core::recover_pubkey(digest, core::ByteView(sig->data() + 1, 32),
                                              core::ByteView(sig->data() + 33, 32), (*sig)[0] - 31);
        EXPECT_EQ(core::hex_encode(recovered.value_or(Bytes{})), c.pub);
        // Where the key is known, signing reproduces the deterministic signatures byte for byte.
        if (!c.priv.empty()) {
            EXPECT_EQ(core::pubkey_from_privkey(c.priv), c.pub);
            EXPECT_EQ(core::sign_message_compact(c.message, c.priv), c.compact);
        }
        if (!c.plain.empty()) {
            EXPECT_EQ(core::sign_message_plain(c.message, c.priv), c.plain);
            EXPECT_TRUE(core::verify_message(c.message, c.pub, c.plain));
            // A plain signature over SHA-256 of the message is accepted too, for that message only.
            EXPECT_TRUE(core::verify_message(c.message, c.pub, c.plain_over_sha256));
            EXPECT_FALSE(core::verify_message(c.message + ".", c.pub, c.plain_over_sha256));
        }
    }
}

// Both signature forms have a low s; the compact one verifies under every written form of the
// signer's key and under no other key or message. A plain signature over SHA-256d of the message
// and a high-S twin are accepted too.
TEST(SignedMessage, SignatureShapesKeyFormsAndAcceptedVariants)
{
    for (int i = 0; i < 16; ++i) {
        std::string message = "post " + std::to_string(i);
        auto sig = core::base64_decode(core::sign_message_compact(message, KEY_ONE).value_or(""));
        ASSERT_TRUE(sig && sig->size() == 65) << i;
        EXPECT_TRUE((*sig)[0] >= 31 && (*sig)[0] <= 34) << i;
        EXPECT_FALSE(testutil::is_high(part(*sig, 33))) << i;
        const std::string text = core::base64_encode(*sig);
        for (const std::string& key : {GENERATOR, GENERATOR_UNCOMPRESSED, "0x" + GENERATOR, " 0X" + GENERATOR_UNCOMPRESSED + "\n"}) {
            EXPECT_TRUE(core::verify_message(message, key, text)) << i << key;
        }
        EXPECT_FALSE(core::verify_message(message, PUB_A, text)) << i;
        EXPECT_FALSE(core::verify_message(message + " ", GENERATOR, text)) << i;
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

} // namespace signatures_test
