// The wallet's balance as last seen by the wallet status refresh (wallet/balance.h), which the
// payment pipeline's final messages consult ("you have 0 ...", "Pursa can see the balance ...").
// A session may put another source in its place (Session::set_known_balance_source).
#pragma once

#include <optional>

#include "core/bytes.h"

namespace funding {

class Session;

// Asks the session's source, else the bound wallet's cached balance. Safe from any thread (the
// default source takes the wallet lock).
std::optional<core::Amount> known_balance(const Session& session);

} // namespace funding
