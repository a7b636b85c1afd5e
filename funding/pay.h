// The payment pipeline every payment of the program goes through: gather the wallet's coins,
// fund, sign, broadcast, and retry when the network says the coins were already spent.
#pragma once

#include <string>
#include <vector>

#include "funding/broadcast.h"
#include "tx/outpoint.h"
#include "tx/transaction.h"

namespace funding {

class Session;

struct PayOptions {
    // Coins this payment must not spend, such as the coins of the offer a post carries or the
    // listing output while its listing post is paid for.
    std::vector<tx::Outpoint> hold_back;
    // Offer-locked coins the payment must spend when they are still unspent (the withdrawal of
    // an offer spends one of its coins, so the withdrawn offer can never complete).
    std::vector<tx::Outpoint> must_spend;
    // When set: the payment must spend one of must_spend, and when none of them can be gathered
    // (after fresh lists), it ends with MustSpendMissing and nothing is paid.
    bool refuse_without_must_spend = false;
};

// Pays the outputs, in their order, plus change to the change address. Returns the transaction
// sent (broadcast.h), or the failure: the wallet's (NoWallet, WalletLocked, NeedHdWallet), the
// change address's, the refresh's, funding's (after three tries; with a hold-back list, a
// shortfall reads ShareCoins with the shortfall as its cause), SigningFailed, the broadcaster's,
// NoBalance (with the last failure as its cause), BalanceNotSpendable, NoSpendableCoin,
// RetriesExhausted, MustSpendMissing or WalletChanged.
//
// Up to three attempts. A transaction some service took is sent (broadcast.h): the payment ends
// there. After "missing inputs" or a conflict, the chain is asked which inputs are spent, and
// only those join the spent set; an input the chain does not know, or could not be asked
// about, sits out the rest of this payment only. Every later attempt spends a coin of the first
// refused one (unless that one can no longer go through), and a transaction of an earlier
// attempt that turns up on the chain after all ends the payment as a success, so nothing is ever
// paid twice.
//
// Takes the wallet lock for its whole duration, the broadcast and its confirmation polls
// included, but lets go of every level of it (the caller's too) around the other network
// requests: the coin lists, the latest broadcasts' outputs, and the look-ups of its own
// transactions and inputs on the chain. When another wallet (or none) is bound once the lock is
// back, the payment ends with WalletChanged (a transaction of it already found on the chain
// still reports success). A caller must not rely on what it read under the lock before.
[[nodiscard]] FundingResult<Paid> pay_outputs(Session& session, const std::vector<tx::TxOutput>& outputs,
                                              const PayOptions& options);
[[nodiscard]] FundingResult<Paid> pay_outputs(Session& session, const std::vector<tx::TxOutput>& outputs,
                                              const std::vector<tx::Outpoint>& hold_back = {});

} // namespace funding
