// The architect's side of a report: finding the report envelope in a transaction that paid the
// report oracle and opening its sealed text with the architect's key.
#pragma once

#include <nlohmann/json.hpp>

#include "book/signing.h"
#include "core/bytes.h"

namespace devnet {

// {"txid", "handle", "to_handle", "from_key", "text"} for a report the key opens;
// {"txid", "handle", "error"} when the transaction carries no report envelope, its signature
// does not verify against the key the registry holds for its sender (identity_key), it does not
// sign the sealed text it carries, or the key does not open it.
nlohmann::json open_report(const std::string& txid, core::ByteView raw_tx, core::ByteView architect_key,
                           const book::IdentityKeyLookup& identity_key);

} // namespace devnet
