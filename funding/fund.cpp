#include "funding/fund.h"

#include <algorithm>

#include "tx/fee.h"
#include "tx/script.h"
#include "tx/serialize.h"

namespace funding {

namespace {

bool can_add(const tx::TxInput& coin)
{
    return coin.value >= 0 && coin.value <= tx::MAX_MONEY;
}

bool covered(core::Amount total_in, core::Amount total_out, const std::vector<tx::TxInput>& inputs,
             const std::vector<tx::TxOutput>& outputs)
{
    return total_in >= total_out + tx::fee_with_change_estimate(inputs, outputs);
}

} // namespace

Funded fund_transaction(const std::vector<tx::TxInput>& candidates, const std::vector<tx::TxOutput>& requested,
                        const core::Hash160& change_hash, size_t forced)
{
    Funded f;
    if (requested.empty()) {
        f.error = FundingCode::NothingToPay;
        return f;
    }
    core::Amount total_out = 0;
    for (const auto& out : requested) {
        if (out.value < 0 || out.value > tx::MAX_MONEY || out.script.empty() || total_out > tx::MAX_MONEY) {
            f.error = FundingCode::InvalidOutput;
            return f;
        }
        total_out += out.value;
    }
    f.outputs = requested;

    core::Amount total_in = 0;
    size_t k = std::min(forced, candidates.size());
    for (size_t i = 0; i < k; ++i) {
        if (!can_add(candidates[i])) {
            f.error = FundingCode::ForcedInputBad;
            return f;
        }
        f.inputs.push_back(candidates[i]);
        total_in += candidates[i].value;
    }
    for (size_t i = k; i < candidates.size() && !covered(total_in, total_out, f.inputs, f.outputs); ++i) {
        if (!can_add(candidates[i])) continue;
        f.inputs.push_back(candidates[i]);
        total_in += candidates[i].value;
    }

    size_t size = tx::tx_serialize(f.inputs, f.outputs, true).size();
    if (size == 0) {
        f.error = FundingCode::BuildFailed;
        return f;
    }
    f.fee = tx::fee_for_size(size);
    core::Amount change = total_in - total_out - f.fee;
    if (change >= 1) {
        f.outputs.push_back({0, tx::p2pkh_script(change_hash)});
        core::Amount fee = tx::fee_for_size(tx::tx_serialize(f.inputs, f.outputs, true).size());
        change = total_in - total_out - fee;
        if (change < 1) {
            // Too little to pay for its own output: it goes to the miners with the fee.
            f.outputs.pop_back();
            f.fee = total_in - total_out;
        } else {
            f.fee = fee;
            f.outputs.back().value = change;
        }
    }
    if (total_in < total_out + f.fee) {
        f.error = FundingCode::Insufficient;
        f.error.need = f.fee + total_out;
        f.error.have = total_in;
        return f;
    }
    f.ok = true;
    return f;
}

} // namespace funding
