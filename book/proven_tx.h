// A transaction is its bytes: the book reads a transaction only from raw bytes whose double
// SHA-256 is the txid it asked for, whatever service gave them.
#pragma once

#include <optional>
#include <string_view>

#include "tx/raw_tx.h"

namespace book {

// The transaction the hex holds, when the hex decodes, double SHA-256 of the bytes is txid (64
// hex digits in display order, either case) and the bytes parse whole; nullopt otherwise.
// Safe from any thread.
std::optional<tx::RawTx> prove_raw_tx(std::string_view txid, std::string_view hex);

} // namespace book
