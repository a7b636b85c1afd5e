// Checking the P2PKH unlocking script of one input: the inverse of tx_sign_input. Used where
// a transaction made by someone else must be trusted before it is accepted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/bytes.h"
#include "tx/raw_tx.h"
#include "tx/transaction.h"

namespace tx {

// Why an input's unlocking script was refused. The caller words the message.
enum class UnlockCheck {
    valid,
    no_such_input,       // the index is not an input of the transaction
    bad_transaction,     // the model cannot be serialised (bad txid or output value) or the value is out of range
    lock_not_p2pkh,      // the previous script is none of the forms find_spendable_lock recognises
    malformed_unlock,    // the scriptSig is not exactly push(signature) push(public key), shortest pushes
    wrong_sighash_type,  // the signature's hash type byte is not 0x41
    bad_public_key,      // the key is not 33 bytes starting 02/03 or 65 bytes starting 04
    key_not_owner,       // the key does not hash to the hash the previous script locks to
    high_s,              // the signature verifies only with s in the upper half (nodes refuse it)
    bad_signature,       // not strict DER, or does not verify against the digest
};

// Checks input index of tx against the output it spends (prev_script holding prev_value
// satoshis). The scriptSig must be exactly push(DER signature || 41) push(public key); the
// public key must hash to the hash locked by prev_script (plain P2PKH, or either inscription
// form); the DER signature must be low-S and verify against the FORKID digest of the
// transaction as it stands (its own version, sequences and lock time) with hash type 0x41
// and prev_script as script code. Returns valid or the first reason found, in the order of
// the enum. Safe from any thread.
UnlockCheck check_p2pkh_unlock(const RawTx& tx, size_t index, core::ByteView prev_script, uint64_t prev_value);

// The same for a transaction in the program's model (version 1, sequences 0xFFFFFFFF, lock
// time 0), such as one read by tx_parse.
UnlockCheck check_p2pkh_unlock(const std::vector<TxInput>& inputs, const std::vector<TxOutput>& outputs, size_t index,
                               core::ByteView prev_script, core::Amount prev_value);

} // namespace tx
