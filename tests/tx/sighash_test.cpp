#include "tx/sighash.h"

#include <gtest/gtest.h>

#include "tests/tx/tx_vectors.h"
#include "tx/parse.h"

namespace {

using txtest::hex;
using txtest::unhex;

TEST(ForkidDigest, NodeCasesOfEveryHashType)
{
    auto cases = testsupport::read_json_vector("sighash-forkid.json")["node_cases"]["cases"];
    ASSERT_EQ(cases.size(), 14u);
    for (const auto& c : cases) {
        auto parsed = tx::parse_raw_tx(unhex(c["raw_tx_hex"].get<std::string>()));
        ASSERT_TRUE(parsed.has_value());
        const uint32_t hash_type = static_cast<uint32_t>(c["hash_type"].get<int64_t>());
        auto digest = tx::forkid_digest(*parsed, c["input_index"].get<size_t>(), unhex(c["script_code_hex"].get<std::string>()),
                                        c["amount"].get<uint64_t>(), hash_type);
        ASSERT_TRUE(digest.has_value());
        EXPECT_EQ(hex(*digest), c["digest_hex"].get<std::string>()) << c["kind"] << " " << c["raw_tx_hex"];
    }
}

TEST(ForkidDigest, SingleWithoutAMatchingOutputHashesNoOutputs)
{
    auto parsed = tx::parse_raw_tx(unhex(txtest::shape_cases()[2]["unsigned_tx_hex"].get<std::string>()));
    ASSERT_TRUE(parsed.has_value());
    parsed->outputs.resize(1);  // input 2 has no output at its index
    core::Bytes preimage = tx::forkid_preimage(*parsed, 2, {}, 0, tx::SIGHASH_SINGLE | tx::SIGHASH_FORKID);
    ASSERT_EQ(preimage.size(), 4u + 32 + 32 + 36 + 1 + 8 + 4 + 32 + 4 + 4);
    const size_t outputs_at = preimage.size() - 4 - 4 - 32;
    EXPECT_EQ(core::Bytes(preimage.begin() + outputs_at, preimage.begin() + outputs_at + 32), core::Bytes(32, 0));
    EXPECT_EQ(hex(core::ByteView(preimage).last(4)), "43000000");
}

TEST(TxSighash, ProgramShapeCasesPreimageAndDigest)
{
    for (const auto& c : txtest::shape_cases()) {
        tx::Transaction t = txtest::shape_case_tx(c);
        const size_t index = c["input_index"].get<size_t>();
        core::Bytes script_code = unhex(c["script_code_hex"].get<std::string>());
        EXPECT_EQ(hex(tx::tx_sighash_preimage(t.inputs, t.outputs, index, script_code)), c["preimage_hex"].get<std::string>())
            << c["description"];
        auto digest = tx::tx_sighash(t.inputs, t.outputs, index, script_code);
        ASSERT_TRUE(digest.has_value());
        EXPECT_EQ(hex(*digest), c["digest_hex"].get<std::string>()) << c["description"];
    }
}

TEST(TxSighash, RefusesBadIndexAndValue)
{
    auto parsed = tx::parse_raw_tx(unhex(txtest::shape_cases()[0]["unsigned_tx_hex"].get<std::string>()));
    ASSERT_TRUE(parsed.has_value());
    EXPECT_TRUE(tx::forkid_preimage(*parsed, 1, {}, 0, tx::SIGHASH_ALL_FORKID).empty());
    EXPECT_FALSE(tx::forkid_digest(*parsed, 1, {}, 0, tx::SIGHASH_ALL_FORKID).has_value());
    tx::Transaction t = txtest::shape_case_tx(txtest::shape_cases()[0]);
    EXPECT_FALSE(tx::tx_sighash(t.inputs, t.outputs, 1, {}).has_value());
    t.inputs[0].value = -1;
    EXPECT_FALSE(tx::tx_sighash(t.inputs, t.outputs, 0, {}).has_value());
}

} // namespace
