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

bool hd_wallet_bound()
{
    wallet::WalletLock lock;
    return wallet::pursa_is_connected() && wallet::wallet_load() && wallet::wallet_state().hd;
}

std::string bound_wallet_key()
{
    return wallet::wallet_key();
}

std::string wallet_handle()
{
    std::string paymail = wallet::pursa_paymail();
    return paymail.substr(0, paymail.find('@'));
}

std::string wallet_identity_key()
{
    wallet::WalletLock lock;
    if (!hd_wallet_bound()) return {};
    return core::ascii_lower(wallet::wallet_state().identity_pub);
}

bool wallet_owns_hash(const core::Hash160& hash)
{
    wallet::WalletLock lock;
    return wallet::key_for_address(core::address_from_hash160(hash)).has_value();
}

} // namespace trade
