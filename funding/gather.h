// Gathering the bound wallet's spendable coins for one payment.
#pragma once

#include <string>
#include <vector>

#include "core/bytes.h"
#include "tx/outpoint.h"
#include "tx/transaction.h"

namespace funding {

class Session;

struct Gathered {
    // Accepted coins, each with the key of its address: first the must-spend coins found (see
    // below), then pending change, then each payment address's cached coins in address order.
    std::vector<tx::TxInput> coins;
    core::Amount total = 0;
    size_t forced = 0;  // how many leading coins are must-spend coins

    [[nodiscard]] bool any() const { return !coins.empty(); }
};

// First brings the snapshots up to date with what other programs of the wallet recorded
// (coin_state.h). Then offers every pending change coin, the cached coins of each payment address and the pending
// change again, and accepts a candidate only when its txid is 64 hex digits, it is not in the
// spent set, not held back as an ordinal (holdback.h), not held by a reserve file
// (sibling_reserves.h), not offer-locked, not in hold_back, and not already accepted. When nothing is accepted, the outputs of the two latest
// broadcasts that pay the wallet become pending change and are offered again.
//
// must_spend names coins that the payment must spend even though they are
// offer-locked (withdrawing an offer spends one of its coins so that it can never complete);
// those found unspent lead the list. Offer locks known to be spent are dropped from their file
// first. Takes the wallet lock; no network request except the fallback above, during which
// every level of the lock (the caller's too) is let go: when another wallet (or none) is bound
// once it is back, nothing is gathered.
Gathered gather_coins(Session& session, const std::vector<tx::Outpoint>& hold_back, const std::vector<tx::Outpoint>& must_spend = {});

} // namespace funding
