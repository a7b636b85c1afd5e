// The simulated node's check of one input: the unlocking script must satisfy the P2PKH lock it
// spends, with a strict-DER, low-S signature over the FORKID digest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/bytes.h"
#include "tx/raw_tx.h"

namespace devnet {

enum class ScriptResult {
    ok,
    lock_not_runnable,   // the previous output's lock is not one the simulator runs
    not_push_only,
    bad_stack,           // not exactly a signature and a public key
    pubkey_mismatch,     // OP_EQUALVERIFY: the key does not hash to the locked hash
    bad_pubkey_encoding,
    empty_signature,
    bad_der,
    high_s,
    no_forkid,
    bad_hash_type,
    bad_signature,
};

// Checks input index of tx against the previous output's script and value. Safe from any
// thread.
ScriptResult check_input_script(const tx::RawTx& tx, size_t index, core::ByteView prev_script, uint64_t prev_value);

// The node's words for a failed check, as it reports them after
// "16: mandatory-script-verify-flag-failed (".
std::string script_error_text(ScriptResult result);

} // namespace devnet
