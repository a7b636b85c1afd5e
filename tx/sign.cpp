#include "tx/sign.h"

#include "core/hash.h"
#include "core/hex.h"
#include "core/key.h"
#include "tx/push.h"
#include "tx/script.h"
#include "tx/sighash.h"
#include "tx/spendable_lock.h"

namespace tx {

namespace {

// The hash the spent output is locked to: the owner of a recognised previous script, or the
// caller's hash when the previous script is not stored. nullopt for a lock we cannot read,
// which is then signed as given.
std::optional<core::Hash160> locked_hash(const TxInput& input, const core::Hash160& pub_key_hash)
{
    if (input.prev_script.empty()) return pub_key_hash;
    auto lock = find_spendable_lock(input.prev_script);
    if (!lock) return std::nullopt;
    return lock->owner;
}

} // namespace

bool tx_sign_input(size_t index, std::vector<TxInput>& inputs, const std::vector<TxOutput>& outputs,
                   const core::Hash160& pub_key_hash, std::string_view priv_key_hex, std::string_view pub_key_hex)
{
    if (index >= inputs.size()) return false;
    auto pub_key = core::hex_decode(pub_key_hex);
    if (!pub_key || pub_key->empty()) return false;
    auto own_pub_key = core::pubkey_from_privkey(priv_key_hex);
    if (!own_pub_key || core::normalize_pubkey(*pub_key) != *own_pub_key) return false;

    const TxInput& input = inputs[index];
    if (auto hash = locked_hash(input, pub_key_hash); hash && *hash != core::hash160(*pub_key)) return false;

    const core::Bytes script_code = input.prev_script.empty() ? p2pkh_script(pub_key_hash) : input.prev_script;
    auto digest = tx_sighash(inputs, outputs, index, script_code);
    if (!digest) return false;
    auto signature = core::ecdsa_sign_der(priv_key_hex, *digest);
    if (!signature) return false;
    signature->push_back(static_cast<uint8_t>(SIGHASH_ALL_FORKID));

    core::Bytes script_sig;
    script_sig.reserve(signature->size() + pub_key->size() + 2);
    append_push(script_sig, *signature);
    append_push(script_sig, *pub_key);
    inputs[index].script_sig = std::move(script_sig);
    return true;
}

} // namespace tx
