#include "devnet/router.h"

#include <charconv>

#include <httplib.h>

#include "core/json_get.h"

namespace devnet {

std::string Call::query(const std::string& name, const std::string& fallback) const
{
    return req.has_param(name) ? req.get_param_value(name) : fallback;
}

int64_t Call::query_int(const std::string& name, int64_t fallback) const
{
    if (!req.has_param(name)) return fallback;
    std::string text = req.get_param_value(name);
    int64_t value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || value < 0) return fallback;
    return value;
}

void Call::json(int status, const nlohmann::json& body) const
{
    json_text(status, core::json_dump_compact(body));
}

void Call::json_text(int status, std::string body) const
{
    res.status = status;
    res.set_content(std::move(body), "application/json; charset=utf-8");
}

void Call::text(int status, std::string body, const std::string& content_type) const
{
    res.status = status;
    res.set_content(std::move(body), content_type.c_str());
}

std::vector<std::string_view> split_path(std::string_view path)
{
    std::vector<std::string_view> out;
    size_t pos = 0;
    if (!path.empty() && path[0] == '/') pos = 1;
    while (pos <= path.size()) {
        size_t slash = path.find('/', pos);
        if (slash == std::string_view::npos) {
            if (pos < path.size()) out.push_back(path.substr(pos));
            break;
        }
        out.push_back(path.substr(pos, slash - pos));
        pos = slash + 1;
    }
    return out;
}

void Router::add(const std::string& method, Service service, const std::string& pattern, Handler handler, bool submit)
{
    Route route;
    route.method = method;
    route.service = service;
    for (auto segment : split_path(pattern)) route.segments.emplace_back(segment);
    route.handler = std::move(handler);
    route.submit = submit;
    m_routes[method + "#" + std::to_string(route.segments.size())].push_back(std::move(route));
}

std::optional<Router::Match> Router::match(std::string_view method, std::string_view path) const
{
    auto segments = split_path(path);
    auto it = m_routes.find(std::string(method) + "#" + std::to_string(segments.size()));
    if (it == m_routes.end()) return std::nullopt;
    for (const Route& route : it->second) {
        bool ok = true;
        for (size_t i = 0; i < segments.size() && ok; ++i) {
            ok = route.segments[i] == "*" ? !segments[i].empty() : route.segments[i] == segments[i];
        }
        if (!ok) continue;
        Match match;
        match.route = &route;
        for (size_t i = 0; i < segments.size(); ++i) {
            if (route.segments[i] == "*") match.args.emplace_back(segments[i]);
        }
        return match;
    }
    return std::nullopt;
}

Service service_of_path(std::string_view path)
{
    auto segments = split_path(path);
    if (segments.empty()) return Service::admin;
    std::string_view first = segments[0];
    if (first == "woc" || first == "woc-site") return Service::woc;
    if (first == "ordinals") return Service::ordinals;
    if (first == "arc") return Service::arc;
    if (first == "registry") return Service::registry;
    if (first == "product") return Service::product;
    return Service::admin;
}

} // namespace devnet
