// The service clients the funding layer talks through, built on each use from the session's
// service configuration and HTTP client.
#pragma once

#include "net/arc_client.h"
#include "net/ordinals_client.h"
#include "net/registry_client.h"
#include "net/woc_client.h"

namespace funding {

class Session;

struct ChainClients {
    net::WocClient woc;
    net::OrdinalsClient ordinals;
    net::ArcClient arc;
    net::RegistryClient registry;
};

ChainClients chain_clients(const Session& session);

} // namespace funding
