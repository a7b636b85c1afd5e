// The replay-protected (FORKID) signature digest of Bitcoin SV, which follows BIP143.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/bytes.h"
#include "tx/raw_tx.h"
#include "tx/transaction.h"

namespace tx {

inline constexpr uint32_t SIGHASH_NONE = 0x02;
inline constexpr uint32_t SIGHASH_SINGLE = 0x03;
inline constexpr uint32_t SIGHASH_FORKID = 0x40;
inline constexpr uint32_t SIGHASH_ANYONECANPAY = 0x80;

// The digest preimage for input index of tx, spending an output locked by script_code and
// holding value satoshis, for any hash type, as the node computes it:
//   version | hashPrevouts | hashSequence | outpoint | CompactSize + script_code | value u64 LE
//   | this input's sequence | hashOutputs | lock time | hash_type u32 LE
// The base type is hash_type & 0x1F (2 = NONE, 3 = SINGLE, anything else ALL); with
// ANYONECANPAY (0x80) hashPrevouts is zero; with ANYONECANPAY, NONE or SINGLE hashSequence
// is zero; hashOutputs covers all outputs for ALL, only the output at the same index for
// SINGLE (zero when there is none), and is zero for NONE. script_code is used verbatim.
// Returns empty when index is not an input of tx. Safe from any thread.
core::Bytes forkid_preimage(const RawTx& tx, size_t index, core::ByteView script_code, uint64_t value,
                            uint32_t hash_type);

// SHA-256d of forkid_preimage, in computed order (the bytes ECDSA signs, not reversed).
// nullopt when index is not an input of tx. Safe from any thread.
std::optional<core::Hash256> forkid_digest(const RawTx& tx, size_t index, core::ByteView script_code,
                                           uint64_t value, uint32_t hash_type);

// The preimage for input index of a transaction in the program's shape (version 1, sequences
// 0xFFFFFFFF, lock time 0, hash type 0x41), with that input's value. Returns empty when index
// is out of range, the value is negative, or the transaction cannot be serialised (see
// tx_serialize). Safe from any thread.
core::Bytes tx_sighash_preimage(const std::vector<TxInput>& inputs, const std::vector<TxOutput>& outputs,
                                size_t index, core::ByteView script_code);

// SHA-256d of tx_sighash_preimage, or nullopt under the same conditions.
std::optional<core::Hash256> tx_sighash(const std::vector<TxInput>& inputs, const std::vector<TxOutput>& outputs,
                                        size_t index, core::ByteView script_code);

} // namespace tx
