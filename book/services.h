// The outside services the book reads, and the HTTP it reads them with. Every book function
// that touches the network takes one; the default is the program's configuration (mainnet, or
// what "services.json" names) over the process-wide HTTP client.
#pragma once

#include <memory>
#include <string>

#include "net/http.h"
#include "net/ordinals_client.h"
#include "net/registry_client.h"
#include "net/service_config.h"
#include "net/woc_client.h"

namespace book {

struct BookServices {
    std::shared_ptr<const net::ServiceConfig> config;
    net::Http* http = nullptr;
    std::string oracle_address;     // the book oracle: every post pays it
    std::string house_fee_address;  // every listing pays its fee here

    net::WocClient woc() const { return net::WocClient(config->woc_api, *http); }
    net::RegistryClient registry() const { return net::RegistryClient(config->registry, config->registry_domain, *http); }
    net::OrdinalsClient ordinals() const { return net::OrdinalsClient(config->ordinals_api, config->ordinals_content, *http); }
};

// The current configuration over net::default_http(), with the program's market addresses.
BookServices default_services();

} // namespace book
