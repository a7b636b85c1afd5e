#include "wallet/paymail_domain.h"

#include "wallet/wallet_session.h"

namespace wallet {

std::string paymail_domain(const WalletSession& session)
{
    return session.services().registry_domain;
}

} // namespace wallet
