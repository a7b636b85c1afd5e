// How fast this process asks each outside service. Every service has a pace (requests per
// second; 0 for none); requests to it start no closer together than that, and none starts while
// the service has told us to wait (a 429 answer, with or without Retry-After). The HTTP client
// finds the pace of a request by its URL: the service whose base URL it starts with.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace net {

using SteadyClock = std::chrono::steady_clock;

class Pacer {
public:
    explicit Pacer(double per_second = 0);

    // 0 or less: no pacing.
    void set_rate(double per_second);

    // Reserves the next turn and returns when it is (now or later). When that turn would come
    // after deadline nothing is reserved and nullopt is returned. Safe from any thread.
    std::optional<SteadyClock::time_point> reserve(std::optional<SteadyClock::time_point> deadline = std::nullopt);

    // No turn is given before until.
    void hold_until(SteadyClock::time_point until);

private:
    mutable std::mutex m_mutex;
    std::chrono::nanoseconds m_interval{0};  // guarded by m_mutex
    SteadyClock::time_point m_next{};        // guarded by m_mutex
    SteadyClock::time_point m_hold{};        // guarded by m_mutex
};

// What the client adds to every request of one service.
struct ServiceAccess {
    std::shared_ptr<Pacer> pacer;      // null: not paced
    std::vector<std::string> headers;  // full header lines, e.g. "Authorization: KEY"
};

// One service as the table knows it: the base URLs it answers under, its pace and headers.
struct ServiceEntry {
    std::vector<std::string> bases;
    double per_second = 0;
    std::vector<std::string> headers;
};

// Enters the services into the process-wide table. A base already known keeps its pacer (its
// rate and headers are replaced), so requests in flight keep their turns. Safe from any thread.
void register_services(const std::vector<ServiceEntry>& services);

// The access of the service whose registered base is the longest prefix of url (followed by
// "/", "?" or nothing); empty when no base matches. Safe from any thread.
ServiceAccess access_for(std::string_view url);

} // namespace net
