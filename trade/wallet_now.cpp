#include "trade/wallet_now.h"

#include "book/post.h"
#include "core/base58.h"
#include "wallet/connect.h"
#include "wallet/wallet_file.h"
#include "wallet/wallet_key.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_state.h"

namespace trade {

bool hd_wallet_bound(wallet::WalletSession& wallet)
{
    wallet::WalletLock lock(wallet);
    return wallet::pursa_is_connected(wallet) && wallet::wallet_load(wallet) && wallet.state().hd;
}

std::string bound_wallet_key(wallet::WalletSession& wallet)
{
    return wallet::wallet_key(wallet);
}

std::string wallet_handle(wallet::WalletSession& wallet)
{
    std::string paymail = wallet::pursa_paymail(wallet);
    return paymail.substr(0, paymail.find('@'));
}

std::string wallet_identity_key(wallet::WalletSession& wallet)
{
    wallet::WalletLock lock(wallet);
    if (!hd_wallet_bound(wallet)) return {};
    return core::ascii_lower(wallet.state().identity_pub);
}

bool wallet_owns_hash(wallet::WalletSession& wallet, const core::Hash160& hash)
{
    wallet::WalletLock lock(wallet);
    return wallet::key_for_address(wallet, core::address_from_hash160(hash)).has_value();
}

} // namespace trade
