// Deciding whether an output fetched from the chain pays a P2PKH hash that this program can
// sign for, and which hash.
#pragma once

#include <optional>

#include "core/bytes.h"

namespace tx {

enum class LockForm {
    plain,             // exactly the 25-byte P2PKH lock
    lock_then_envelope, // P2PKH lock, then an inscription envelope
    envelope_then_lock, // an inscription envelope, then a P2PKH lock right after its OP_ENDIF
};

struct SpendableLock {
    LockForm form = LockForm::plain;
    core::Hash160 owner{};  // the hash the P2PKH lock pays to
};

// Recognises, in this order: a script of exactly 25 bytes that is the P2PKH lock; a script of
// at least 26 bytes that starts with the P2PKH lock and has an envelope at position 25; a
// script that starts with an envelope followed at once by 25 bytes of P2PKH lock. Anything
// else (a two-key lock after an envelope included) gives nullopt. Safe from any thread.
std::optional<SpendableLock> find_spendable_lock(core::ByteView script);

} // namespace tx
