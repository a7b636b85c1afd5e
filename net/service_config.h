// Where the outside services live and how fast they may be asked. Each base is a constant of the
// program (mainnet); the optional file "services.json" in the "agoran" folder of the data
// directory overrides any of them, which is how tests and the demo point the program at the
// local simulator.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace net {

// The registry host's own domain (paymail domain of handles) and the IPv4 address its requests
// are pinned to, so that they do not depend on name resolution.
inline constexpr std::string_view DEFAULT_REGISTRY_DOMAIN = "tavrinnode.example";
inline constexpr std::string_view REGISTRY_PINNED_IPV4 = "192.0.2.10";

// WhatsOnChain's free tier: about 3 requests a second, 429 beyond.
inline constexpr double DEFAULT_WOC_PACE = 3;

// Requests per second each service may be sent; 0: no pacing.
struct ServicePaces {
    double woc = DEFAULT_WOC_PACE;
    double ordinals = 0;
    double arc = 0;
    double registry = 0;
    bool operator==(const ServicePaces&) const = default;
};

struct ServiceConfig {
    std::string woc_api = "https://api.whatsonchain.com/v1/bsv/main";
    std::string woc_site = "https://whatsonchain.com";
    std::string ordinals_api = "https://ordinals.gorillapool.io/api";
    std::string ordinals_content = "https://ordinals.gorillapool.io";
    std::string arc = "https://arc.gorillapool.io";
    std::string registry = "https://" + std::string(DEFAULT_REGISTRY_DOMAIN);
    std::string registry_domain = std::string(DEFAULT_REGISTRY_DOMAIN);
    std::string product_page = "https://" + std::string(DEFAULT_REGISTRY_DOMAIN) + "/agoran";
    // Sent to WhatsOnChain as its "Authorization" header when set; with a key the user may set
    // a faster pace for it.
    std::string woc_api_key;
    ServicePaces pace;

    // The WhatsOnChain web page of a transaction, for the user's browser.
    [[nodiscard]] std::string tx_page_url(const std::string& txid) const { return woc_site + "/tx/" + txid; }
    bool operator==(const ServiceConfig&) const = default;
};

// platform::data_dir() / "agoran" / "services.json".
std::filesystem::path services_file_path();

// Reads the text of a services.json: a JSON object whose members "woc_api", "woc_site",
// "ordinals_api", "ordinals_content", "arc", "registry", "product_page" (each an https URL, or
// an http URL of a loopback host: url_policy.h), "registry_domain" (a bare host name),
// "woc_api_key" (printable ASCII without blanks, at most 256 characters) and "pace" (an object
// whose members "woc", "ordinals", "arc" and "registry" are requests per second from 0, no
// pacing, to 1000), all optional, replace the mainnet values. Other members are ignored. One
// trailing "/" of a URL is dropped. Returns nullopt, with the reason in *why when given, for
// anything else: nothing is half-applied.
std::optional<ServiceConfig> parse_services_json(std::string_view text, std::string* why = nullptr);

// The configuration from file: mainnet when the file is absent; mainnet and a logged warning
// when it cannot be read or is malformed.
ServiceConfig load_services(const std::filesystem::path& file);

// How the program names a configuration that is not its own, for the desktop's title and
// agoran-cli's standard error: "" for the mainnet services; "Simulator at HOST:PORT" when every
// service is at one loopback host and port (what agoran-devnet --write-services writes);
// otherwise "Custom services". Pure.
std::string services_badge(const ServiceConfig& config);

// load_services(services_file_path()), shared: what a program builds its session from, once at
// start.
std::shared_ptr<const ServiceConfig> load_services_file();

// Enters the paces and headers of a configuration into the HTTP client's table (net/pace.h).
void register_service_access(const ServiceConfig& config);

} // namespace net
