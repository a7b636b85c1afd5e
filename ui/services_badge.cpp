#include "ui/services_badge.h"

#include <set>

namespace ui {

namespace {

// "host:port" of an http(s) URL, "" when it has none.
std::string authority_of(const std::string& url)
{
    const size_t scheme = url.find("://");
    if (scheme == std::string::npos) return {};
    const size_t start = scheme + 3;
    const size_t end = url.find_first_of("/?#", start);
    return url.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

bool is_loopback(const std::string& authority)
{
    const std::string host = authority.substr(0, authority.rfind(':'));
    return host.rfind("127.", 0) == 0 || host == "localhost" || host == "[::1]";
}

} // namespace

std::string services_badge_text(const net::ServiceConfig& config)
{
    const net::ServiceConfig real;
    std::set<std::string> places;
    const std::pair<const std::string*, const std::string*> urls[] = {
        {&config.woc_api, &real.woc_api},           {&config.woc_site, &real.woc_site},
        {&config.ordinals_api, &real.ordinals_api}, {&config.ordinals_content, &real.ordinals_content},
        {&config.arc, &real.arc},                   {&config.registry, &real.registry},
        {&config.product_page, &real.product_page},
    };
    for (const auto& [mine, theirs] : urls)
        if (*mine != *theirs) places.insert(authority_of(*mine));
    if (places.empty()) return config.registry_domain == real.registry_domain ? std::string() : "Custom services";
    if (places.size() == 1 && is_loopback(*places.begin())) return "Simulator at " + *places.begin();
    return "Custom services";
}

} // namespace ui
