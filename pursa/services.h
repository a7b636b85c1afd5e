// What Pursa asks of the outside services: publishing a paymail name at the registry host and,
// against the local simulator, paying a wallet.
#pragma once

#include <cstdint>
#include <string>

namespace pursa {

inline constexpr int64_t DEFAULT_FUND_SATS = 1'000'000;

// Publishes the identity key for the name at the registry host. "" on success, else a sentence.
std::string publish_paymail(const std::string& name, const std::string& identity_pubkey);

// Asks the simulator's admin interface to pay the wallet's receive address. "success: " + txid
// or "error: ...".
std::string fund_wallet(const std::string& wallet_id, int64_t sats);

} // namespace pursa
