// Reading raw transactions into the program's model: a buyer's offer handed to the seller,
// and single outputs of transactions fetched from the chain.
#pragma once

#include <cstddef>
#include <optional>

#include "core/bytes.h"
#include "tx/transaction.h"

namespace tx {

// Parses a raw transaction. Each input gets its txid (display order, lower case), vout and
// scriptSig; its value, previous script and key fields stay empty. The version, sequences
// and lock time are read and dropped: serialising the result writes 1, 0xFFFFFFFF and 0.
// Returns nullopt when the input or output count is 0 or above 500, an output value is
// above MAX_MONEY, anything is truncated (the lock time included), or bytes follow the lock
// time. Safe from any thread.
std::optional<Transaction> tx_parse(core::ByteView raw);

// The output at index of a raw transaction, read without building the whole model. Returns
// nullopt when the transaction is malformed up to that output (same counts and limits as
// tx_parse), the index is not below the output count, or the output's script is empty.
// Safe from any thread.
std::optional<TxOutput> tx_output_at(core::ByteView raw, size_t index);

} // namespace tx
