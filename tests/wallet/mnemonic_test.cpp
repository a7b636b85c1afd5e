#include <gtest/gtest.h>

#include "core/hex.h"
#include "tests/support/test_data.h"
#include "wallet/mnemonic.h"

namespace {

TEST(Bip39Vectors, CheckAndSeedOfEveryCase)
{
    const auto doc = testsupport::read_json_vector("bip39.json");
    ASSERT_TRUE(doc.contains("cases"));
    int checked_seeds = 0;
    for (const auto& c : doc["cases"]) {
        const std::string id = c.value("id", "?");
        const std::string mnemonic = c["mnemonic"].get<std::string>();
        EXPECT_EQ(wallet::mnemonic_valid(mnemonic), c["program_valid"].get<bool>()) << id;
        const std::string seed = core::hex_encode(wallet::mnemonic_to_seed(mnemonic).view());
        if (c.contains("seed_hex") && c.value("word_count", 0) == 12) {
            EXPECT_EQ(seed, c["seed_hex"].get<std::string>()) << id;
            ++checked_seeds;
        }
        if (c.contains("canonical_seed_hex")) {
            EXPECT_NE(seed, c["canonical_seed_hex"].get<std::string>()) << id << ": a non-canonical text must give another seed";
        }
        if (c.contains("entropy_hex") && c.value("word_count", 0) == 12) {
            auto entropy = core::hex_decode(c["entropy_hex"].get<std::string>());
            ASSERT_TRUE(entropy) << id;
            EXPECT_EQ(wallet::mnemonic_from_entropy(*entropy).str(), mnemonic) << id;
        }
    }
    EXPECT_GT(checked_seeds, 5);
}

TEST(MnemonicCheck, OnlyTwelveListedWordsWithTheirChecksumPass)
{
    const std::string good = "abandon abandon abandon abandon abandon abandon abandon abandon abandon abandon abandon about";
    ASSERT_TRUE(wallet::mnemonic_valid(good));
    // Last word replaced by the first word of the list: wrong checksum.
    EXPECT_FALSE(wallet::mnemonic_valid(
        "abandon abandon abandon abandon abandon abandon abandon abandon abandon abandon abandon abandon"));
    EXPECT_FALSE(wallet::mnemonic_valid(good + "\n"));           // line feed stays in the last word
    EXPECT_FALSE(wallet::mnemonic_valid("abandon, " + good.substr(8)));  // comma stays in a word
    EXPECT_FALSE(wallet::mnemonic_valid(good + " abandon"));     // 13 words
    std::string all_zero_24;  // the standard's all-zero 24-word mnemonic: valid there, not here
    for (int i = 0; i < 23; ++i) all_zero_24 += "abandon ";
    EXPECT_FALSE(wallet::mnemonic_valid(all_zero_24 + "art"));
    EXPECT_FALSE(wallet::mnemonic_valid(good.substr(8)));        // 11 words
    EXPECT_FALSE(wallet::mnemonic_valid(""));
    EXPECT_FALSE(wallet::mnemonic_valid("   \t  "));
    std::string with_nul = good;
    with_nul[3] = '\0';
    EXPECT_FALSE(wallet::mnemonic_valid(with_nul));
    // Upper case and extra separators pass the check.
    EXPECT_TRUE(wallet::mnemonic_valid("ABANDON abandon  abandon\tabandon abandon abandon abandon abandon abandon abandon abandon ABOUT "));
    // Fresh mnemonics pass, and differ; only 16 bytes of entropy make one.
    auto a = wallet::generate_mnemonic();
    auto b = wallet::generate_mnemonic();
    ASSERT_FALSE(a.empty());
    EXPECT_TRUE(wallet::mnemonic_valid(a.view()) && wallet::mnemonic_valid(b.view()));
    EXPECT_NE(a.str(), b.str());
    EXPECT_TRUE(wallet::mnemonic_from_entropy(core::Bytes(15)).empty() && wallet::mnemonic_from_entropy(core::Bytes(17)).empty());
}

} // namespace
