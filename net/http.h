// The HTTP operations the service clients are built on, as an interface: the program uses
// CurlHttp (http_client.h); tests hand the clients canned answers instead.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

#include "core/json_fwd.h"

namespace net {

using Json = core::Json;

// Read caps. A request stops reading once the answer grows past its cap and fails, so a
// hostile or broken service cannot exhaust memory.
inline constexpr size_t MAX_JSON_BODY = 8 * 1024 * 1024;
// Inscription content: the size the content cache accepts.
inline constexpr size_t MAX_CONTENT_BODY = 10'485'760;
// Raw transaction hex: room for a transaction that carries a full-size inscription.
inline constexpr size_t MAX_RAW_TX_BODY = 2 * MAX_CONTENT_BODY + 1024 * 1024;

// The outcome of one GET or POST.
struct HttpReply {
    bool ok = false;           // the operation's own success rule held
    long status = 0;           // HTTP status of the last answer; 0 when none arrived
    std::string body;          // the answer's body (also on failure, when one arrived)
    std::string error;         // one sentence when !ok
    std::string content_type;  // the answer's Content-Type header, when any
};

// The outcome of a JSON GET (net/json_reply.h).
struct JsonReply;

// Until when a request may keep trying. Without one a request makes its own few retries of a
// 429 answer. With one, 429 and 5xx answers are tried again after the wait the service asks
// for (Retry-After) or a growing back-off, a connection that broke or an answer that stalled
// twice more (a service that cannot be reached at all is not asked again), and no try starts,
// no wait ends and no time-out runs past it. Either way a request waits for its turn in its
// service's pace (net/pace.h).
using Deadline = std::optional<std::chrono::steady_clock::time_point>;

struct GetOptions {
    int timeout_seconds = 10;  // raised to at least 2
    bool accept_404 = false;   // a 404 answer counts as success, its body returned
    size_t max_body = MAX_JSON_BODY;
    Deadline deadline{};
};

struct PostOptions {
    int timeout_seconds = 10;
    int attempts = 1;  // tries in all when the service answers 429 (without a deadline)
    Deadline deadline{};
    size_t max_body = MAX_JSON_BODY;
};

// Every implementation must be safe to call from many threads at once.
class Http {
public:
    virtual ~Http() = default;
    // The plain JSON GET: no retries, no user agent.
    virtual JsonReply get_json(const std::string& url, int timeout_seconds) = 0;
    // The GET with error text: retries 429 answers three times, 400/800/1600 ms apart, or as
    // its deadline allows.
    virtual HttpReply get(const std::string& url, const GetOptions& options) = 0;
    // The JSON POST: retries 429 answers until options.attempts tries were made, or as its
    // deadline allows.
    virtual HttpReply post_json(const std::string& url, const std::string& body, const PostOptions& options) = 0;
};

} // namespace net
