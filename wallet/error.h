// Why a routine of the wallet layer did not do what it was asked: a code, and what varies.
// error_text gives the words the user reads for it.
#pragma once

#include <string>

#include "core/result.h"

namespace wallet {

enum class WalletCode {
    NotAnApp,           // connecting is for registered apps, not the vault itself
    RequestNotWritten,  // the connect request file could not be written
    Denied,             // Pursa refused the connect request
    NotApprovedInTime,  // no reply to the connect request before the polls ran out
    Locked,             // the wallet is locked in Pursa
    WouldNotLoad,       // approved, but the wallet file does not load
    NoWallet,           // no wallet is bound, or it does not load
    NoWatchAddresses,
    WalletChanged,      // another wallet (or none) is bound since the routine began
    BalanceUnreadable,  // WhatsOnChain did not answer the balance or address requests
    IndexUnavailable,   // the ordinals index did not answer and no lot was found
};

struct WalletError {
    WalletCode code = WalletCode::NoWallet;
    std::string detail;

    WalletError() = default;
    WalletError(WalletCode c, std::string d = {}) : code(c), detail(std::move(d)) {}
};

template <typename T>
using WalletResult = core::Result<T, WalletError>;

// The sentence the user reads for the error, without the error prefix the programs put before it.
// Safe from any thread.
std::string error_text(const WalletError& error);

} // namespace wallet
