// After the network refused a payment for missing inputs or a conflict: which of its inputs
// are really gone.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tx/transaction.h"

namespace funding {

struct SpentVerdict {
    std::vector<size_t> gone;            // indexes of inputs spent on the chain or unknown to it
    std::vector<size_t> unanswered;      // indexes of inputs whose question failed
    std::optional<std::string> settled;  // one of own_txids spends an input: that payment went through
};

// Asks WhatsOnChain for each input whether it is spent. Spent or unknown to the chain: gone.
// When the question itself fails, the input is unanswered: nothing shows it gone, so it must
// not join the spent set for good (an unspent coin never leaves it). Inputs the chain shows
// unspent stay usable. Safe from any thread.
SpentVerdict check_spent_inputs(const std::vector<tx::TxInput>& inputs, const std::vector<std::string>& own_txids);

} // namespace funding
