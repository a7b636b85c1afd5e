#include "wallet/error.h"

namespace wallet {

std::string error_text(const WalletError& error)
{
    switch (error.code) {
    case WalletCode::NotAnApp: return "connect is for apps, not the Pursa vault.";
    case WalletCode::RequestNotWritten: return "could not write connect request.";
    case WalletCode::Denied: return "connect denied in Pursa.";
    case WalletCode::NotApprovedInTime: return "Pursa did not approve in time. Open Pursa.exe and try Connect again.";
    case WalletCode::Locked: return "This wallet is locked. Open it in Pursa.";
    case WalletCode::WouldNotLoad: return "approved, but the wallet would not load.";
    case WalletCode::NoWallet: return "no Pursa wallet.";
    case WalletCode::NoWatchAddresses: return "no watch addresses.";
    case WalletCode::WalletChanged: return "wallet changed.";
    case WalletCode::BalanceUnreadable: return "could not read the balance.";
    case WalletCode::IndexUnavailable: return "1Sat index unavailable. 1-sat coins are held back from spend.";
    }
    return "wallet failed.";
}

} // namespace wallet
