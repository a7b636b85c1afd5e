// The network fee: 100 satoshis per 1000 bytes of the estimated size, rounded up.
#pragma once

#include <cstddef>
#include <vector>

#include "core/bytes.h"
#include "tx/transaction.h"

namespace tx {

// Bytes of one P2PKH change output: 8 value + 1 length + 25 script. While coins are still
// being chosen, the size is taken as the estimate plus this.
inline constexpr size_t P2PKH_OUTPUT_SIZE = 34;

// (size * 100 + 999) / 1000 satoshis, and 1 when size is 0. Safe from any thread.
core::Amount fee_for_size(size_t size);

// The size tx_serialize(inputs, outputs, true) has (every input counted as 148 bytes),
// computed without building the bytes. Safe from any thread.
size_t tx_estimated_size(const std::vector<TxInput>& inputs, const std::vector<TxOutput>& outputs);

// fee_for_size(tx_estimated_size + P2PKH_OUTPUT_SIZE): the fee to aim for while the change
// output does not exist yet. Safe from any thread.
core::Amount fee_with_change_estimate(const std::vector<TxInput>& inputs, const std::vector<TxOutput>& outputs);

} // namespace tx
