// The wallet status refresh: discovering used receive addresses, the cached balance that the
// funding messages consult, and the balance history file ("tx_hist/<wallet key>_face.json").
#pragma once

#include "core/bytes.h"
#include "wallet/error.h"
#include "net/woc_client.h"

#include <string>

namespace wallet {

struct CachedBalance {
    core::Amount sats = 0;
    bool known = false;
};

// The last balance the refresh computed (known false until one succeeded for this wallet).
CachedBalance cached_balance();
// Replaces the cached balance (the funding layer, after it counted its coins).
void set_cached_balance(core::Amount sats);

inline constexpr uint32_t RECEIVE_GAP_BATCH = 20;
inline constexpr uint32_t RECEIVE_GAP_LIMIT = 400;

// Scans m/44'/236'/1'/0/i, from the later of this process's cursor and the shown index + 1 up
// to the shown index + 400, 20 addresses per balance request, stopping at the first batch
// without a used address; a used address raises the shown receive index (and "recv"[1]) and
// the wallet file is saved. Then sums the balances of the receive addresses 0..recv[1] and the
// identity address, caches the total and appends it to the history file when it changed.
// Fails with NoWallet, WalletChanged or BalanceUnreadable.
[[nodiscard]] WalletResult<void> refresh_wallet_balance();
[[nodiscard]] WalletResult<void> refresh_wallet_balance(const net::WocClient& woc);

} // namespace wallet
