// Bringing the address coin lists of the bound wallet up to date.
#pragma once

#include "funding/error.h"

namespace funding {

class Session;

enum class RefreshMode {
    Normal,  // stale lists only, from WhatsOnChain's unspent lists
    Forced,  // every list, from the ordinals index's unspent outputs (no 1-sat, no inscriptions)
};

// Fetches the lists (one thread per address) and the ordinals index of each fetched address,
// then merges them: a failed fetch leaves the previous list. When merging, coins of the previous
// list that are not spent and pending change of that address stay; pending change the chain now
// shows stops being pending; spent outpoints the chain no longer lists leave the spent set.
// Fails with NoHdWallet when no HD wallet loads, or WalletChanged when another wallet is bound
// (or none) once the fetches are done. Takes the wallet lock and lets go of every level of it,
// the caller's too, while the fetches run: whatever the caller read under the lock may have
// changed on return.
[[nodiscard]] FundingResult<void> refresh_coins(Session& session, RefreshMode mode = RefreshMode::Normal);

} // namespace funding
