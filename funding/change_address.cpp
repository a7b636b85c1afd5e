#include "funding/change_address.h"

#include <algorithm>

#include "core/base58.h"
#include "funding/wallet_addresses.h"
#include "net/market_addresses.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_state.h"

namespace funding {

namespace {

bool listed(const std::vector<std::string>& house, std::string_view address)
{
    return std::find(house.begin(), house.end(), address) != house.end();
}

} // namespace

std::vector<std::string> house_addresses()
{
    return {std::string(net::HOUSE_FEE_ADDRESS), std::string(net::BOOK_ORACLE_ADDRESS),
            std::string(net::REPORT_FEE_ADDRESS), std::string(net::REPORT_ORACLE_ADDRESS)};
}

bool is_house_address(std::string_view address)
{
    return listed(house_addresses(), address);
}

FundingResult<core::Hash160> choose_change_address(wallet::WalletSession& wallet)
{
    return choose_change_address(wallet, house_addresses());
}

FundingResult<core::Hash160> choose_change_address(wallet::WalletSession& wallet, const std::vector<std::string>& house)
{
    wallet::WalletLock lock(wallet);
    const std::string main = wallet.state().recv_address;
    if (!listed(house, main)) {
        auto hash = core::hash160_from_address(main);
        if (!hash) return FundingError(FundingCode::ChangeAddressBad);
        return *hash;
    }
    for (const auto& a : payment_addresses(wallet, false)) {
        if (a.address == wallet.state().identity_address) continue;
        if (!listed(house, a.address)) return a.hash;
    }
    return FundingError(FundingCode::ChangeOnHouse);
}

} // namespace funding
