#include "wallet/paymail_domain.h"

#include "net/service_config.h"

namespace wallet {

std::string paymail_domain()
{
    return net::current_services()->registry_domain;
}

} // namespace wallet
