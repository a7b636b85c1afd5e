// Checking that a transaction given as chain JSON is the transaction its txid names.
#pragma once

#include <optional>
#include <string>

#include "book/post.h"

namespace book {

// Rebuilds the wire form of the transaction from its chain JSON ("version", "vin" with
// "txid", "vout", "scriptSig"."hex", "sequence" or "coinbase"; "vout" with amounts and full
// script hex; "locktime") and returns its txid, or nullopt when a member is missing, malformed
// or truncated. Safe from any thread.
std::optional<std::string> chain_tx_txid(const Json& tx);


} // namespace book
