#include "ui/wallet_snapshot.h"

#include "core/amount.h"

namespace ui {

std::string wallet_value_text(const WalletSnapshot& wallet)
{
    if (!wallet.bound) return "not connected";
    if (!wallet.paymail.empty()) return wallet.paymail;
    if (!wallet.address.empty()) return wallet.address;
    return "connected";
}

std::string balance_value_text(const WalletSnapshot& wallet)
{
    if (!wallet.bound) return "-";
    if (wallet.balance_sats > 0 || (wallet.balance_known && wallet.balance_sats >= 0))
        return core::format_bsv(wallet.balance_sats) + " BSV";
    return "...";
}

std::string copy_text(const WalletSnapshot& wallet)
{
    if (!wallet.paymail.empty()) return wallet.paymail;
    return wallet.address;
}

} // namespace ui
