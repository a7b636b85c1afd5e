// Fault injection, set per service through the admin interface: the service is down, answers
// a fixed status and body, answers late, rate-limits its next answers or every answer beyond a
// sustained rate, refuses the first ask of some requests, takes a submitted transaction and
// loses the answer, or lies (rewrites a text in every answer). Safe from any thread.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

#include <nlohmann/json_fwd.hpp>

namespace devnet {

enum class Service { woc, ordinals, arc, registry, product, admin };
inline constexpr size_t SERVICE_COUNT = 5;  // admin is never faulted

// "woc", "ordinals", "arc", "registry", "product"; nullopt for anything else.
std::optional<Service> service_from_name(std::string_view name);
std::string service_name(Service service);

struct FaultSettings {
    bool down = false;            // the connection ends before an answer is complete
    int status = 0;               // non-zero: answer this status and body to everything
    std::string body;
    std::string content_type = "text/plain";
    int delay_ms = 0;             // wait before answering
    int rate_limit_next = 0;      // answer the next N requests with 429
    int rate_per_second = 0;      // non-zero: serve at most N requests in any second, 429 beyond
    int refuse_first_asks = 0;    // non-zero: every Nth request not asked before gets 429 once
    int lose_next = 0;            // take the next N submitted transactions, then drop the answer
    std::string rewrite_from;     // non-empty: every occurrence in an answer's body becomes rewrite_to
    std::string rewrite_to;
};

// What to do with one request, decided before it is handled.
struct FaultAction {
    int delay_ms = 0;
    bool drop = false;            // end the connection without a complete answer
    int status = 0;               // answer this instead of handling the request
    std::string body;
    std::string content_type;
    int retry_after_s = 0;        // non-zero: sent as the answer's Retry-After header
    bool lose_answer = false;     // handle it, then end the connection without the answer
    std::string rewrite_from;     // rewrite the answer's body (FaultSettings)
    std::string rewrite_to;
};

class Faults;

// How far away the services seem. local: answers at once, no limits. wan: every request takes
// about WAN_LATENCY_MS, and WhatsOnChain serves WAN_WOC_PER_SECOND requests a second (429 with
// Retry-After beyond), as its free tier does.
enum class Profile { local, wan };
inline constexpr int WAN_LATENCY_MS = 100;
inline constexpr int WAN_WOC_PER_SECOND = 3;

// "local" or "wan"; nullopt for anything else.
std::optional<Profile> profile_from_name(std::string_view name);

// Sets the faults that play the profile (replacing any set before).
void apply_profile(Profile profile, Faults& faults);

// Replaces every occurrence of from in text by to; an empty from changes nothing.
void rewrite_all(std::string& text, const std::string& from, const std::string& to);

class Faults {
public:
    void set(Service service, FaultSettings settings);
    void clear_all();
    FaultSettings get(Service service) const;
    // Decides and counts down one request. is_submit marks a transaction submission; request
    // names the request (method, path and body) for refuse_first_asks.
    FaultAction take(Service service, bool is_submit, std::string_view request = {});

    // Reads settings from an admin request body; members that are missing take their
    // defaults. nullopt when a member has the wrong type.
    static std::optional<FaultSettings> from_json(const nlohmann::json& body);
    static nlohmann::json to_json(const FaultSettings& settings);

private:
    // What a service's sustained limit and first-ask refusals remember.
    struct Seen {
        std::deque<std::chrono::steady_clock::time_point> served;  // within the last second
        std::unordered_set<std::string> asked;                     // requests asked before
        size_t first_asks = 0;                                     // requests not asked before
    };

    mutable std::mutex m_mutex;
    std::array<FaultSettings, SERVICE_COUNT> m_settings;
    std::array<Seen, SERVICE_COUNT> m_seen;
};

} // namespace devnet
