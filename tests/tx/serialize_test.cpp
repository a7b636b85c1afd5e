#include "tx/serialize.h"

#include <gtest/gtest.h>

#include "tests/tx/tx_vectors.h"
#include "tx/fee.h"
#include "tx/script.h"
#include "tests/support/test_txid.h"

namespace {

using txtest::hex;
using txtest::unhex;

TEST(TxSerialize, MatchesTheUnsignedTransactionsOfTheVectors)
{
    for (const auto& c : txtest::shape_cases()) {
        tx::Transaction t = txtest::shape_case_tx(c);
        EXPECT_EQ(hex(tx::tx_serialize(t.inputs, t.outputs)), c["unsigned_tx_hex"].get<std::string>())
            << c["description"];
    }
}

TEST(TxSerialize, EstimateCountsEveryInputAs148Bytes)
{
    tx::TxInput in;
    in.txid = test_txid('a');
    in.script_sig = core::Bytes(70, 0x01);  // a real, shorter signature does not change the estimate
    std::vector<tx::TxOutput> outs{{1000, tx::p2pkh_script({})}, {2000, tx::p2pkh_script({})}};

    core::Bytes estimate = tx::tx_serialize({in}, outs, true);
    ASSERT_EQ(estimate.size(), 226u);
    EXPECT_EQ(estimate[4 + 1 + 36], 0x6B);
    EXPECT_EQ(core::Bytes(estimate.begin() + 42, estimate.begin() + 42 + 107), core::Bytes(107, 0));
    EXPECT_EQ(tx::tx_estimated_size({in}, outs), 226u);
    EXPECT_EQ(tx::fee_for_size(estimate.size()), 23);
    EXPECT_EQ(tx::tx_serialize({in}, outs, false).size(), 226u - 107 + 70 - 1 + 1);
    EXPECT_EQ(tx::tx_estimated_size({}, outs), 10u + 2 * 34u);  // no inputs: still a size
    EXPECT_EQ(tx::tx_serialize({}, outs, true).size(), tx::tx_estimated_size({}, outs));
}

TEST(TxSerialize, RefusesBadValues)
{
    std::vector<tx::TxOutput> outs{{1, tx::p2pkh_script({})}};
    tx::TxInput good;
    good.txid = test_txid('a');
    EXPECT_FALSE(tx::tx_serialize({good}, outs).empty());
    EXPECT_TRUE(tx::tx_serialize({good}, {{-1, tx::p2pkh_script({})}}).empty());
    EXPECT_TRUE(tx::tx_serialize({good}, {{tx::MAX_MONEY + 1, tx::p2pkh_script({})}}).empty());
}

// A hundred satoshis a kilobyte, rounded up, and never nothing; the change estimate adds one
// P2PKH output (10 + 148 + 34 = 192 bytes without change, 226 with it).
TEST(Fee, HundredSatsPerKilobyteRoundedUp)
{
    const std::pair<size_t, core::Amount> fees[] = {{0, 1}, {1, 1}, {10, 1}, {11, 2}, {226, 23}, {1000, 100}, {1001, 101}};
    for (const auto& [size, fee] : fees) EXPECT_EQ(tx::fee_for_size(size), fee) << size;
    tx::TxInput in;
    in.txid = test_txid('b');
    std::vector<tx::TxOutput> outs{{5000, tx::p2pkh_script({})}};
    EXPECT_EQ(tx::tx_estimated_size({in}, outs), 192u);
    EXPECT_EQ(tx::fee_with_change_estimate({in}, outs), 23);
}

} // namespace
