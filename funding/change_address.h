// Where a payment's change goes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/bytes.h"

namespace funding {

// Whether the address is one of the market's own (house fee, book oracle, report fee, report
// oracle): money sent there is gone.
[[nodiscard]] bool is_house_address(std::string_view address);

struct ChangeAddress {
    std::optional<core::Hash160> hash;
    std::string error;  // "pursa address decode failed." or "change would land on a house oracle."
};

// The market's own addresses, in the order above.
std::vector<std::string> house_addresses();

// The loaded wallet's main (receive) address, unless it is one of house; then the first
// receive address of account 1 (index order, up to "recv"[1]) that is not. Wallet lock held.
ChangeAddress choose_change_address(const std::vector<std::string>& house);
ChangeAddress choose_change_address();  // with house_addresses()

} // namespace funding
