// Everything the simulated chain knows: the node's view (transactions, spends, mempool,
// blocks) and the indexes the services answer from. Plain data with no lock of its own; the
// Chain class guards it. Every lookup is a hash-map access or a walk over one address's,
// one token's or one transaction's own entries, never over the whole chain.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <nlohmann/json.hpp>

#include "devnet/chain_tx.h"
#include "devnet/outpoint_key.h"

namespace devnet {

struct SpendRef {
    std::string txid;
    uint32_t vin = 0;
};

struct Block {
    int64_t height = 0;
    std::string hash;
    int64_t time = 0;
    std::vector<std::string> txids;
};

// WhatsOnChain's view of one address (its exact P2PKH script).
struct AddressEntry {
    std::vector<std::string> history;  // txids that pay or spend the address, first seen first
    std::vector<std::string> paid_by;  // txids with an output paying the address, first seen first
    std::vector<Outpoint> outputs;     // every output ever paid to it
};

// The ordinals indexer's view of one output that has an owner or an origin.
struct TxoEntry {
    std::string owner;    // address, or empty (a lock with no P2PKH owner)
    std::string origin;   // origin outpoint text, or empty
    nlohmann::json data;  // this output's own indexer data, or null
};

struct OriginEntry {
    Outpoint outpoint;
    uint64_t inum = 0;
    nlohmann::json data;  // the origin output's data
};

// One BSV-21 token output. status: 1 valid, -1 invalid.
struct TokenOutput {
    std::string id;
    std::string op;
    uint64_t amt = 0;
    int status = 1;
    std::string reason;
};

struct TokenDef {
    std::string id;
    Outpoint outpoint;
    uint64_t amt = 0;
    std::string sym;
    std::string icon;
    int dec = 0;
};

class ChainState {
public:
    // --- node view ---
    std::unordered_map<std::string, TxRecord> txs;
    std::vector<std::string> mempool;  // unmined txids in first-seen order
    std::vector<Block> blocks;         // blocks[i].height == i + 1
    std::unordered_map<Outpoint, SpendRef, OutpointHash> spent_by;
    uint64_t next_sequence = 0;

    // --- indexes: visible transactions only ---
    std::unordered_map<std::string, AddressEntry> addresses;
    std::unordered_map<Outpoint, TxoEntry, OutpointHash> txos;
    std::unordered_map<std::string, std::vector<Outpoint>> owner_txos;
    std::unordered_map<std::string, OriginEntry> origins;
    uint64_t next_inum = 1;
    std::unordered_map<Outpoint, TokenOutput, OutpointHash> token_outputs;
    std::unordered_map<std::string, TokenDef> tokens;
    std::unordered_map<std::string, std::vector<Outpoint>> token_outputs_by_id;

    int64_t tip_height() const { return static_cast<int64_t>(blocks.size()); }
    const Block* block_at(int64_t height) const;

    // A transaction the node has (visible or not), or null.
    const TxRecord* find_tx(std::string_view txid) const;
    // A transaction the indexes show, or null.
    const TxRecord* find_visible(std::string_view txid) const;
    // The output an outpoint names, or null when the node does not have it.
    const tx::RawTxOutput* find_output(const Outpoint& outpoint) const;
    // Who spent an outpoint, or null.
    const SpendRef* spender(const Outpoint& outpoint) const;

    // Adds an accepted transaction to the node's view (the mempool) and marks its spends.
    // The record's sequence is assigned here. Returns the stored record.
    TxRecord& add_to_node(TxRecord record);
    // Creates (or extends) the stand-in of a transaction that is not on this chain, so that
    // its output at outpoint exists with value and script. Other outputs of the stand-in are
    // empty placeholders nobody can spend. False when the txid is a real transaction here or
    // that output is already seeded.
    bool seed_output(const Outpoint& outpoint, uint64_t value, core::Bytes script);
    // Adds a visible transaction to every index (addresses, ordinals, tokens).
    void index_tx(TxRecord& record);
    // Mines the mempool into one block at the given time. Returns the new block.
    const Block& mine_block(int64_t time);

private:
    void index_addresses(const TxRecord& record);
    void index_ordinals(const TxRecord& record);
    void index_tokens(const TxRecord& record);
};

} // namespace devnet
