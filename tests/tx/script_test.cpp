#include "tx/script.h"

#include <gtest/gtest.h>

#include "tests/tx/tx_vectors.h"

namespace {

using txtest::hex;
using txtest::unhex;

TEST(P2pkhScript, MatchesTheVectorAndReadsBack)
{
    auto plain = testsupport::read_json_vector("inscriptions.json")["scripts"][0];
    core::Hash160 owner = txtest::hash160_of_hex(plain["owner_hash160_hex"].get<std::string>());
    core::Bytes script = tx::p2pkh_script(owner);
    EXPECT_EQ(hex(script), plain["script_hex"].get<std::string>());
    EXPECT_EQ(tx::p2pkh_hash(script), owner);
    EXPECT_EQ(tx::p2pkh_prefix_hash(script), owner);
}

TEST(P2pkhScript, RecognisesOnlyTheExactTemplate)
{
    core::Bytes script = tx::p2pkh_script(txtest::hash160_of_hex("ba40825ee85dde52ccc3736933361de4aaad0824"));
    for (size_t at : {0u, 1u, 2u, 23u, 24u}) {
        core::Bytes changed = script;
        changed[at] ^= 0x01;
        EXPECT_FALSE(tx::p2pkh_hash(changed).has_value()) << at;
        EXPECT_FALSE(tx::p2pkh_prefix_hash(changed).has_value()) << at;
    }
    core::Bytes longer = script;
    longer.push_back(0x6A);
    EXPECT_FALSE(tx::p2pkh_hash(longer).has_value());
    EXPECT_TRUE(tx::p2pkh_prefix_hash(longer).has_value());
    EXPECT_FALSE(tx::p2pkh_hash(core::ByteView(script).first(24)).has_value());
    EXPECT_FALSE(tx::p2pkh_prefix_hash(core::ByteView(script).first(24)).has_value());
}

} // namespace
