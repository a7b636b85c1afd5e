#include "devnet/lock_script.h"

#include "core/base58.h"
#include "tx/opcodes.h"
#include "tx/script.h"
#include "tx/spendable_lock.h"

namespace devnet {

namespace {

constexpr uint8_t OP_CODESEPARATOR = 0xAB;

std::string address_of(const core::Hash160& hash)
{
    return core::address_from_hash160(hash);
}

// Nothing left, or an OP_RETURN that ends the script where it stands.
bool harmless_tail(core::ByteView script, size_t pos)
{
    return pos == script.size() || script[pos] == tx::OP_RETURN;
}

} // namespace

LockView view_lock(core::ByteView script)
{
    LockView view;
    if (auto exact = tx::p2pkh_hash(script)) {
        view.address = address_of(*exact);
        view.owner = view.address;
        return view;
    }
    if (auto prefix = tx::p2pkh_prefix_hash(script)) {
        view.owner = address_of(*prefix);
        view.inscription = tx::parse_envelope(script, tx::P2PKH_SCRIPT_SIZE);
        return view;
    }
    view.inscription = tx::parse_envelope(script, 0);
    if (view.inscription) {
        size_t pos = view.inscription->end;
        if (pos < script.size() && script[pos] == OP_CODESEPARATOR) ++pos;
        if (auto after = tx::p2pkh_prefix_hash(script.subspan(pos))) view.owner = address_of(*after);
    }
    return view;
}

std::optional<tx::Envelope> find_envelope_anywhere(core::ByteView script)
{
    for (size_t pos = 0; pos + 6 <= script.size(); ++pos) {
        if (script[pos] != tx::OP_0 || script[pos + 1] != tx::OP_IF) continue;
        if (auto env = tx::parse_envelope(script, pos)) return env;
    }
    return std::nullopt;
}

std::optional<P2pkhLock> runnable_p2pkh_lock(core::ByteView script)
{
    auto lock = tx::find_spendable_lock(script);
    if (!lock) return std::nullopt;
    switch (lock->form) {
    case tx::LockForm::plain:
        return P2pkhLock{lock->owner};
    case tx::LockForm::lock_then_envelope: {
        auto env = tx::parse_envelope(script, tx::P2PKH_SCRIPT_SIZE);
        if (!env || !harmless_tail(script, env->end)) return std::nullopt;
        return P2pkhLock{lock->owner};
    }
    case tx::LockForm::envelope_then_lock: {
        auto env = tx::parse_envelope(script, 0);
        if (!env || !harmless_tail(script, env->end + tx::P2PKH_SCRIPT_SIZE)) return std::nullopt;
        return P2pkhLock{lock->owner};
    }
    }
    return std::nullopt;
}

bool is_data_script(core::ByteView script)
{
    if (!script.empty() && script[0] == tx::OP_RETURN) return true;
    return script.size() >= 2 && script[0] == tx::OP_0 && script[1] == tx::OP_RETURN;
}

} // namespace devnet
