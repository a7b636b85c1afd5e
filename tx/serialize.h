// Writing the program's transactions in the wire format, and their txids.
#pragma once

#include <string>
#include <vector>

#include "core/bytes.h"
#include "tx/transaction.h"
#include "tx/txid.h"

namespace tx {

// Length of the stand-in unlocking script counted for every input of an estimate: a P2PKH
// unlock is at most 107 bytes, so an estimated input is always 32 + 4 + 1 + 107 + 4 = 148.
inline constexpr size_t ESTIMATED_SCRIPT_SIG_SIZE = 107;

// The wire bytes of the transaction:
//   version 01000000 | CompactSize input count
//   per input: txid reversed (32) | vout u32 LE | CompactSize script length | scriptSig | FFFFFFFF
//   CompactSize output count | per output: value u64 LE | CompactSize script length | script
//   lock time 00000000
// With estimate set, every scriptSig is replaced by 6B followed by 107 zero bytes.
// Returns empty when an output value is negative or above MAX_MONEY. Safe from any thread.
core::Bytes tx_serialize(const std::vector<TxInput>& inputs, const std::vector<TxOutput>& outputs,
                         bool estimate = false);

// The txid of the bytes: their SHA-256d, byte-reversed into display order. Safe from any thread.
Txid tx_id(core::ByteView raw);

} // namespace tx
