// The simulated node's acceptance rules for a submitted transaction.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "devnet/chain_state.h"
#include "devnet/script_check.h"

namespace devnet {

enum class Verdict {
    accepted,
    already_in_mempool,
    already_mined,
    decode_failed,
    missing_inputs,    // an input's transaction is unknown
    spent_inputs,      // an input was spent by a mined transaction
    mempool_conflict,  // an input is spent by a transaction in the mempool
    duplicate_inputs,
    script_failed,
    overspend,
    bad_outputs,
    fee_too_low,
};

struct Judgement {
    Verdict verdict = Verdict::decode_failed;
    std::string txid;            // empty when the bytes do not parse
    std::string node_reason;     // the node's reject text, e.g. "258: txn-mempool-conflict"
    std::vector<std::string> competing;  // conflicting mempool transactions
    size_t input_index = 0;      // the failing input (script_failed, missing_inputs)
    size_t output_index = 0;     // the failing output (bad_outputs)
    int64_t fee = 0;
    int64_t min_fee = 0;
    TxRecord record;             // the parsed transaction with its input values, when accepted

    bool accepted() const { return verdict == Verdict::accepted; }
    bool already_known() const { return verdict == Verdict::already_in_mempool || verdict == Verdict::already_mined; }
};

// The node's minimum fee for a transaction of size bytes at fee_rate satoshis per 1000
// bytes: size * rate / 1000 rounded down, and at least 1 when the rate is positive.
int64_t min_fee_for(size_t size, int64_t fee_rate);

// Judges raw bytes against the node's view in state: parse; already known; every input
// exists and is unspent (mempool conflicts reported with the competing txids); inputs
// unique; outputs within the money range and not zero-value unless data; every input
// unlocks its previous output; outputs do not exceed inputs; the fee meets fee_rate.
// On acceptance the record holds the parse and the input values (not yet stored).
Judgement judge_transaction(const ChainState& state, core::ByteView raw, int64_t fee_rate);

} // namespace devnet
