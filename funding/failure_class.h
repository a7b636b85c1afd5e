// What a failed broadcast's text says about the payment's coins.
#pragma once

#include <string_view>

namespace funding {

enum class BroadcastFailure {
    InputsGone,  // "Missing inputs", "missingorspent", ARC's "failed to get parent": an input is spent or unknown
    Conflict,    // another transaction spends the same coins (mempool conflict, double spend, ...)
    Other,
};

// "missing inputs", "missingorspent" and "failed to get parent" (any case) are InputsGone; "mempool-conflict",
// "double_spend", "double spend", "seen_in_orphan", "txn-already-in-mempool" and
// "txn-already-known" (any case) are Conflict. Safe from any thread.
BroadcastFailure classify_broadcast_failure(std::string_view text);

} // namespace funding
