#include "funding/wallet_addresses.h"

#include "core/base58.h"
#include "wallet/hd_derive.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_state.h"

namespace funding {

namespace {

void add(std::vector<WalletAddress>& out, wallet::DerivedKey& key, bool with_keys)
{
    auto hash = core::hash160_from_address(key.address);
    if (!hash) return;
    WalletAddress a;
    a.address = key.address;
    a.hash = *hash;
    if (with_keys) {
        a.priv_hex = std::move(key.priv_hex);
        a.pub_hex = key.pub_hex;
    }
    out.push_back(std::move(a));
}

} // namespace

std::vector<WalletAddress> payment_addresses(wallet::WalletSession& wallet, bool with_keys)
{
    wallet::WalletLock lock(wallet);
    std::vector<WalletAddress> out;
    const auto& state = wallet.state();
    if (!state.hd) return out;
    (void)wallet::for_each_chain_key(wallet, wallet::RECEIVE_ACCOUNT, 0, 0, state.recv[wallet::RECEIVE_ACCOUNT],
                                     [&](uint32_t, wallet::DerivedKey& key) {
                                         add(out, key, with_keys);
                                         return false;
                                     });
    if (auto identity = wallet::derive_path(wallet, wallet::identity_path())) add(out, *identity, with_keys);
    return out;
}

} // namespace funding
