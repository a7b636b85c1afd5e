// Adding token amounts given as decimal text, of any length.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace wallet {

// a + b, digit by digit with carry; an empty text counts as 0. The sum has no leading zeros
// ("0" for zero). nullopt when either text holds anything but the digits 0-9.
std::optional<std::string> decimal_sum(std::string_view a, std::string_view b);

} // namespace wallet
