// Where a payment's change goes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/bytes.h"
#include "funding/error.h"
#include "wallet/wallet_session.h"

namespace funding {

// Whether the address is one of the market's own (house fee, book oracle, report fee, report
// oracle): money sent there is gone.
[[nodiscard]] bool is_house_address(std::string_view address);

// The market's own addresses, in the order above.
std::vector<std::string> house_addresses();

// The loaded wallet's main (receive) address, unless it is one of house; then the first
// receive address of account 1 (index order, up to "recv"[1]) that is not. ChangeAddressBad when
// the main address does not decode, ChangeOnHouse when every candidate is a house address.
// Wallet lock held.
[[nodiscard]] FundingResult<core::Hash160> choose_change_address(wallet::WalletSession& wallet, const std::vector<std::string>& house);
[[nodiscard]] FundingResult<core::Hash160> choose_change_address(wallet::WalletSession& wallet);  // with house_addresses()

} // namespace funding
