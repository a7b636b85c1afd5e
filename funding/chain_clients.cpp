#include "funding/chain_clients.h"

#include "funding/session.h"

namespace funding {

ChainClients chain_clients(const Session& session)
{
    const net::ServiceConfig& config = session.services();
    net::Http& h = session.http();
    return ChainClients{net::WocClient(config.woc_api, h), net::OrdinalsClient(config.ordinals_api, config.ordinals_content, h),
                        net::ArcClient(config.arc, h), net::RegistryClient(config.registry, config.registry_domain, h)};
}

} // namespace funding
