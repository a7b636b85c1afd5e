// A transaction as the simulated chain holds it: the wire form exactly as submitted, its
// parse, and what the chain learnt about it when it was accepted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "tx/raw_tx.h"

namespace devnet {

// Previous txid of a coinbase input (all zero) and its index.
inline constexpr uint32_t COINBASE_INDEX = 0xFFFFFFFF;

struct TxRecord {
    std::string txid;
    core::Bytes raw;
    tx::RawTx tx;
    // Value of the output each input spends; -1 when the chain does not know it (a coinbase
    // input, or a trusted import whose parent is not on the chain).
    std::vector<int64_t> input_values;
    int64_t height = -1;      // block height; -1 while in the mempool
    int64_t block_index = 0;  // position in its block
    uint64_t sequence = 0;    // first-seen order over the whole chain
    int64_t time = 0;         // first seen, seconds since the epoch
    bool trusted = false;     // imported without validation
    bool visible = true;      // shown by the indexes (see Chain::set_visibility_delay)
    bool seeded = false;      // only outputs seeded by the admin, no transaction: never shown

    bool confirmed() const { return height >= 0; }
};

// True when the input spends nothing (the all-zero previous txid with index 0xFFFFFFFF).
bool is_coinbase_input(const tx::RawTxInput& input);

// The txid of raw bytes: SHA-256d, reversed, lower-case hex.
std::string txid_of(core::ByteView raw);

} // namespace devnet
