#include "devnet/script_check.h"

#include <vector>

#include "core/hash.h"
#include "core/key.h"
#include "devnet/lock_script.h"
#include "tx/push.h"
#include "tx/sighash.h"

namespace devnet {

namespace {

bool valid_pubkey_encoding(core::ByteView key)
{
    if (key.size() == 33) return key[0] == 0x02 || key[0] == 0x03;
    if (key.size() == 65) return key[0] == 0x04;
    return false;
}

} // namespace

ScriptResult check_input_script(const tx::RawTx& tx, size_t index, core::ByteView prev_script, uint64_t prev_value)
{
    auto lock = runnable_p2pkh_lock(prev_script);
    if (!lock) return ScriptResult::lock_not_runnable;
    const core::Bytes& unlock = tx.inputs.at(index).script_sig;
    std::vector<core::ByteView> stack;
    size_t pos = 0;
    while (pos < unlock.size()) {
        auto op = tx::read_script_op(unlock, pos);
        if (!op || !op->is_push) return ScriptResult::not_push_only;
        stack.push_back(op->data);
    }
    if (stack.size() != 2) return ScriptResult::bad_stack;
    core::ByteView sig = stack[0];
    core::ByteView key = stack[1];
    if (core::hash160(key) != lock->hash) return ScriptResult::pubkey_mismatch;
    if (sig.empty()) return ScriptResult::empty_signature;
    core::ByteView der = sig.first(sig.size() - 1);
    uint32_t hash_type = sig.back();
    if (!core::der_is_strict(der)) return ScriptResult::bad_der;
    uint32_t base = hash_type & ~(tx::SIGHASH_FORKID | tx::SIGHASH_ANYONECANPAY);
    if (base < 1 || base > 3) return ScriptResult::bad_hash_type;
    if (!(hash_type & tx::SIGHASH_FORKID)) return ScriptResult::no_forkid;
    if (!valid_pubkey_encoding(key)) return ScriptResult::bad_pubkey_encoding;
    if (!core::der_is_low_s(der)) return ScriptResult::high_s;
    auto digest = tx::forkid_digest(tx, index, prev_script, prev_value, hash_type);
    if (!digest || !core::verify_der(*digest, der, key, true)) return ScriptResult::bad_signature;
    return ScriptResult::ok;
}

std::string script_error_text(ScriptResult result)
{
    switch (result) {
    case ScriptResult::ok: return "";
    case ScriptResult::lock_not_runnable: return "the simulator runs only P2PKH and inscription locks";
    case ScriptResult::not_push_only: return "Only push operators allowed in signatures";
    case ScriptResult::bad_stack: return "Stack size must be exactly one after execution";
    case ScriptResult::pubkey_mismatch: return "Script failed an OP_EQUALVERIFY operation";
    case ScriptResult::bad_pubkey_encoding: return "Public key is neither compressed or uncompressed";
    case ScriptResult::empty_signature: return "Script evaluated without error but finished with a false/empty top stack element";
    case ScriptResult::bad_der: return "Non-canonical DER signature";
    case ScriptResult::high_s: return "Non-canonical signature: S value is unnecessarily high";
    case ScriptResult::no_forkid: return "Signature must use SIGHASH_FORKID";
    case ScriptResult::bad_hash_type: return "Signature hash type missing or not understood";
    case ScriptResult::bad_signature: return "Signature must be zero for failed CHECK(MULTI)SIG operation";
    }
    return "unknown script error";
}

} // namespace devnet
