#include "core/base58.h"

#include <gtest/gtest.h>

#include "core/hash.h"
#include "core/hex.h"
#include "core/json_get.h"
#include "tests/support/test_data.h"

namespace {

core::Hash160 hash160_of_hex(const std::string& hex)
{
    core::Hash160 out{};
    EXPECT_TRUE(core::hex_decode_to(hex, out)) << hex;
    return out;
}

TEST(Base58, ValidVectorsBothWays)
{
    auto doc = testsupport::read_json_vector("base58check.json");
    const auto* valid = core::json_array(doc, "valid");
    ASSERT_TRUE(valid && !valid->empty());
    for (const auto& v : *valid) {
        std::string what = core::json_string(v, "what");
        std::string address = core::json_string(v, "address");
        core::Hash160 hash = hash160_of_hex(core::json_string(v, "hash160_hex"));
        EXPECT_EQ(core::address_from_hash160(hash), address) << what;
        auto back = core::hash160_from_address(address);
        ASSERT_TRUE(back) << what;
        EXPECT_EQ(*back, hash) << what;
        EXPECT_EQ(static_cast<int64_t>(address.size()), core::json_int64(v, "length")) << what;
        int64_t ones = static_cast<int64_t>(address.find_first_not_of('1'));
        EXPECT_EQ(ones, core::json_int64(v, "leading_ones")) << what;
    }
}

TEST(Base58, InvalidVectorsRefused)
{
    auto doc = testsupport::read_json_vector("base58check.json");
    const auto* invalid = core::json_array(doc, "invalid");
    ASSERT_TRUE(invalid && !invalid->empty());
    for (const auto& v : *invalid) {
        EXPECT_FALSE(core::hash160_from_address(core::json_string(v, "text"))) << core::json_string(v, "reason");
    }
}

TEST(Base58, TwentyZeroBytesGiveTwentyOneOnes)
{
    std::string address = core::address_from_hash160(core::Hash160{});
    EXPECT_EQ(address, "1111111111111111111114oLvT2");
    EXPECT_EQ(address.find_first_not_of('1'), 21u);
}

TEST(Base58, RoundTripsManyHashes)
{
    for (int i = 0; i < 200; ++i) {
        uint8_t seed = static_cast<uint8_t>(i);
        core::Hash160 hash = core::hash160(core::ByteView(&seed, 1));
        if (i % 3 == 0) hash[0] = 0;  // leading zero bytes become extra "1"s
        if (i % 9 == 0) hash[1] = 0;
        auto back = core::hash160_from_address(core::address_from_hash160(hash));
        ASSERT_TRUE(back) << i;
        EXPECT_EQ(*back, hash) << i;
    }
}

TEST(Base58, EverySingleCharacterChangeIsCaught)
{
    const std::string good = "1BgGZ9tcN4rm9KBzDn7KprQz87SZ26SAMH";
    for (size_t pos = 0; pos < good.size(); ++pos) {
        for (char c : {'2', 'z', 'Q'}) {
            if (good[pos] == c) continue;
            std::string bad = good;
            bad[pos] = c;
            EXPECT_FALSE(core::hash160_from_address(bad)) << bad;
        }
    }
    EXPECT_TRUE(core::hash160_from_address(good));
}

} // namespace
