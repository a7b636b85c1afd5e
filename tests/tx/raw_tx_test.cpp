#include "tx/raw_tx.h"

#include <gtest/gtest.h>

#include "tests/tx/tx_vectors.h"

namespace {

using txtest::hex;
using txtest::unhex;

TEST(RawTx, NodeTransactionsKeepEveryFieldAndRoundTrip)
{
    auto cases = testsupport::read_json_vector("sighash-forkid.json")["node_cases"]["cases"];
    ASSERT_FALSE(cases.empty());
    for (const auto& c : cases) {
        core::Bytes raw = unhex(c["raw_tx_hex"].get<std::string>());
        auto parsed = tx::parse_raw_tx(raw);
        ASSERT_TRUE(parsed.has_value()) << c["raw_tx_hex"];
        EXPECT_EQ(hex(tx::serialize_raw_tx(*parsed)), hex(raw));
    }
    // The first node transaction has version 0x99762201 and a first sequence of 0x02c764c8.
    core::Bytes first = unhex(cases[0]["raw_tx_hex"].get<std::string>());
    auto parsed = tx::parse_raw_tx(first);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->version, 0x99762201u);
    EXPECT_EQ(parsed->inputs[0].sequence, 0x02c764c8u);
}

TEST(RawTx, PrevTxidIsInDisplayOrder)
{
    auto t = testsupport::read_json_vector("real-tx.json")["transactions"][0];
    auto parsed = tx::parse_raw_tx(unhex(t["raw_tx_hex"].get<std::string>()));
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->inputs[0].prev_txid(), t["inputs"][0]["prev_txid"].get<std::string>());
    auto wire = tx::txid_to_wire(t["inputs"][0]["prev_txid"].get<std::string>());
    ASSERT_TRUE(wire.has_value());
    EXPECT_EQ(*wire, parsed->inputs[0].prev_hash);
}

TEST(RawTx, RefusesTruncationEmptyListsAndTrailingBytes)
{
    core::Bytes raw = unhex(testsupport::read_json_vector("real-tx.json")["transactions"][0]["raw_tx_hex"].get<std::string>());
    for (size_t size = 0; size < raw.size(); ++size) {
        EXPECT_FALSE(tx::parse_raw_tx(core::ByteView(raw).first(size)).has_value()) << size;
    }
    raw.push_back(0);
    EXPECT_FALSE(tx::parse_raw_tx(raw).has_value());
    EXPECT_FALSE(tx::parse_raw_tx(unhex("01000000" "00" "01" "0000000000000000" "00" "00000000")).has_value());
}

} // namespace
