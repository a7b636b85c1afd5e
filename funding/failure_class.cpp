#include "funding/failure_class.h"

#include <string>

#include "net/text.h"

namespace funding {

BroadcastFailure classify_broadcast_failure(std::string_view text)
{
    const std::string lower = net::lower_ascii(text);
    for (auto mark : {"missing inputs", "missingorspent"}) {
        if (lower.find(mark) != std::string::npos) return BroadcastFailure::InputsGone;
    }
    for (auto mark : {"mempool-conflict", "double_spend", "double spend", "seen_in_orphan", "txn-already-in-mempool",
                      "txn-already-known"}) {
        if (lower.find(mark) != std::string::npos) return BroadcastFailure::Conflict;
    }
    return BroadcastFailure::Other;
}

} // namespace funding
