#include "net/pace.h"

#include <algorithm>
#include <map>

namespace net {
namespace {

// A little under the rate: the service counts arrivals, and ours may arrive closer together
// than they left.
constexpr double PACE_MARGIN = 1.05;

struct Table {
    std::mutex mutex;
    std::map<std::string, ServiceAccess, std::less<>> by_base;  // guarded by mutex
};

Table& table()
{
    static Table t;
    return t;
}

bool is_prefix_of(std::string_view base, std::string_view url)
{
    if (base.empty() || url.size() < base.size() || url.compare(0, base.size(), base) != 0) return false;
    if (url.size() == base.size()) return true;
    char next = url[base.size()];
    return next == '/' || next == '?';
}

} // namespace

Pacer::Pacer(double per_second)
{
    set_rate(per_second);
}

void Pacer::set_rate(double per_second)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (per_second <= 0) {
        m_interval = std::chrono::nanoseconds(0);
        return;
    }
    m_interval = std::chrono::nanoseconds(static_cast<int64_t>(1e9 * PACE_MARGIN / per_second));
}

std::optional<SteadyClock::time_point> Pacer::reserve(std::optional<SteadyClock::time_point> deadline)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    SteadyClock::time_point turn = std::max({SteadyClock::now(), m_next, m_hold});
    if (deadline && turn > *deadline) return std::nullopt;
    m_next = turn + m_interval;
    return turn;
}

void Pacer::hold_until(SteadyClock::time_point until)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_hold = std::max(m_hold, until);
}

void register_services(const std::vector<ServiceEntry>& services)
{
    Table& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    for (const ServiceEntry& service : services) {
        // The bases of one service share one pacer: one found already, or a new one.
        std::shared_ptr<Pacer> pacer;
        for (const std::string& base : service.bases) {
            auto it = t.by_base.find(base);
            if (it != t.by_base.end() && it->second.pacer) {
                pacer = it->second.pacer;
                break;
            }
        }
        if (!pacer) pacer = std::make_shared<Pacer>();
        pacer->set_rate(service.per_second);
        for (const std::string& base : service.bases) {
            if (!base.empty()) t.by_base[base] = ServiceAccess{pacer, service.headers};
        }
    }
}

ServiceAccess access_for(std::string_view url)
{
    Table& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    const ServiceAccess* best = nullptr;
    size_t best_length = 0;
    for (const auto& [base, access] : t.by_base) {
        if (base.size() > best_length && is_prefix_of(base, url)) {
            best = &access;
            best_length = base.size();
        }
    }
    return best ? *best : ServiceAccess{};
}

} // namespace net
