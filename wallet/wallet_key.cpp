#include "wallet/wallet_key.h"

#include "wallet/app_binding.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_session.h"
#include "wallet/wallet_state.h"

namespace wallet {

namespace {

constexpr size_t WALLET_KEY_MAX = 80;

} // namespace

std::string wallet_key_of(std::string_view text)
{
    std::string out;
    for (unsigned char c : text) {
        const bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        out.push_back(alnum ? static_cast<char>(c) : '_');
        if (out.size() == WALLET_KEY_MAX) break;
    }
    return out.empty() ? std::string("wallet") : out;
}

std::string wallet_key(const WalletSession& session)
{
    WalletLock lock(session);
    std::string source = active_wallet_id(session);
    const TvWalletState& s = session.state();
    if (source.empty()) source = s.identity_address;
    if (source.empty()) source = s.recv_address;
    return wallet_key_of(source);
}

} // namespace wallet
