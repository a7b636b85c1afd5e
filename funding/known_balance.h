// The wallet's balance as last seen by the wallet status refresh (wallet/balance.h), which the
// payment pipeline's final messages consult ("you have 0 ...", "Pursa can see the balance ...").
// Tests may put another source in its place.
#pragma once

#include <functional>
#include <optional>

#include "core/bytes.h"

namespace funding {

// The last known balance in satoshis, or nullopt when none is known.
using BalanceSource = std::function<std::optional<core::Amount>()>;

// Replaces the source; an empty function restores the default, the bound wallet's cached
// balance. Safe from any thread.
void set_known_balance_source(BalanceSource source);

// Asks the source. Safe from any thread (the default source takes the wallet lock).
std::optional<core::Amount> known_balance();

} // namespace funding
