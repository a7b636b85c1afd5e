// HTTP over libcurl: one easy handle per request, created and destroyed around each transfer,
// over connections kept open and shared by the whole process (one TLS handshake per connection,
// not per request). Requests keep the pace of their service (net/pace.h) and carry its headers.
// Every function here is safe from many threads at once. The program calls curl_global_init
// once at start-up, before any request.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <curl/curl.h>

#include "net/http.h"
#include "net/service_config.h"

namespace net {

// Sent by http_get and http_post_json.
inline constexpr const char* USER_AGENT = "TavrinNode-Pursa/0.1";

// The Http interface over libcurl. sleep waits between retries and for a paced turn (tests pass
// a recorder).
class CurlHttp final : public Http {
public:
    using Sleep = std::function<void(std::chrono::milliseconds)>;
    // Redirects are checked, and registry requests pinned, by the rules of `services` (mainnet
    // when null).
    explicit CurlHttp(Sleep sleep = {}, std::shared_ptr<const ServiceConfig> services = nullptr);

    JsonReply get_json(const std::string& url, int timeout_seconds) override;
    HttpReply get(const std::string& url, const GetOptions& options) override;
    HttpReply post_json(const std::string& url, const std::string& body, const PostOptions& options) override;

private:
    Sleep m_sleep;
    std::shared_ptr<const ServiceConfig> m_services;
};

// The process-wide CurlHttp with real sleeps, by the rules of the mainnet services.
Http& default_http();

// Every request below goes over https, or plain http to this machine only (url_policy.h); a GET
// follows at most 5 redirects, each checked by check_redirect, and fails with a sentence that
// starts "refused" when a URL or a redirect is not allowed.

// GET url and parse the body as JSON into result. True only for a 2xx answer with a JSON body
// (result also receives the JSON of a non-2xx answer). Timeout in whole seconds (at least 1);
// the answer may not exceed MAX_JSON_BODY.
bool get_json(const std::string& url, Json& result, int timeout_seconds);

// GET url into body. True for a 2xx answer, and for 404 when accept_404. Otherwise false with
// error set: libcurl's text for a transport failure, a sentence for an answer over max_body,
// or http_error_text of the answer. 429 answers are retried three times (400, 800, 1600 ms).
// The timeout is raised to at least 2 s; connecting may take at most 8 s.
bool http_get(const std::string& url, std::string& body, std::string& error, int timeout_seconds,
              bool accept_404 = false, size_t max_body = MAX_JSON_BODY);

// POST body (JSON) to url; response receives the answer. True for a 2xx answer; 429 answers are
// retried, 400 ms shifted left by the retry number apart, until attempts tries were made.
// Otherwise false with error set as for http_get. Redirects are not followed.
bool http_post_json(const std::string& url, const std::string& body, std::string& response,
                    std::string& error, int timeout_seconds, int attempts = 1);

// When url contains the registry domain of services, pins the domain and "www." + domain
// (port 443) to the registry's fixed IPv4 address on the handle and limits it to IPv4.
// Returns the resolve list to free (curl_slist_free_all) after the transfer, or null.
curl_slist* pin_registry_host(CURL* handle, const std::string& url, const ServiceConfig& services);
// The same with an explicit domain and address. Null when url does not contain domain.
curl_slist* pin_host(CURL* handle, const std::string& url, const std::string& domain, const std::string& ipv4);

// The sentence for a failed answer: the rate-limit sentence for 429; "HTTP <status>" for an
// empty or HTML body; otherwise "HTTP <status> – " and the body without trailing line ends and
// blanks, cut to 120 bytes (never inside a UTF-8 character).
std::string http_error_text(long status, std::string_view body);

// The sentence for an answer that was cut off at the read cap.
std::string too_large_text(size_t max_body);

// Percent-encodes everything except letters, digits and "-._~", for one path segment.
std::string url_escape(std::string_view text);

} // namespace net
