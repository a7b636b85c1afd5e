#include "core/base58.h"

#include <gtest/gtest.h>

#include "core/hash.h"
#include "core/hex.h"
#include "core/json_get.h"
#include "tests/support/test_data.h"

namespace base58_test {

core::Hash160 hash160_of_hex(const std::string& hex)
{
    core::Hash160 out{};
    EXPECT_TRUE(core::hex_decode_to(hex, out)) << hex;
    return out;
}

// The vectors (leading zero bytes as extra "1"s among them) both ways; the invalid ones and every
// single changed character are caught by the checksum or the alphabet.
TEST(Base58, VectorsBothWaysAndEveryChangeCaught)
{
    auto doc = testsupport::read_json_vector("base58check.json");
    const auto* valid = core::json_array(doc, "valid");
    ASSERT_TRUE(valid && !valid->empty());
    for (const auto& v : *valid) {
        std::string what = core::json_string(v, "what");
        std::string address = core::json_string(v, "address");
        core::Hash160 hash = hash160_of_hex(core::json_string(v, "hash160_hex"));
        EXPECT_EQ(core::address_from_hash160(hash), address) << what;
        EXPECT_EQ(core::hash160_from_address(address), hash) << what;
        EXPECT_EQ(static_cast<int64_t>(address.find_first_not_of('1')), core::json_int64(v, "leading_ones")) << what;
    }
    const auto* invalid = core::json_array(doc, "invalid");
    ASSERT_TRUE(invalid && !invalid->empty());
    for (const auto& v : *invalid) {
        EXPECT_FALSE(core::hash160_from_address(core::json_string(v, "text"))) << core::json_string(v, "reason");
    }
    const std::string good = "1BgGZ9tcN4rm9KBzDn7KprQz87SZ26SAMH";
    for (size_t pos = 0; pos < good.size(); ++pos) {
        for (char c : {'2', 'z', 'Q', '0'}) {
            std::string bad = good;
            bad[pos] = c;
            if (bad != good) {
                EXPECT_FALSE(core::hash160_from_address(bad)) << bad;
            }
        }
    }
}

} // namespace base58_test
