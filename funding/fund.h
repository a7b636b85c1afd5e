// Choosing the inputs of a payment and its change.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "funding/error.h"
#include "tx/transaction.h"

namespace funding {

struct Funded {
    bool ok = false;
    std::vector<tx::TxInput> inputs;    // the chosen candidates, in candidate order
    std::vector<tx::TxOutput> outputs;  // the requested outputs, then the change output if any
    core::Amount fee = 0;
    FundingError error;  // when !ok
};

// Takes the first `forced` candidates unconditionally (capped at the candidate count), then
// adds the rest one at a time in candidate order, never sorting, until the inputs cover the
// outputs and the fee of the transaction with a change output. Change of 1 satoshi or more
// gets a P2PKH output to change_hash when it still is at least 1 after the fee of that output.
// Errors: NothingToPay, InvalidOutput (a negative or too large value, an empty script),
// ForcedInputBad (a forced candidate whose value is negative or above MAX_MONEY), BuildFailed, and
// Insufficient with what the transaction needs and what the chosen inputs have. On failure
// inputs, outputs and fee show the last attempt.
// Safe from any thread.
Funded fund_transaction(const std::vector<tx::TxInput>& candidates, const std::vector<tx::TxOutput>& requested,
                        const core::Hash160& change_hash, size_t forced);

} // namespace funding
