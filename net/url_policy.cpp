#include "net/url_policy.h"

#include "core/text.h"
#include <algorithm>
#include <charconv>

namespace net {
namespace {

// A number written in plain decimal (no sign, no leading zero) within [0, max].
std::optional<int> plain_decimal(std::string_view text, int max)
{
    if (text.empty() || text.size() > 5 || (text.size() > 1 && text[0] == '0')) return std::nullopt;
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value > max) return std::nullopt;
    return value;
}

bool is_loopback_ipv4(std::string_view host)
{
    int parts = 0;
    while (true) {
        size_t dot = host.find('.');
        std::string_view part = host.substr(0, dot);
        auto value = plain_decimal(part, 255);
        if (!value || (parts == 0 && *value != 127)) return false;
        ++parts;
        if (dot == std::string_view::npos) break;
        host.remove_prefix(dot + 1);
    }
    return parts == 4;
}

// True when url goes to the registry: below its base URL, or to its domain.
bool is_registry(std::string_view url, const UrlOrigin& origin, const ServiceConfig& services)
{
    const std::string_view base = services.registry;
    if (!base.empty() && url.starts_with(base) && (url.size() == base.size() || url[base.size()] == '/')) return true;
    const std::string domain = core::ascii_lower(services.registry_domain);
    return !domain.empty() && (origin.host == domain || origin.host == "www." + domain);
}

} // namespace

std::optional<UrlOrigin> url_origin(std::string_view url)
{
    const size_t sep = url.find("://");
    if (sep == std::string_view::npos) return std::nullopt;
    UrlOrigin origin;
    origin.scheme = core::ascii_lower(url.substr(0, sep));
    if (origin.scheme != "http" && origin.scheme != "https") return std::nullopt;
    std::string_view authority = url.substr(sep + 3);
    authority = authority.substr(0, authority.find_first_of("/?#"));
    // Credentials, escapes and back slashes, which parsers read in different ways, are refused.
    const bool plain = std::all_of(authority.begin(), authority.end(), [](unsigned char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
               c == '_' || c == ':' || c == '[' || c == ']';
    });
    if (!plain) return std::nullopt;

    std::string_view host = authority;
    std::string_view port;
    if (!authority.empty() && authority.front() == '[') {
        const size_t close = authority.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        host = authority.substr(0, close + 1);
        std::string_view after = authority.substr(close + 1);
        if (!after.empty() && after.front() != ':') return std::nullopt;
        if (!after.empty()) port = after.substr(1);
    } else if (const size_t colon = authority.rfind(':'); colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
    }
    if (host.empty()) return std::nullopt;
    origin.host = core::ascii_lower(host);
    if (port.empty() && authority.back() != ':') {
        origin.port = origin.scheme == "https" ? 443 : 80;
    } else {
        auto number = plain_decimal(port, 65535);
        if (!number || *number == 0) return std::nullopt;
        origin.port = *number;
    }
    return origin;
}

bool is_loopback_host(std::string_view host)
{
    const std::string name = core::ascii_lower(host);
    return name == "localhost" || name == "[::1]" || is_loopback_ipv4(name);
}

bool scheme_allowed(std::string_view url)
{
    auto origin = url_origin(url);
    if (!origin) return false;
    return origin->scheme == "https" || is_loopback_host(origin->host);
}

RedirectCheck check_redirect(std::string_view from, std::string_view to, const ServiceConfig& services)
{
    auto source = url_origin(from);
    auto target = url_origin(to);
    if (!source || !target) return RedirectCheck::Malformed;
    if (target->scheme != "https" && !(is_loopback_host(source->host) && is_loopback_host(target->host))) {
        return RedirectCheck::Insecure;
    }
    if (is_registry(from, *source, services) && (target->host != source->host || target->port != source->port)) {
        return RedirectCheck::OtherHost;
    }
    return RedirectCheck::Follow;
}

} // namespace net
