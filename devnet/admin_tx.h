// Transactions the admin interface mints out of nothing: coinbase-style transactions that fund
// an address, deploy a BSV-21 token or inscribe a picture.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "tx/raw_tx.h"

namespace devnet {

// A transaction with one coinbase input (its script carries nonce, so that every such
// transaction has its own txid) and the given outputs.
core::Bytes coinbase_tx(uint64_t nonce, std::vector<tx::RawTxOutput> outputs);

// The 1-sat inscription lock of owner: the P2PKH lock then the envelope, or with
// envelope_first the envelope then the lock.
core::Bytes inscription_lock(const core::Hash160& owner, std::string_view content_type, core::ByteView body,
                             bool envelope_first);

// The deploy+mint body: {"p":"bsv-20","op":"deploy+mint","amt":...,"sym"?,"icon"?,"dec"?}, every
// value a string, members in sorted order.
std::string deploy_mint_json(const std::string& amount, const std::string& symbol, const std::string& icon,
                             const std::string& decimals);

} // namespace devnet
