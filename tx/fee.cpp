#include "tx/fee.h"

#include "tx/serialize.h"
#include "tx/wire.h"

namespace tx {

namespace {

constexpr core::Amount SATS_PER_KB = 100;

} // namespace

core::Amount fee_for_size(size_t size)
{
    if (size < 1) return 1;
    return (static_cast<core::Amount>(size) * SATS_PER_KB + 999) / 1000;
}

size_t tx_estimated_size(const std::vector<TxInput>& inputs, const std::vector<TxOutput>& outputs)
{
    constexpr size_t estimated_input = 32 + 4 + 1 + ESTIMATED_SCRIPT_SIG_SIZE + 4;
    size_t size = 4 + compact_size_length(inputs.size()) + inputs.size() * estimated_input;
    size += compact_size_length(outputs.size());
    for (const TxOutput& out : outputs) size += 8 + compact_size_length(out.script.size()) + out.script.size();
    return size + 4;
}

core::Amount fee_with_change_estimate(const std::vector<TxInput>& inputs, const std::vector<TxOutput>& outputs)
{
    return fee_for_size(tx_estimated_size(inputs, outputs) + P2PKH_OUTPUT_SIZE);
}

} // namespace tx
