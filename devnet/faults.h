// Fault injection, set per service through the admin interface: the service is down, answers
// a fixed status and body, answers late, rate-limits its next answers, takes a submitted
// transaction and loses the answer, or lies (rewrites a text in every answer). Safe from any
// thread.
#pragma once

#include <array>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

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
    bool lose_answer = false;     // handle it, then end the connection without the answer
    std::string rewrite_from;     // rewrite the answer's body (FaultSettings)
    std::string rewrite_to;
};

// Replaces every occurrence of from in text by to; an empty from changes nothing.
void rewrite_all(std::string& text, const std::string& from, const std::string& to);

class Faults {
public:
    void set(Service service, FaultSettings settings);
    void clear_all();
    FaultSettings get(Service service) const;
    // Decides and counts down one request. is_submit marks a transaction submission.
    FaultAction take(Service service, bool is_submit);

    // Reads settings from an admin request body; members that are missing take their
    // defaults. nullopt when a member has the wrong type.
    static std::optional<FaultSettings> from_json(const nlohmann::json& body);
    static nlohmann::json to_json(const FaultSettings& settings);

private:
    mutable std::mutex m_mutex;
    std::array<FaultSettings, SERVICE_COUNT> m_settings;
};

} // namespace devnet
