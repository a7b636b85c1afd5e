// Choosing inputs and change: candidate order, forced inputs, the exact change boundaries and
// every refusal.
#include <gtest/gtest.h>

#include "funding/fund.h"
#include "tx/fee.h"
#include "tx/script.h"
#include "tx/serialize.h"
#include "tests/support/test_txid.h"

namespace {

core::Hash160 hash_of(uint8_t b)
{
    core::Hash160 h{};
    h.fill(b);
    return h;
}

tx::TxInput coin(uint8_t id, core::Amount value)
{
    return test_input(test_txid("0123456789abcdef"[id % 16]), id, value, hash_of(id));
}

tx::TxOutput pay(core::Amount value)
{
    return {value, tx::p2pkh_script(hash_of(0xAA))};
}

const core::Hash160 CHANGE = hash_of(0xCC);

// The output indices of the inputs a funding chose, in their order; none when it failed.
std::vector<uint32_t> vouts(const funding::Funded& f)
{
    std::vector<uint32_t> out;
    for (const auto& in : f.inputs) out.push_back(in.vout);
    return f.ok ? out : std::vector<uint32_t>{};
}

// Candidates in their own order (never sorted), unusable ones skipped; forced inputs (a
// listing's) lead even when not needed, and a forced count beyond the candidates takes them all.
TEST(FundTransaction, ForcedInputsLeadThenCandidatesInTheirOrder)
{
    auto broken = coin(3, 900000);
    broken.value = tx::MAX_MONEY + 1;
    EXPECT_EQ(vouts(funding::fund_transaction({coin(1, 3000), broken, coin(2, 900000), coin(4, 900000)}, {pay(5000)}, CHANGE, 0)),
              (std::vector<uint32_t>{1, 2}));
    // A coin that covers the outputs but not the fee takes the next one too.
    EXPECT_EQ(vouts(funding::fund_transaction({coin(1, 5000), coin(2, 5000)}, {pay(5000)}, CHANGE, 0)), (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(vouts(funding::fund_transaction({coin(9, 1), coin(1, 100000), coin(2, 100000)}, {pay(1), pay(5000)}, CHANGE, 1)),
              (std::vector<uint32_t>{9, 1}));
    EXPECT_EQ(vouts(funding::fund_transaction({coin(1, 100000), coin(2, 100000)}, {pay(5000)}, CHANGE, 7)),
              (std::vector<uint32_t>{1, 2}));
}

// The coin value at which the change, after the change output's own fee, is exactly `change`.
core::Amount value_for_change(core::Amount paid, core::Amount change)
{
    std::vector<tx::TxInput> ins{coin(1, 0)};
    std::vector<tx::TxOutput> outs{pay(paid), {0, tx::p2pkh_script(CHANGE)}};
    return paid + change + tx::fee_for_size(tx::tx_estimated_size(ins, outs));
}

// The change is what the inputs leave after the outputs and the fee, to the satoshi; change of one
// satoshi after its output's own fee gets that output, less is left as fee.
TEST(FundTransaction, ChangeBalancesToTheSatoshi)
{
    auto f = funding::fund_transaction({coin(1, 50000), coin(2, 50000)}, {pay(30000), pay(25000)}, CHANGE, 0);
    ASSERT_TRUE(f.ok);
    ASSERT_EQ(f.outputs.size(), 3u);
    EXPECT_EQ(f.outputs[2].script, tx::p2pkh_script(CHANGE));
    EXPECT_EQ(f.fee, tx::fee_for_size(tx::tx_serialize(f.inputs, f.outputs, true).size()));
    EXPECT_EQ(100000 - 55000 - f.fee, f.outputs[2].value);

    f = funding::fund_transaction({coin(1, value_for_change(5000, 1))}, {pay(5000)}, CHANGE, 0);
    ASSERT_TRUE(f.ok);
    ASSERT_EQ(f.outputs.size(), 2u);
    EXPECT_EQ(f.outputs[1].value, 1);
    f = funding::fund_transaction({coin(1, value_for_change(5000, 0))}, {pay(5000)}, CHANGE, 0);
    ASSERT_TRUE(f.ok);
    EXPECT_EQ(f.outputs.size(), 1u);
    EXPECT_EQ(f.fee, value_for_change(5000, 0) - 5000);
}

// Empty and invalid requests are refused; too little money names what is needed.
TEST(FundTransaction, RefusalsNameWhatIsWrong)
{
    using funding::FundingCode;
    EXPECT_EQ(funding::fund_transaction({coin(1, 5000)}, {}, CHANGE, 0).error.code, FundingCode::NothingToPay);
    for (const auto& output : {pay(-1), tx::TxOutput{10, {}}, pay(tx::MAX_MONEY + 1)})
        EXPECT_EQ(funding::fund_transaction({coin(1, 5000)}, {output}, CHANGE, 0).error.code, FundingCode::InvalidOutput);
    EXPECT_EQ(funding::fund_transaction({coin(1, -1), coin(2, 5000)}, {pay(100)}, CHANGE, 1).error.code, FundingCode::ForcedInputBad);
    auto f = funding::fund_transaction({coin(1, 3000), coin(2, 1000)}, {pay(5000)}, CHANGE, 0);
    auto fee = tx::fee_for_size(tx::tx_serialize({coin(1, 3000), coin(2, 1000)}, {pay(5000)}, true).size());
    EXPECT_EQ(f.error.code, FundingCode::Insufficient);
    EXPECT_EQ(f.error.need, 5000 + fee);
    EXPECT_EQ(f.error.have, 4000);
    EXPECT_EQ(funding::fund_transaction({}, {pay(5000)}, CHANGE, 0).error.code, FundingCode::Insufficient);
    // Enough for the outputs and one satoshi short of the fee: never built without its fee.
    const auto one_input_fee = tx::fee_for_size(tx::tx_serialize({coin(1, 0)}, {pay(5000)}, true).size());
    EXPECT_FALSE(funding::fund_transaction({coin(1, 5000 + one_input_fee - 1)}, {pay(5000)}, CHANGE, 0).ok);
    EXPECT_TRUE(funding::fund_transaction({coin(1, 5000 + one_input_fee)}, {pay(5000)}, CHANGE, 0).ok);
}

} // namespace
