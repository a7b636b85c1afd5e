#include "wallet/wallet_session.h"
// The checks every trade dialog makes first: a bound wallet, and a paymail name published for
// it (the handle its posts carry).
#pragma once

#include <optional>
#include <string>

#include "trade/error.h"

namespace trade {

class MarketSession;

struct TraderGate {
    std::string handle;                 // the wallet's paymail handle, without the domain
    std::string identity_key;           // compressed lower-case hex
    std::optional<TradeError> refusal;  // ConnectFirst, or PublishName with the paymail domain
};

// The bound wallet's handle and identity key, or the dialog's refusal.
TraderGate trader_gate(wallet::WalletSession& wallet);

// Whether the session's registry marks the key frozen (no answer counts as not frozen). Network.
[[nodiscard]] bool identity_is_frozen(const MarketSession& session, const std::string& pubkey);

} // namespace trade
