#include "funding/chain_clients.h"

#include <atomic>

#include "core/mutex.h"
#include "net/http_client.h"
#include "net/service_config.h"

namespace funding {

namespace {

std::atomic<net::Http*> g_http{nullptr};
core::Mutex g_timing_mutex;
PollTiming g_timing AGORAN_GUARDED_BY(g_timing_mutex);

} // namespace

ChainClients chain_clients()
{
    auto config = net::current_services();
    net::Http* http = g_http.load();
    net::Http& h = http ? *http : net::default_http();
    return ChainClients{net::WocClient(config->woc_api, h), net::OrdinalsClient(config->ordinals_api, config->ordinals_content, h),
                        net::ArcClient(config->arc, h), net::RegistryClient(config->registry, config->registry_domain, h)};
}

void set_funding_http(net::Http* http)
{
    g_http.store(http);
}

PollTiming poll_timing()
{
    core::MutexLock guard(g_timing_mutex);
    return g_timing;
}

void set_poll_timing(PollTiming timing)
{
    core::MutexLock guard(g_timing_mutex);
    g_timing = timing;
}

} // namespace funding
