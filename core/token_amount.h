// Token quantities as people read and type them. A token's amounts travel in base units
// (decimal digits, as the token's inscriptions carry them); the token's decimals say where the
// point goes. All functions are pure and safe from any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace core {

// Largest number of decimals a token may declare.
inline constexpr int MAX_TOKEN_DECIMALS = 18;

// Returns base units shown in token units: the point placed `decimals` digits from the right,
// trailing fraction zeros dropped, the whole part grouped by thousands with ",":
// ("84000000000", 8) -> "840", ("84000000001", 8) -> "840.00000001", ("250000", 0) -> "250,000",
// ("5", 2) -> "0.05". Leading zeros of the input are ignored. nullopt when base_units is empty,
// holds anything but digits, or decimals is outside 0..MAX_TOKEN_DECIMALS.
std::optional<std::string> format_token_amount(std::string_view base_units, int decimals);

// Returns what the user typed in token units as base units (canonical digits, no leading
// zeros; "0" for zero): digits with optional "," between thousands groups of the whole part, an
// optional "." and at most `decimals` fraction digits; surrounding blanks are ignored. nullopt
// for anything else (a sign, an exponent, misplaced commas, more fraction digits than the token
// has, an empty text) or when decimals is outside 0..MAX_TOKEN_DECIMALS.
std::optional<std::string> parse_token_amount(std::string_view text, int decimals);

// Returns digits grouped by thousands with ",": "1234567" -> "1,234,567". Text that is not all
// digits is returned unchanged.
std::string group_digits(std::string_view digits);

} // namespace core
