#include "tx/parse.h"

#include <gtest/gtest.h>

#include "tests/tx/tx_vectors.h"
#include "tx/serialize.h"
#include "tx/wire.h"

namespace {

using txtest::hex;
using txtest::unhex;

// A raw transaction with the given counts; each input has a one-byte scriptSig, each output a
// one-byte script and value 7.
core::Bytes raw_with_counts(uint64_t inputs, uint64_t outputs, uint32_t version = 1, uint32_t sequence = 0xFFFFFFFF,
                            uint32_t lock_time = 0)
{
    core::Bytes raw;
    tx::append_u32_le(raw, version);
    tx::append_compact_size(raw, inputs);
    for (uint64_t i = 0; i < inputs; ++i) {
        raw.insert(raw.end(), 32, static_cast<uint8_t>(i));
        tx::append_u32_le(raw, static_cast<uint32_t>(i));
        raw.push_back(1);
        raw.push_back(0x51);
        tx::append_u32_le(raw, sequence);
    }
    tx::append_compact_size(raw, outputs);
    for (uint64_t i = 0; i < outputs; ++i) {
        tx::append_u64_le(raw, 7);
        raw.push_back(1);
        raw.push_back(0x6a);
    }
    tx::append_u32_le(raw, lock_time);
    return raw;
}

TEST(TxParse, RealTransactionsRoundTripByteForByte)
{
    auto vectors = testsupport::read_json_vector("real-tx.json");
    for (const auto& t : vectors["transactions"]) {
        core::Bytes raw = unhex(t["raw_tx_hex"].get<std::string>());
        auto parsed = tx::tx_parse(raw);
        ASSERT_TRUE(parsed.has_value()) << t["txid"];
        ASSERT_EQ(parsed->inputs.size(), t["inputs"].size());
        for (size_t i = 0; i < parsed->inputs.size(); ++i) {
            EXPECT_EQ(parsed->inputs[i].txid, t["inputs"][i]["prev_txid"].get<std::string>());
            EXPECT_EQ(parsed->inputs[i].vout, t["inputs"][i]["prev_vout"].get<uint32_t>());
            EXPECT_FALSE(parsed->inputs[i].script_sig.empty());
        }
        core::Bytes again = tx::tx_serialize(parsed->inputs, parsed->outputs);
        EXPECT_EQ(hex(again), hex(raw));
        EXPECT_EQ(tx::tx_id(again), t["txid"].get<std::string>());
    }
}

TEST(TxParse, NormalisesVersionSequencesAndLockTime)
{
    auto parsed = tx::tx_parse(raw_with_counts(2, 1, 2, 0xFFFFFFFE, 600000));
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(hex(tx::tx_serialize(parsed->inputs, parsed->outputs)), hex(raw_with_counts(2, 1)));
}

TEST(TxParse, CountLimits)
{
    EXPECT_TRUE(tx::tx_parse(raw_with_counts(500, 1)).has_value());
    EXPECT_FALSE(tx::tx_parse(raw_with_counts(501, 1)).has_value());
    EXPECT_TRUE(tx::tx_parse(raw_with_counts(1, 500)).has_value());
    EXPECT_FALSE(tx::tx_parse(raw_with_counts(1, 501)).has_value());
    EXPECT_FALSE(tx::tx_parse(raw_with_counts(0, 1)).has_value());
    EXPECT_FALSE(tx::tx_parse(raw_with_counts(1, 0)).has_value());
}

TEST(TxParse, EveryTruncationFails)
{
    core::Bytes raw = unhex(testsupport::read_json_vector("real-tx.json")["transactions"][1]["raw_tx_hex"].get<std::string>());
    ASSERT_TRUE(tx::tx_parse(raw).has_value());
    for (size_t size = 0; size < raw.size(); ++size) {
        EXPECT_FALSE(tx::tx_parse(core::ByteView(raw).first(size)).has_value()) << size;
    }
}

TEST(TxParse, TrailingBytesFail)
{
    core::Bytes raw = raw_with_counts(1, 1);
    raw.push_back(0);
    EXPECT_FALSE(tx::tx_parse(raw).has_value());
}

TEST(TxParse, HugeCountsFailWithoutAllocating)
{
    for (const char* count : {"ffffffffffffffffff", "feffffffff", "fdffff"}) {
        core::Bytes raw = unhex(std::string("01000000") + count + std::string(80, '0'));
        EXPECT_FALSE(tx::tx_parse(raw).has_value()) << count;
        EXPECT_FALSE(tx::tx_output_at(raw, 0).has_value()) << count;
    }
    // An input whose scriptSig claims 2^64-1 bytes.
    core::Bytes raw = unhex("0100000001" + std::string(72, '0') + "ffffffffffffffffff" + std::string(40, '0'));
    EXPECT_FALSE(tx::tx_parse(raw).has_value());
    EXPECT_FALSE(tx::tx_output_at(raw, 0).has_value());
}

TEST(TxParse, RefusesValuesBeyondAllMoney)
{
    core::Bytes raw = raw_with_counts(1, 1);
    const size_t value_at = 4 + 1 + 32 + 4 + 2 + 4 + 1;
    for (int i = 0; i < 8; ++i) raw[value_at + i] = 0xFF;  // would read as -1 in a signed amount
    EXPECT_FALSE(tx::tx_parse(raw).has_value());
    EXPECT_FALSE(tx::tx_output_at(raw, 0).has_value());
}

TEST(TxOutputAt, ReadsEachOutputOfARealTransaction)
{
    core::Bytes raw = unhex(testsupport::read_json_vector("real-tx.json")["transactions"][1]["raw_tx_hex"].get<std::string>());
    auto parsed = tx::tx_parse(raw);
    ASSERT_TRUE(parsed.has_value());
    for (size_t i = 0; i < parsed->outputs.size(); ++i) {
        auto out = tx::tx_output_at(raw, i);
        ASSERT_TRUE(out.has_value()) << i;
        EXPECT_EQ(*out, parsed->outputs[i]) << i;
    }
    EXPECT_EQ(tx::tx_output_at(raw, 1)->value, 94064);
    EXPECT_FALSE(tx::tx_output_at(raw, parsed->outputs.size()).has_value());
    for (size_t size = 0; size < raw.size() - 4; ++size) {
        EXPECT_FALSE(tx::tx_output_at(core::ByteView(raw).first(size), 1).has_value()) << size;
    }
}

TEST(TxOutputAt, RefusesAnEmptyScript)
{
    core::Bytes raw = raw_with_counts(1, 2);
    // Turn the second output's one-byte script into an empty one.
    raw.erase(raw.end() - 5);
    raw[raw.size() - 5] = 0;
    ASSERT_TRUE(tx::tx_parse(raw).has_value());
    EXPECT_TRUE(tx::tx_output_at(raw, 0).has_value());
    EXPECT_FALSE(tx::tx_output_at(raw, 1).has_value());
}

} // namespace
