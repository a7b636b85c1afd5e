// The wallet's balance as last seen by the wallet status refresh, which the payment pipeline's
// final messages consult ("you have 0 ...", "Pursa can see the balance ..."). The status
// refresh lives above this layer, so it hands its cache in as a source.
#pragma once

#include <functional>
#include <optional>

#include "core/bytes.h"

namespace funding {

// The last known balance in satoshis, or nullopt when none is known.
using BalanceSource = std::function<std::optional<core::Amount>()>;

// Replaces the source (an empty function: no balance known, the default). Safe from any thread.
void set_known_balance_source(BalanceSource source);

// Asks the source. Safe from any thread.
std::optional<core::Amount> known_balance();

} // namespace funding
