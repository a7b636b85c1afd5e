#include "funding/failure_class.h"

#include <string>

#include "net/text.h"

namespace funding {

BroadcastFailure classify_broadcast_failure(std::string_view text)
{
    const std::string lower = core::ascii_lower(text);
    // ARC answers 460 "failed to get parent transactions" when a parent is unknown to it: a
    // pending change whose transaction vanished must be found out, not retried for ever.
    for (auto mark : {"missing inputs", "missingorspent", "failed to get parent"}) {
        if (lower.find(mark) != std::string::npos) return BroadcastFailure::InputsGone;
    }
    for (auto mark : {"mempool-conflict", "double_spend", "double spend", "seen_in_orphan", "txn-already-in-mempool",
                      "txn-already-known"}) {
        if (lower.find(mark) != std::string::npos) return BroadcastFailure::Conflict;
    }
    return BroadcastFailure::Other;
}

} // namespace funding
