// After the network refused a payment for missing inputs or a conflict: which of its inputs
// are really gone.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tx/transaction.h"

namespace funding {

class Session;

struct SpentVerdict {
    std::vector<size_t> gone;            // indexes of inputs the chain shows spent
    std::vector<size_t> unspent;         // indexes of inputs the chain shows unspent
    std::vector<size_t> unknown;         // indexes of inputs the chain does not know (400)
    std::vector<size_t> unanswered;      // indexes of inputs whose question failed
    std::optional<tx::Txid> settled;     // one of own_txids spends an input: that payment went through
    bool dead = false;                   // an input is spent by a transaction not in own_txids
};

// Asks WhatsOnChain for each input whether it is spent. Only an answer that names the spending
// transaction shows an input gone: a service that does not know the output, or could not be
// asked, has shown nothing, and such an input must not join the spent set (an unspent coin
// never leaves it). Safe from any thread.
SpentVerdict check_spent_inputs(const Session& session, const std::vector<tx::TxInput>& inputs, const std::vector<tx::Txid>& own_txids);

} // namespace funding
