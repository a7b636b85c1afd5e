#include "tx/unlock_check.h"

#include <algorithm>

#include "core/hash.h"
#include "core/key.h"
#include "tx/push.h"
#include "tx/sighash.h"
#include "tx/spendable_lock.h"

namespace tx {

namespace {

bool is_public_key_encoding(core::ByteView key)
{
    if (key.size() == 33) return key[0] == 0x02 || key[0] == 0x03;
    if (key.size() == 65) return key[0] == 0x04;
    return false;
}

// The two pushes of a P2PKH unlock, or nullopt unless the script is exactly those two pushes
// written in their shortest form.
struct UnlockPushes {
    core::ByteView signature;
    core::ByteView public_key;
};

std::optional<UnlockPushes> split_unlock(core::ByteView script_sig)
{
    size_t pos = 0;
    auto signature = read_script_op(script_sig, pos);
    auto public_key = signature ? read_script_op(script_sig, pos) : std::nullopt;
    if (!public_key || !signature->is_push || !public_key->is_push || pos != script_sig.size()) return std::nullopt;
    if (signature->data.empty()) return std::nullopt;
    core::Bytes shortest = push_bytes(signature->data);
    append_push(shortest, public_key->data);
    if (!std::equal(shortest.begin(), shortest.end(), script_sig.begin(), script_sig.end())) return std::nullopt;
    return UnlockPushes{signature->data, public_key->data};
}

} // namespace

UnlockCheck check_p2pkh_unlock(const RawTx& tx, size_t index, core::ByteView prev_script, uint64_t prev_value)
{
    if (index >= tx.inputs.size()) return UnlockCheck::no_such_input;
    if (prev_value > static_cast<uint64_t>(MAX_MONEY)) return UnlockCheck::bad_transaction;
    auto lock = find_spendable_lock(prev_script);
    if (!lock) return UnlockCheck::lock_not_p2pkh;
    auto pushes = split_unlock(tx.inputs[index].script_sig);
    if (!pushes) return UnlockCheck::malformed_unlock;
    if (pushes->signature.back() != SIGHASH_ALL_FORKID) return UnlockCheck::wrong_sighash_type;
    if (!is_public_key_encoding(pushes->public_key)) return UnlockCheck::bad_public_key;
    if (core::hash160(pushes->public_key) != lock->owner) return UnlockCheck::key_not_owner;

    auto digest = forkid_digest(tx, index, prev_script, prev_value, SIGHASH_ALL_FORKID);
    if (!digest) return UnlockCheck::no_such_input;
    const core::ByteView der = pushes->signature.first(pushes->signature.size() - 1);
    if (core::verify_der(*digest, der, pushes->public_key, true)) return UnlockCheck::valid;
    if (core::verify_der(*digest, der, pushes->public_key, false)) return UnlockCheck::high_s;
    return UnlockCheck::bad_signature;
}

UnlockCheck check_p2pkh_unlock(const std::vector<TxInput>& inputs, const std::vector<TxOutput>& outputs, size_t index,
                               core::ByteView prev_script, core::Amount prev_value)
{
    if (index >= inputs.size()) return UnlockCheck::no_such_input;
    auto raw = raw_tx_from_model(inputs, outputs);
    if (!raw || prev_value < 0) return UnlockCheck::bad_transaction;
    return check_p2pkh_unlock(*raw, index, prev_script, static_cast<uint64_t>(prev_value));
}

} // namespace tx
