// The family's paymail domain: the registry host's domain of the session's services, the part
// of a handle after "@".
#pragma once

#include <string>

namespace wallet {

class WalletSession;

std::string paymail_domain(const WalletSession& session);

} // namespace wallet
