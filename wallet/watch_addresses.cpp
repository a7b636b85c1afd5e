#include "wallet/watch_addresses.h"

#include <algorithm>

#include "wallet/wallet_keys.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_session.h"
#include "wallet/wallet_state.h"

namespace wallet {

namespace {

constexpr uint32_t ORDINALS_CHANGE_WATCHED = 5;

void add_once(std::vector<std::string>& list, const std::string& address)
{
    if (!address.empty() && std::find(list.begin(), list.end(), address) == list.end()) list.push_back(address);
}

} // namespace

std::vector<std::string> watch_addresses(WalletSession& session)
{
    WalletLock lock(session);
    const TvWalletState& s = session.state();
    std::vector<std::string> out;
    add_once(out, s.identity_address);
    add_once(out, s.recv_address);
    if (!s.hd) return out;
    for_each_chain_key(session, ORDINALS_ACCOUNT, 0, 0, s.recv[ORDINALS_ACCOUNT], [&](uint32_t, DerivedKey& key) {
        add_once(out, key.address);
        return false;
    });
    for_each_chain_key(session, ORDINALS_ACCOUNT, 1, 0, ORDINALS_CHANGE_WATCHED - 1, [&](uint32_t, DerivedKey& key) {
        add_once(out, key.address);
        return false;
    });
    return out;
}

} // namespace wallet
