#include "wallet/paymail_domain.h"

namespace wallet {

std::string paymail_domain()
{
    return "tavrinnode.com";
}

} // namespace wallet
