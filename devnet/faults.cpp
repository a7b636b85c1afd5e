#include "devnet/faults.h"

#include "core/json_get.h"

namespace devnet {

std::optional<Service> service_from_name(std::string_view name)
{
    if (name == "woc") return Service::woc;
    if (name == "ordinals") return Service::ordinals;
    if (name == "arc") return Service::arc;
    if (name == "registry") return Service::registry;
    if (name == "product") return Service::product;
    return std::nullopt;
}

std::string service_name(Service service)
{
    switch (service) {
    case Service::woc: return "woc";
    case Service::ordinals: return "ordinals";
    case Service::arc: return "arc";
    case Service::registry: return "registry";
    case Service::product: return "product";
    case Service::admin: return "admin";
    }
    return "";
}

void Faults::set(Service service, FaultSettings settings)
{
    if (service == Service::admin) return;
    std::lock_guard lock(m_mutex);
    m_settings[static_cast<size_t>(service)] = std::move(settings);
    m_seen[static_cast<size_t>(service)] = Seen{};
}

void Faults::clear_all()
{
    std::lock_guard lock(m_mutex);
    m_settings = {};
    m_seen = {};
}

FaultSettings Faults::get(Service service) const
{
    if (service == Service::admin) return {};
    std::lock_guard lock(m_mutex);
    return m_settings[static_cast<size_t>(service)];
}

FaultAction Faults::take(Service service, bool is_submit, std::string_view request)
{
    FaultAction action;
    if (service == Service::admin) return action;
    std::lock_guard lock(m_mutex);
    FaultSettings& s = m_settings[static_cast<size_t>(service)];
    Seen& seen = m_seen[static_cast<size_t>(service)];
    action.delay_ms = s.delay_ms;
    action.rewrite_from = s.rewrite_from;
    action.rewrite_to = s.rewrite_to;
    auto too_many = [&action](int retry_after_s) {
        action.status = 429;
        action.body = "Too Many Requests";
        action.content_type = "text/plain";
        action.retry_after_s = retry_after_s;
    };
    const auto now = std::chrono::steady_clock::now();
    while (!seen.served.empty() && now - seen.served.front() >= std::chrono::seconds(1)) seen.served.pop_front();
    if (s.down) {
        action.drop = true;
    } else if (s.rate_limit_next > 0) {
        --s.rate_limit_next;
        too_many(0);
    } else if (s.rate_per_second > 0 && seen.served.size() >= static_cast<size_t>(s.rate_per_second)) {
        too_many(1);
    } else if (s.refuse_first_asks > 0 && seen.asked.emplace(request).second &&
               seen.first_asks++ % static_cast<size_t>(s.refuse_first_asks) == 0) {
        too_many(0);
    } else if (s.status != 0) {
        action.status = s.status;
        action.body = s.body;
        action.content_type = s.content_type;
    } else if (is_submit && s.lose_next > 0) {
        --s.lose_next;
        action.lose_answer = true;
    }
    if (action.status == 0 && !action.drop && s.rate_per_second > 0) seen.served.push_back(now);
    return action;
}

std::optional<FaultSettings> Faults::from_json(const nlohmann::json& body)
{
    FaultSettings s;
    auto read_int = [&](std::string_view key, int& out) {
        const auto* v = core::json_member(body, key);
        if (!v) return true;
        auto n = core::json_number_as_int64(*v);
        if (!n || *n < 0 || *n > 1'000'000'000) return false;
        out = static_cast<int>(*n);
        return true;
    };
    auto read_text = [&](std::string_view key, std::string& out) {
        const auto* v = core::json_member(body, key);
        if (!v) return true;
        if (!v->is_string()) return false;
        out = v->get<std::string>();
        return true;
    };
    if (!body.is_object()) return std::nullopt;
    if (const auto* down = core::json_member(body, "down")) {
        if (!down->is_boolean()) return std::nullopt;
        s.down = down->get<bool>();
    }
    if (!read_int("status", s.status) || !read_text("body", s.body) || !read_text("content_type", s.content_type) ||
        !read_int("delay_ms", s.delay_ms) || !read_int("rate_limit_next", s.rate_limit_next) ||
        !read_int("rate_per_second", s.rate_per_second) || !read_int("refuse_first_asks", s.refuse_first_asks) ||
        !read_int("lose_next", s.lose_next) || !read_text("rewrite_from", s.rewrite_from) ||
        !read_text("rewrite_to", s.rewrite_to)) {
        return std::nullopt;
    }
    if (s.status != 0 && (s.status < 100 || s.status > 999)) return std::nullopt;
    return s;
}

nlohmann::json Faults::to_json(const FaultSettings& s)
{
    return {{"down", s.down},         {"status", s.status},       {"body", s.body},
            {"content_type", s.content_type}, {"delay_ms", s.delay_ms}, {"rate_limit_next", s.rate_limit_next},
            {"rate_per_second", s.rate_per_second}, {"refuse_first_asks", s.refuse_first_asks},
            {"lose_next", s.lose_next}, {"rewrite_from", s.rewrite_from}, {"rewrite_to", s.rewrite_to}};
}

void rewrite_all(std::string& text, const std::string& from, const std::string& to)
{
    if (from.empty()) return;
    for (size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size())) {
        text.replace(pos, from.size(), to);
    }
}

void apply_profile(Profile profile, Faults& faults)
{
    switch (profile) {
    case Profile::local:
        return;
    case Profile::wan:
        for (Service service : {Service::woc, Service::ordinals, Service::arc, Service::registry, Service::product}) {
            FaultSettings settings;
            settings.delay_ms = WAN_LATENCY_MS;
            if (service == Service::woc) settings.rate_per_second = WAN_WOC_PER_SECOND;
            faults.set(service, settings);
        }
        return;
    }
}

std::optional<Profile> profile_from_name(std::string_view name)
{
    if (name == "local") return Profile::local;
    if (name == "wan") return Profile::wan;
    return std::nullopt;
}

} // namespace devnet
