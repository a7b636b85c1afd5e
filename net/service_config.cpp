#include "net/service_config.h"

#include <fstream>
#include <sstream>
#include <system_error>
#include <utility>

#include "core/json_get.h"
#include "core/log.h"
#include "net/pace.h"
#include "net/url_policy.h"
#include "platform/data_dir.h"

namespace net {

namespace {

constexpr size_t MAX_SERVICES_FILE = 64 * 1024;
constexpr size_t MAX_API_KEY = 256;
constexpr double MAX_PACE = 1000;

// A key goes into a header line: printable ASCII, no blanks, no line ends.
bool is_api_key(const std::string& text)
{
    if (text.empty() || text.size() > MAX_API_KEY) return false;
    for (char c : text) {
        if (c <= 0x20 || c >= 0x7f) return false;
    }
    return true;
}

// The "pace" member into paces; false with why for anything but an object of numbers in range.
bool read_paces(const core::Json& pace, ServicePaces& paces, std::string& why)
{
    if (!pace.is_object()) {
        why = "\"pace\" is not an object";
        return false;
    }
    const std::pair<const char*, double ServicePaces::*> members[] = {
        {"woc", &ServicePaces::woc}, {"ordinals", &ServicePaces::ordinals}, {"arc", &ServicePaces::arc},
        {"registry", &ServicePaces::registry}};
    for (const auto& [name, field] : members) {
        const core::Json* value = core::json_member(pace, name);
        if (!value) continue;
        if (!value->is_number() || !(value->get<double>() >= 0 && value->get<double>() <= MAX_PACE)) {
            why = std::string("\"pace\".\"") + name + "\" is not a number of requests per second from 0 to 1000";
            return false;
        }
        paces.*field = value->get<double>();
    }
    return true;
}

bool is_web_url(const std::string& text)
{
    auto has_prefix = [&](std::string_view p) { return text.size() > p.size() && text.compare(0, p.size(), p) == 0; };
    if (!has_prefix("http://") && !has_prefix("https://")) return false;
    for (char c : text) {
        auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7f) return false;
    }
    return true;
}

bool is_host_name(const std::string& text)
{
    if (text.empty() || text.size() > 253) return false;
    for (char c : text) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
        if (!ok) return false;
    }
    return true;
}

} // namespace

std::filesystem::path services_file_path()
{
    return platform::data_dir() / "agoran" / "services.json";
}

std::optional<ServiceConfig> parse_services_json(std::string_view text, std::string* why)
{
    auto fail = [&](std::string reason) -> std::optional<ServiceConfig> {
        if (why) *why = std::move(reason);
        return std::nullopt;
    };
    auto doc = core::parse_json(text);
    if (!doc) return fail("it is not JSON");
    if (!doc->is_object()) return fail("it is not a JSON object");

    ServiceConfig config;
    struct Member {
        const char* name;
        std::string ServiceConfig::*field;
        bool url;
    };
    const Member members[] = {
        {"woc_api", &ServiceConfig::woc_api, true},
        {"woc_site", &ServiceConfig::woc_site, true},
        {"ordinals_api", &ServiceConfig::ordinals_api, true},
        {"ordinals_content", &ServiceConfig::ordinals_content, true},
        {"arc", &ServiceConfig::arc, true},
        {"registry", &ServiceConfig::registry, true},
        {"registry_domain", &ServiceConfig::registry_domain, false},
        {"product_page", &ServiceConfig::product_page, true},
    };
    for (const Member& m : members) {
        const core::Json* value = core::json_member(*doc, m.name);
        if (!value) continue;
        if (!value->is_string()) return fail(std::string("\"") + m.name + "\" is not a string");
        std::string text_value = value->get<std::string>();
        if (m.url) {
            if (!text_value.empty() && text_value.back() == '/') text_value.pop_back();
            auto origin = is_web_url(text_value) ? url_origin(text_value) : std::nullopt;
            if (!origin) return fail(std::string("\"") + m.name + "\" is not an http or https URL");
            if (!scheme_allowed(text_value)) {
                return fail(std::string("\"") + m.name + "\" asks for plain http to " + origin->host +
                            ", which is not this machine (plain http is accepted only for loopback addresses such as "
                            "127.0.0.1)");
            }
        } else if (!is_host_name(text_value)) {
            return fail(std::string("\"") + m.name + "\" is not a host name");
        }
        config.*m.field = std::move(text_value);
    }
    if (const core::Json* key = core::json_member(*doc, "woc_api_key")) {
        if (!key->is_string() || !is_api_key(key->get<std::string>())) {
            return fail("\"woc_api_key\" is not printable text without blanks of at most 256 characters");
        }
        config.woc_api_key = key->get<std::string>();
    }
    if (const core::Json* pace = core::json_member(*doc, "pace")) {
        std::string reason;
        if (!read_paces(*pace, config.pace, reason)) return fail(reason);
    }
    return config;
}

void register_service_access(const ServiceConfig& config)
{
    std::vector<std::string> woc_headers;
    if (!config.woc_api_key.empty()) woc_headers.push_back("Authorization: " + config.woc_api_key);
    register_services({{{config.woc_api}, config.pace.woc, woc_headers},
                       {{config.ordinals_api, config.ordinals_content}, config.pace.ordinals, {}},
                       {{config.arc}, config.pace.arc, {}},
                       {{config.registry}, config.pace.registry, {}}});
}

ServiceConfig load_services(const std::filesystem::path& file)
{
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return ServiceConfig{};
    const std::string warning_head = "ignoring " + file.string() + ": ";
    auto size = std::filesystem::file_size(file, ec);
    if (ec || size > MAX_SERVICES_FILE) {
        core::log_warning(warning_head + (ec ? "it cannot be read" : "it is too large") + "; using the mainnet services");
        return ServiceConfig{};
    }
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in.good() && !in.eof()) {
        core::log_warning(warning_head + "it cannot be read; using the mainnet services");
        return ServiceConfig{};
    }
    std::string why;
    auto config = parse_services_json(text.str(), &why);
    if (!config) {
        core::log_warning(warning_head + why + "; using the mainnet services");
        return ServiceConfig{};
    }
    return *config;
}

std::string services_badge(const ServiceConfig& config)
{
    if (config == ServiceConfig{}) return {};
    const ServiceConfig mainnet;
    std::optional<UrlOrigin> shared;
    for (const std::string* url : {&config.woc_api, &config.woc_site, &config.ordinals_api, &config.ordinals_content,
                                   &config.arc, &config.registry, &config.product_page}) {
        auto origin = url_origin(*url);
        if (!origin || !is_loopback_host(origin->host) || (shared && !(*shared == *origin))) return "Custom services";
        shared = std::move(origin);
    }
    if (config.registry_domain != mainnet.registry_domain) return "Custom services";
    return "Simulator at " + shared->host + ":" + std::to_string(shared->port);
}

std::shared_ptr<const ServiceConfig> load_services_file()
{
    return std::make_shared<const ServiceConfig>(load_services(services_file_path()));
}

} // namespace net
