// The outside services the book reads, the HTTP it reads them with and the caches it keeps their
// answers in. Every book function that touches the network or a cache takes one.
#pragma once

#include <memory>
#include <string>

#include "book/caches.h"
#include "core/market_clock.h"
#include "net/http.h"
#include "net/ordinals_client.h"
#include "net/registry_client.h"
#include "net/service_config.h"
#include "net/woc_client.h"

namespace wallet {
class WalletSession;
}

namespace book {

struct BookServices {
    std::shared_ptr<const net::ServiceConfig> config;
    net::Http* http = nullptr;
    Caches* caches = nullptr;       // where the answers are kept; set whenever the services are used
    const core::MarketClock* clock = nullptr;  // the market's moment; the system clock when null
    std::string oracle_address;     // the book oracle: every post pays it
    std::string house_fee_address;  // every listing pays its fee here
    // The session of the wallet that signs posts and whose listings are its own; none when null.
    wallet::WalletSession* wallet = nullptr;

    [[nodiscard]] net::WocClient woc() const { return net::WocClient(config->woc_api, *http); }
    [[nodiscard]] net::RegistryClient registry() const { return net::RegistryClient(config->registry, config->registry_domain, *http); }
    [[nodiscard]] net::OrdinalsClient ordinals() const { return net::OrdinalsClient(config->ordinals_api, config->ordinals_content, *http); }

    // The moment posts are stamped at and listings expire against.
    [[nodiscard]] int64_t market_now() const { return clock ? clock->now() : core::system_seconds(); }
};

// The services of config over http with the market's oracle and house-fee addresses, keeping
// answers in caches and acting at the clock's moment (http, caches and clock must outlive the
// services).
BookServices market_services(std::shared_ptr<const net::ServiceConfig> config, net::Http& http, Caches& caches,
                             const core::MarketClock& clock);

} // namespace book
