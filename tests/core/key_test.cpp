#include "core/key.h"

#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "core/hash.h"
#include "core/hex.h"
#include "core/message.h"
#include "tests/support/signature_util.h"

namespace key_test {

using core::Bytes;
using core::hex_decode;
using testutil::Scalar;

const std::string KEY_ONE = std::string(63, '0') + "1";
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

Scalar one()
{
    Scalar out{};
    out[31] = 1;
    return out;
}

Bytes pub_bytes(const std::string& hex)
{
    return hex_decode(hex).value_or(Bytes{});
}

TEST(Key, PublicKeyAndAddressOfPrivateKey)
{
    EXPECT_EQ(core::pubkey_from_privkey(KEY_ONE), GENERATOR);
    EXPECT_EQ(core::pubkey_from_privkey(KEY_A), PUB_A);
    EXPECT_EQ(core::pubkey_from_privkey("D9845EE2E9E92DDF65F4B9FF067A27F420D6F51664E4143FF6E5961919DBC6A6"), PUB_A);
    EXPECT_TRUE(core::pubkey_from_privkey(core::hex_encode(testutil::sub(testutil::CURVE_ORDER, one()))));
    for (const std::string& bad : {std::string(62, '1'), std::string(66, '1'), std::string(64, '0'),
                                   core::hex_encode(testutil::CURVE_ORDER), std::string(64, 'f'), " " + KEY_A.substr(1),
                                   KEY_A.substr(0, 63) + "g", "0x" + KEY_A.substr(2), KEY_A + "00", std::string()}) {
        EXPECT_FALSE(core::pubkey_from_privkey(bad)) << bad;
        EXPECT_FALSE(core::ecdsa_sign_der(bad, digest_of(0))) << bad;
        EXPECT_FALSE(core::sign_message_compact("m", bad)) << bad;
        EXPECT_FALSE(core::sign_message_plain("m", bad)) << bad;
    }
    EXPECT_EQ(core::address_from_pubkey(GENERATOR), "1BgGZ9tcN4rm9KBzDn7KprQz87SZ26SAMH");
    for (const std::string& bad : {GENERATOR_UNCOMPRESSED, GENERATOR.substr(2), std::string()}) {
        EXPECT_EQ(core::address_from_pubkey(bad), "") << bad;
    }
}

TEST(Key, NormalizePublicKey)
{
    auto changed = [](const std::string& hex, size_t at, uint8_t value) {
        Bytes bytes = pub_bytes(hex);
        bytes[at] = value;
        return bytes;
    };
    const Bytes off_curve = changed(GENERATOR, 32, pub_bytes(GENERATOR)[32] ^ 1);
    const std::pair<Bytes, std::string> cases[] = {
        {pub_bytes(GENERATOR_UNCOMPRESSED), GENERATOR},
        {pub_bytes(GENERATOR), GENERATOR},
        {off_curve, core::hex_encode(off_curve)},  // 33 bytes pass without a curve check
        {changed(GENERATOR_UNCOMPRESSED, 64, pub_bytes(GENERATOR_UNCOMPRESSED)[64] ^ 1), ""},  // 65 must be a point
        {changed(GENERATOR_UNCOMPRESSED, 0, 0x06), ""},  // hybrid form
        {changed(GENERATOR, 0, 0x04), ""},
        {Bytes{}, ""},
        {Bytes(64, 0x02), ""},
    };
    for (const auto& [bytes, expected] : cases) EXPECT_EQ(core::normalize_pubkey(bytes), expected) << core::hex_encode(bytes);
}

// Signing (deterministic, low S, strict DER) and plain verification are checked through the
// signed-message vectors and the transaction unlock checks.

// The node's strict DER: one sequence of two minimal positive integers below the order, nothing after.
TEST(Key, NonStrictDerRefused)
{
    // A digest whose signature has an r below 2^255, so that a zero byte in front of it is
    // needless padding rather than a sign byte.
    core::Hash256 digest{};
    std::optional<Bytes> der;
    std::optional<std::pair<Scalar, Scalar>> rs;
    for (int i = 11; !rs || (rs->first[0] & 0x80); ++i) {
        digest = digest_of(i);
        der = core::ecdsa_sign_der(KEY_A, digest);
        rs = der ? testutil::der_decode(*der) : std::nullopt;
        ASSERT_TRUE(rs);
    }
    const Bytes pub = pub_bytes(PUB_A);
    ASSERT_TRUE(core::verify_der(digest, *der, pub, true));
    auto sequence = [](Bytes first, const Bytes& second) {
        Bytes out{0x30, static_cast<uint8_t>(first.size() + second.size())};
        out.insert(out.end(), first.begin(), first.end());
        out.insert(out.end(), second.begin(), second.end());
        return out;
    };
    auto changed = [&](size_t at, uint8_t value) {
        Bytes out = *der;
        out[at] = value;
        return out;
    };
    const Bytes ri = testutil::der_integer(rs->first), si = testutil::der_integer(rs->second);
    Bytes padded_r{0x02, static_cast<uint8_t>(ri[1] + 1), 0x00};
    padded_r.insert(padded_r.end(), ri.begin() + 2, ri.end());
    Bytes negative_r{0x02, 0x20};
    negative_r.insert(negative_r.end(), rs->first.begin(), rs->first.end());
    negative_r[2] |= 0x80;
    Bytes trailing = *der;
    trailing.push_back(0x41);  // a sighash byte left on
    Bytes long_form{0x30, 0x81, static_cast<uint8_t>(der->size() - 2)};  // a BER long-form length
    long_form.insert(long_form.end(), der->begin() + 2, der->end());
    const std::pair<const char*, Bytes> bad[] = {
        {"trailing byte", trailing},
        {"wrong total length", changed(1, (*der)[1] ^ 1)},
        {"not a sequence", changed(0, 0x31)},
        {"padded r", sequence(padded_r, si)},
        {"long-form length", long_form},
        {"negative r", sequence(negative_r, si)},
        {"r = n", testutil::der_encode(testutil::CURVE_ORDER, rs->second)},
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
    Scalar minus_one = testutil::sub(testutil::CURVE_ORDER, one());
    for (const Bytes& tweak : {Bytes(testutil::CURVE_ORDER.begin(), testutil::CURVE_ORDER.end()),
                               Bytes(minus_one.begin(), minus_one.end()), Bytes(31, 1)}) {
        EXPECT_FALSE(core::privkey_tweak_add(key, tweak)) << core::hex_encode(tweak);
        EXPECT_EQ(core::hex_encode(key.view()), KEY_ONE);
    }
    core::SecretBytes zero{Bytes(32, 0)};
    EXPECT_FALSE(core::privkey_tweak_add(zero, one()));
}

TEST(Key, EcdhGivesTheSharedXCoordinate)
{
    // 3 · (2 · G) = 6 · G.
    const std::string two_g = core::pubkey_from_privkey(std::string(63, '0') + "2").value();
    auto three = hex_decode(std::string(63, '0') + "3").value();
    auto shared = core::ecdh_x(three, pub_bytes(two_g));
    ASSERT_TRUE(shared);
    EXPECT_EQ(core::hex_encode(shared->view()), "fff97bd5755eeea420453a14355235d382f6472f8568a18b2f057a1460297556");
    EXPECT_EQ(core::hex_encode(core::ecdh_x(three, pub_bytes(GENERATOR_UNCOMPRESSED))->view()),
              core::hex_encode(core::ecdh_x(three, pub_bytes(GENERATOR))->view()));

    Bytes off_curve = pub_bytes(GENERATOR);
    off_curve[0] = 0x05;
    Bytes past_field(33, 0xff);
    past_field[0] = 0x02;
    const std::vector<std::pair<Bytes, Bytes>> refused = {
        {three, off_curve},  {three, past_field},         {three, Bytes{}},
        {Bytes(32, 0), pub_bytes(GENERATOR)}, {Bytes(32, 0xff), pub_bytes(GENERATOR)},
        {Bytes(31, 1), pub_bytes(GENERATOR)},
    };
    for (const auto& [secret, point] : refused)
        EXPECT_FALSE(core::ecdh_x(secret, point)) << core::hex_encode(secret) << " " << core::hex_encode(point);
}

} // namespace key_test
