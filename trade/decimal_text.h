// Token quantities as decimal text of any length: the offer builder compares and subtracts
// them without ever passing them through a fixed-width number.
#pragma once

#include <string>
#include <string_view>

namespace trade {

// Blanks and tabs trimmed at both ends, leading zeros removed (one digit kept); a text holding
// anything but the digits 0-9 after trimming, or nothing at all, gives "".
std::string normalize_decimal(std::string_view text);

// -1, 0 or 1 as a is below, equal to or above b; both normalised (by length, then digit by digit).
int compare_decimal(const std::string& a, const std::string& b);

// a - b for normalised a >= b, normalised ("0" for zero). "" when a < b.
std::string subtract_decimal(const std::string& a, const std::string& b);

} // namespace trade
