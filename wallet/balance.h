// The wallet status refresh: discovering used receive addresses, the cached balance that the
// funding messages consult, and the balance history file ("tx_hist/<wallet key>_face.json").
#pragma once

#include "core/bytes.h"
#include "net/woc_client.h"
#include "wallet/error.h"
#include "wallet/wallet_session.h"

#include <string>

namespace wallet {

// The last balance the session's refresh computed for the bound wallet (known false until one
// succeeded for this wallet).
CachedBalance cached_balance(const WalletSession& session);

inline constexpr uint32_t RECEIVE_GAP_BATCH = 20;
inline constexpr uint32_t RECEIVE_GAP_LIMIT = 400;

// Scans m/44'/236'/1'/0/i, from the later of the session's cursor and the shown index + 1 up
// to the shown index + 400, 20 addresses per balance request, stopping at the first batch
// without a used address; a used address raises the shown receive index (and "recv"[1]) and
// the wallet file is saved. Then sums the balances of the receive addresses 0..recv[1] and the
// identity address, caches the total in the session and appends it to the history file when it
// changed. Asks the session's WhatsOnChain unless `woc` is given.
// Fails with NoWallet, WalletChanged or BalanceUnreadable.
[[nodiscard]] WalletResult<void> refresh_wallet_balance(WalletSession& session);
[[nodiscard]] WalletResult<void> refresh_wallet_balance(WalletSession& session, const net::WocClient& woc);

} // namespace wallet
