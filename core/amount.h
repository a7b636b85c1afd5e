// Satoshi amounts: the display form and the parser for amounts the user types in BSV. All
// functions are pure and safe from any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/bytes.h"

namespace core {

// Returns the display form "[-]<whole BSV>.<eight digits>", as printf "%s%lld.%08lld" gives
// it: 1 -> "0.00000001", -150000000 -> "-1.50000000", 0 -> "0.00000000". Every value of the type
// is handled, the most negative one included.
std::string format_bsv(Amount sats);

// The same form for an unsigned count of satoshis as posts carry it (a price or a payment):
// every value up to 2^64 - 1 prints as itself, never as a negative amount.
std::string format_bsv_sats(uint64_t sats);

// Parses an amount in BSV typed by the user: digits, optionally "." and more digits, nothing
// else (no sign, blank, comma or exponent; the text is not trimmed). At least one digit is
// needed; "1." and ".5" are accepted; fraction digits after the eighth are ignored (truncated,
// not rounded). Returns the amount in satoshis, or nullopt when the text is malformed, the
// whole part exceeds 92,233,720,368, or the result is zero or beyond the signed 64-bit range.
std::optional<Amount> parse_bsv_amount(std::string_view text);

} // namespace core
