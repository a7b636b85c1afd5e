// Signing one input of a transaction in the program's shape.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "core/bytes.h"
#include "tx/transaction.h"

namespace tx {

// Signs input index of the transaction with the FORKID digest (hash type 0x41) and writes its
// scriptSig: push(DER signature || 41) push(public key). The digest covers every outpoint
// and every output, so build the whole transaction first; changing an outpoint or an output
// afterwards invalidates every signature made. Other inputs are not touched, so inputs may be
// signed at different times by different parties.
//
// The script code is the input's prev_script, or when that is empty the P2PKH lock of
// pub_key_hash. priv_key_hex is 64 hex digits; pub_key_hex is the hex of that key's public
// key (33 bytes; a 65-byte form is pushed as given).
//
// Returns false, leaving every scriptSig as it was, when index is out of range, the private
// key is not a valid 32-byte key, the public key does not belong to it, the public key does
// not hash to the hash the spent output is locked to (pub_key_hash, or the owner of a
// recognised prev_script), the transaction cannot be serialised, or signing fails.
// inputs[index].script_sig is the only output. Safe from any thread on distinct data.
[[nodiscard]] bool tx_sign_input(size_t index, std::vector<TxInput>& inputs, const std::vector<TxOutput>& outputs,
                                 const core::Hash160& pub_key_hash, std::string_view priv_key_hex,
                                 std::string_view pub_key_hex);

} // namespace tx
