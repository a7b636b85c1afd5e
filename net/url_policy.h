// Where a request may go. Plain http is for this machine only (the local simulator); everything
// else is https, and a redirect may neither leave https nor, for the registry, leave its host.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "net/service_config.h"

namespace net {

// The scheme, host and port of a URL, as a request would reach them.
struct UrlOrigin {
    std::string scheme;  // lower case: "http" or "https"
    std::string host;    // lower case, as written; an IPv6 address keeps its brackets
    int port = 0;        // as written, else 80 for http and 443 for https

    bool operator==(const UrlOrigin&) const = default;
};

// The origin of an http or https URL; nullopt for other schemes, an empty host, a port that is
// not 1 to 65535, and a host part with anything but letters, digits, ".", "-", "_", ":" and
// brackets (credentials "user@host", escapes and back slashes among them). Pure.
std::optional<UrlOrigin> url_origin(std::string_view url);

// True for the names of this machine a request can reach without leaving it: "localhost", an
// IPv4 address 127.a.b.c written in plain decimal, and "[::1]". Pure.
[[nodiscard]] bool is_loopback_host(std::string_view host);

// True for an https URL, and for an http URL whose host is a loopback host. Pure.
[[nodiscard]] bool scheme_allowed(std::string_view url);

enum class RedirectCheck {
    Follow,
    Malformed,    // the target is not an http or https URL
    Insecure,     // the target is plain http (allowed only from this machine to itself)
    OtherHost,    // a registry request sent to another host or port
};

// Whether a request to from may follow a redirect to to. A target must be https, except that a
// request to a loopback host may go to plain http on a loopback host. A request to the
// registry (below services.registry, or to services.registry_domain and its "www.") may only
// stay on its own host and port. Pure.
RedirectCheck check_redirect(std::string_view from, std::string_view to, const ServiceConfig& services);

} // namespace net
