#include "tx/spendable_lock.h"

#include "tx/inscription.h"
#include "tx/script.h"

namespace tx {

std::optional<SpendableLock> find_spendable_lock(core::ByteView script)
{
    if (script.size() == P2PKH_SCRIPT_SIZE) {
        auto hash = p2pkh_hash(script);
        if (!hash) return std::nullopt;
        return SpendableLock{LockForm::plain, *hash};
    }
    if (auto hash = p2pkh_prefix_hash(script)) {
        if (!parse_envelope(script, P2PKH_SCRIPT_SIZE)) return std::nullopt;
        return SpendableLock{LockForm::lock_then_envelope, *hash};
    }
    auto envelope = parse_envelope(script, 0);
    if (!envelope) return std::nullopt;
    auto hash = p2pkh_prefix_hash(script.subspan(envelope->end));
    if (!hash) return std::nullopt;
    return SpendableLock{LockForm::envelope_then_lock, *hash};
}

} // namespace tx
