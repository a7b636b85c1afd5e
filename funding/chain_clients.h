// The service clients the funding layer talks through, built on each use from the current
// service configuration, and the timing of the confirmation polls. Tests may replace the HTTP
// client and shorten the polls.
#pragma once

#include <chrono>

#include "net/arc_client.h"
#include "net/http.h"
#include "net/ordinals_client.h"
#include "net/registry_client.h"
#include "net/woc_client.h"

namespace funding {

struct ChainClients {
    net::WocClient woc;
    net::OrdinalsClient ordinals;
    net::ArcClient arc;
    net::RegistryClient registry;
};

// Clients over net::current_services() and the HTTP client in use.
ChainClients chain_clients();

// The HTTP client the funding layer uses: net::default_http(), unless replaced. Passing null
// restores the default. The client must outlive its use.
void set_funding_http(net::Http* http);

struct PollTiming {
    std::chrono::milliseconds interval{700};  // between two looks for a transaction
    int rounds = 8;                           // looks before giving up
};

PollTiming poll_timing();
void set_poll_timing(PollTiming timing);

} // namespace funding
