#include <gtest/gtest.h>

#include "core/json_get.h"
#include "pursa/vault_crypto.h"

namespace {

constexpr uint32_t FAST = wallet::LOCK_ITERATIONS_MIN;

// A seal hides the text, opens with its password only, through the JSON form, and is fresh
// each time; an envelope sealed by an earlier build opens as it did.
TEST(VaultCrypto, SealThenOpenGivesTheTextBackAndSealsAreFresh)
{
    const std::string text = "{\"mnemonic\": \"abandon ... about\"}";
    auto env = pursa::seal_text(text, "correct horse", FAST);
    auto again = pursa::seal_text(text, "correct horse", FAST);
    ASSERT_TRUE(env && again);
    EXPECT_EQ(std::string(env->ciphertext.begin(), env->ciphertext.end()).find("mnemonic"), std::string::npos);
    auto parsed = wallet::parse_lock_envelope(wallet::lock_envelope_to_json(*env));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(pursa::open_envelope(*parsed, "correct horse")->str(), text);
    EXPECT_NE(env->salt, again->salt);
    EXPECT_NE(env->iv, again->iv);
    EXPECT_FALSE(pursa::open_envelope(*env, "correct hors"));
    EXPECT_FALSE(pursa::seal_text("", "pw", FAST));
    EXPECT_FALSE(pursa::seal_text("x", "", FAST));
    EXPECT_FALSE(pursa::seal_text("x", "pw", FAST - 1));

    // A wallet locked by an earlier build: existing wallet files must keep opening.
    const auto doc = nlohmann::json::parse(R"({"ct":"370d4d84c8b6c78a84847967d6cd7250a0bb5e57cb219e53ad480273cd27335cc006c41c9)"
                                           R"(93ddce79ac86508d95c921ca710f3a52e641a0758f7b5eed1a61f1ee1d98e4e6bd7fa1cd9f04179cf)"
                                           R"(33041977374b4929d6c513e6e95b7e0e82be1b1df0d4ca4a00d297b380ce81","iter":10000,)"
                                           R"("iv":"dbd8be65079a51abc599bd2f","kdf":"pbkdf2-sha256","lock":"TV-LOCK1",)"
                                           R"("salt":"ff9a974b0c10781945c17052d093de36","tag":"8032db3ee2a43fcfb062b98adf53933b"})");
    auto earlier = wallet::parse_lock_envelope(doc);
    ASSERT_TRUE(earlier);
    auto opened = pursa::open_envelope(*earlier, "correct horse");
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->str(), "{\"mnemonic\":\"abandon abandon abandon abandon abandon abandon abandon abandon abandon "
                             "abandon abandon about\"}");
    EXPECT_EQ(wallet::lock_envelope_to_json(*earlier), doc);
}

// An envelope with any byte or its iteration count changed does not open; one with a member
// out of its form does not parse.
TEST(LockEnvelope, AChangedOrMalformedEnvelopeIsRefused)
{
    auto env = pursa::seal_text("secret wallet text", "pw", FAST);
    ASSERT_TRUE(env);
    for (auto member : {&wallet::LockEnvelope::salt, &wallet::LockEnvelope::iv, &wallet::LockEnvelope::tag,
                        &wallet::LockEnvelope::ciphertext}) {
        auto changed = *env;
        (changed.*member)[0] ^= 0x01;
        EXPECT_FALSE(pursa::open_envelope(changed, "pw"));
    }
    auto more = *env;
    more.iterations += 1;
    EXPECT_FALSE(pursa::open_envelope(more, "pw"));

    const auto good = wallet::lock_envelope_to_json(*env);
    const std::pair<const char*, nlohmann::json> broken[] = {
        {"lock", "TV-LOCK2"}, {"kdf", "scrypt"}, {"iter", 9999},         {"iter", 5000001},
        {"iter", "210000"},   {"salt", "00"},    {"iv", std::string(24, 'z')}, {"tag", std::string(30, '0')},
        {"ct", ""},
    };
    for (const auto& [key, value] : broken) {
        auto doc = good;
        doc[key] = value;
        EXPECT_FALSE(wallet::parse_lock_envelope(doc)) << key << " " << value;
    }
    EXPECT_TRUE(wallet::is_lock_envelope({{"lock", "TV-LOCK1"}}));
    EXPECT_FALSE(wallet::is_lock_envelope({{"lock", "tv-lock1"}}));
    EXPECT_FALSE(wallet::is_lock_envelope(nlohmann::json::array({"TV-LOCK1"})));
}

} // namespace
