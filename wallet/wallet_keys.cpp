#include "wallet/wallet_keys.h"

#include "core/base58.h"
#include "wallet/mnemonic.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_session.h"
#include "wallet/wallet_state.h"

namespace wallet {

namespace {

// The cached master key, computing seed and master on first use. Null on failure (both caches
// then wiped).
const core::SecretBytes* cached_master(TvWalletState& s)
{
    if (s.master_ready) return &s.master;
    if (s.mnemonic.empty()) return nullptr;
    if (!s.seed_ready) {
        s.seed = mnemonic_to_seed(s.mnemonic.view());
        s.seed_ready = s.seed.size() == 64;
        if (!s.seed_ready) {
            s.seed.clear();
            return nullptr;
        }
    }
    s.master = master_key_from_seed(s.seed.view());
    s.master_ready = s.master.size() == 64;
    if (!s.master_ready) {
        s.master.clear();
        s.seed.clear();
        s.seed_ready = false;
        return nullptr;
    }
    return &s.master;
}

} // namespace

std::optional<DerivedKey> derive_path(WalletSession& session, const DerivationPath& path)
{
    WalletLock lock(session);
    const core::SecretBytes* master = cached_master(session.state());
    if (!master) return std::nullopt;
    return derive_from_master(*master, path);
}

bool for_each_chain_key(WalletSession& session, uint32_t account, uint32_t chain, uint32_t first, uint32_t last,
                        const std::function<bool(uint32_t, DerivedKey&)>& visit)
{
    if (account >= ACCOUNT_COUNT) return false;
    WalletLock lock(session);
    const core::SecretBytes* master = cached_master(session.state());
    if (!master) return false;
    DerivationPath path = account_path(account, 0);
    path[3] = chain;
    core::SecretBytes parent = derive_chain_parent(*master, path);
    if (parent.empty()) return false;
    for (uint32_t i = first; i <= last; ++i) {
        auto key = derive_last_level(parent, i);
        if (key && visit(i, *key)) break;
        if (i == UINT32_MAX) break;
    }
    return true;
}

bool derive_wallet_keys(WalletSession& session)
{
    WalletLock lock(session);
    TvWalletState& s = session.state();
    if (!s.hd) return !s.recv_address.empty();
    s.shown = std::min(s.shown, s.recv[RECEIVE_ACCOUNT]);
    auto receive = derive_path(session, account_path(RECEIVE_ACCOUNT, s.shown));
    if (!receive) return false;
    s.recv_priv = std::move(receive->priv_hex);
    s.recv_pub = std::move(receive->pub_hex);
    s.recv_address = std::move(receive->address);
    auto identity = derive_path(session, identity_path());
    if (!identity) return false;
    s.identity_pub = std::move(identity->pub_hex);
    s.identity_address = std::move(identity->address);
    return true;
}

std::optional<DerivedKey> account_key(WalletSession& session, uint32_t account, uint32_t index)
{
    if (account >= ACCOUNT_COUNT) return std::nullopt;
    return derive_path(session, account_path(account, index));
}

std::optional<DerivedKey> ordinals_change_key(WalletSession& session, uint32_t index)
{
    return derive_path(session, ordinals_change_path(index));
}

std::optional<DerivedKey> ordinals_key(WalletSession& session)
{
    WalletLock lock(session);
    return derive_path(session, account_path(ORDINALS_ACCOUNT, session.state().recv[ORDINALS_ACCOUNT]));
}

OrdinalsAddress ordinals_address(WalletSession& session)
{
    WalletLock lock(session);
    OrdinalsAddress out;
    if (!session.state().hd) {
        out.error = "need an HD Pursa wallet.";
        return out;
    }
    auto key = ordinals_key(session);
    if (!key) {
        out.error = "could not derive the ordinals address.";
        return out;
    }
    out.hash = core::hash160_from_address(key->address);
    if (!out.hash) out.error = "ordinals address decode failed.";
    return out;
}

std::optional<DerivedKey> key_for_address(WalletSession& session, std::string_view address)
{
    if (!core::hash160_from_address(address)) return std::nullopt;
    WalletLock lock(session);
    TvWalletState& s = session.state();
    if (!s.hd) {
        if (s.recv_address.empty() || address != s.recv_address) return std::nullopt;
        DerivedKey held;
        held.priv_hex.assign(s.recv_priv.str());
        held.pub_hex = s.recv_pub;
        held.address = s.recv_address;
        return held;
    }
    std::optional<DerivedKey> found;
    for (uint32_t account = 0; account < ACCOUNT_COUNT && !found; ++account) {
        for_each_chain_key(session, account, 0, 0, s.recv[account], [&](uint32_t, DerivedKey& key) {
            if (key.address != address) return false;
            found = std::move(key);
            return true;
        });
    }
    if (found) return found;
    auto identity = derive_path(session, identity_path());
    if (identity && identity->address == address) return identity;
    return std::nullopt;
}

std::optional<std::string> wallet_address_for_hash160(WalletSession& session, const core::Hash160& hash)
{
    WalletLock lock(session);
    TvWalletState& s = session.state();
    auto matches = [&](const std::string& address) {
        auto h = core::hash160_from_address(address);
        return h && *h == hash;
    };
    if (!s.recv_address.empty() && matches(s.recv_address)) return s.recv_address;
    if (s.hd) {
        std::optional<std::string> found;
        for_each_chain_key(session, RECEIVE_ACCOUNT, 0, 0, s.recv[RECEIVE_ACCOUNT], [&](uint32_t, DerivedKey& key) {
            if (!matches(key.address)) return false;
            found = key.address;
            return true;
        });
        if (found) return found;
    }
    if (!s.identity_address.empty() && matches(s.identity_address)) return s.identity_address;
    return std::nullopt;
}

} // namespace wallet
