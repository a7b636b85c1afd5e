#include "devnet/script_check.h"

#include "devnet/lock_script.h"
#include "tx/push.h"
#include "tx/sighash.h"
#include "tx/unlock_check.h"

namespace devnet {

namespace {

// The hash type byte of the signature pushed first, or nullopt.
std::optional<uint8_t> signature_hash_type(const core::Bytes& script_sig)
{
    size_t pos = 0;
    auto op = tx::read_script_op(script_sig, pos);
    if (!op || !op->is_push || op->data.empty()) return std::nullopt;
    return op->data.back();
}

} // namespace

std::optional<std::string> check_input_script(const tx::RawTx& tx, size_t index, core::ByteView prev_script,
                                              uint64_t prev_value)
{
    if (!runnable_p2pkh_lock(prev_script)) return "the simulator runs only P2PKH and inscription locks";
    switch (tx::check_p2pkh_unlock(tx, index, prev_script, prev_value)) {
    case tx::UnlockCheck::valid:
        return std::nullopt;
    case tx::UnlockCheck::no_such_input:
    case tx::UnlockCheck::bad_transaction:
        return "Operation not valid with the current stack size";
    case tx::UnlockCheck::lock_not_p2pkh:
        return "the simulator runs only P2PKH and inscription locks";
    case tx::UnlockCheck::malformed_unlock:
        return "Only push operators allowed in signatures";
    case tx::UnlockCheck::wrong_sighash_type: {
        auto type = signature_hash_type(tx.inputs[index].script_sig);
        if (type && !(*type & tx::SIGHASH_FORKID)) return "Signature must use SIGHASH_FORKID";
        // A node takes the other FORKID types; the simulator checks only ALL|FORKID and refuses
        // what it cannot check.
        return "the simulator checks only signatures of type ALL|FORKID";
    }
    case tx::UnlockCheck::bad_public_key:
        return "Public key is neither compressed or uncompressed";
    case tx::UnlockCheck::key_not_owner:
        return "Script failed an OP_EQUALVERIFY operation";
    case tx::UnlockCheck::high_s:
        return "Non-canonical signature: S value is unnecessarily high";
    case tx::UnlockCheck::bad_signature:
        return "Signature must be zero for failed CHECK(MULTI)SIG operation";
    }
    return "Script evaluated without error but finished with a false/empty top stack element";
}

} // namespace devnet
