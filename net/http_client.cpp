#include "net/http_client.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <ctime>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "core/text.h"
#include "net/json_reply.h"
#include "net/pace.h"
#include "net/service_config.h"
#include "net/url_policy.h"

namespace net {

namespace {

using std::chrono::milliseconds;

constexpr int HTTP_GET_RETRIES_ON_429 = 3;
constexpr long CONNECT_TIMEOUT_SECONDS = 8;
// With a deadline: tries after a time-out or a broken transfer, and the longest waits.
constexpr int TRANSPORT_RETRIES = 2;
constexpr int MAX_DEADLINE_TRIES = 30;
constexpr auto MAX_BACK_OFF = milliseconds(10'000);
constexpr auto MAX_RETRY_AFTER = milliseconds(120'000);
constexpr std::string_view OUT_OF_TIME_TEXT = "the service did not answer in the time allowed";
// Redirects one request follows at most.
constexpr int MAX_REDIRECTS = 5;

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

// What one transfer should do.
struct TransferPlan {
    long timeout_seconds = 10;
    long connect_timeout_seconds = 0;  // 0: libcurl's default
    bool follow_redirects = false;     // at most MAX_REDIRECTS, each one checked
    const char* user_agent = nullptr;
    const std::string* post_json = nullptr;
    size_t max_body = MAX_JSON_BODY;
    const std::vector<std::string>* headers = nullptr;  // the service's own header lines
    const ServiceConfig* services = nullptr;            // the redirect and pinning rules' services
};

struct Transfer {
    bool init_failed = false;
    CURLcode code = CURLE_OK;
    long status = 0;
    std::string body;
    std::string content_type;
    bool too_large = false;
    std::optional<milliseconds> retry_after;  // the answer's Retry-After, when it has one
    std::string redirect_url;  // where a 3xx answer points
    std::string refused;       // why the request, or its redirect, was not made
};

// Connections, TLS sessions and name lookups shared by every transfer of the process, so that
// a service is asked over connections kept open (one handshake per connection, not per
// request). The share lives as long as the process.
class ConnectionShare {
public:
    ConnectionShare() : m_share(curl_share_init())
    {
        if (!m_share) return;
        curl_share_setopt(m_share, CURLSHOPT_LOCKFUNC, lock);
        curl_share_setopt(m_share, CURLSHOPT_UNLOCKFUNC, unlock);
        curl_share_setopt(m_share, CURLSHOPT_USERDATA, this);
        curl_share_setopt(m_share, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
        curl_share_setopt(m_share, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
        curl_share_setopt(m_share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    }
    [[nodiscard]] CURLSH* get() const { return m_share; }

private:
    static void lock(CURL*, curl_lock_data data, curl_lock_access, void* user)
    {
        static_cast<ConnectionShare*>(user)->m_locks[index(data)].lock();
    }
    static void unlock(CURL*, curl_lock_data data, void* user)
    {
        static_cast<ConnectionShare*>(user)->m_locks[index(data)].unlock();
    }
    static size_t index(curl_lock_data data)
    {
        return std::min(static_cast<size_t>(data), static_cast<size_t>(CURL_LOCK_DATA_LAST));
    }

    CURLSH* m_share;
    std::array<std::mutex, CURL_LOCK_DATA_LAST + 1> m_locks;
};

CURLSH* shared_connections()
{
    static ConnectionShare* share = new ConnectionShare();  // never freed: transfers may run until exit
    return share->get();
}

// "Retry-After: 3" or "Retry-After: <HTTP date>" as a wait from now.
std::optional<milliseconds> parse_retry_after(std::string_view value)
{
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
    while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back()))) value.remove_suffix(1);
    if (value.empty()) return std::nullopt;
    if (std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        if (value.size() > 6) return MAX_RETRY_AFTER;
        return std::min<milliseconds>(milliseconds(std::stol(std::string(value)) * 1000), MAX_RETRY_AFTER);
    }
    time_t at = curl_getdate(std::string(value).c_str(), nullptr);
    if (at < 0) return std::nullopt;
    time_t now = std::time(nullptr);
    if (at <= now) return milliseconds(0);
    return std::min<milliseconds>(milliseconds(static_cast<int64_t>(at - now) * 1000), MAX_RETRY_AFTER);
}

size_t collect_header(char* data, size_t size, size_t count, void* user)
{
    auto* transfer = static_cast<Transfer*>(user);
    const size_t length = size * count;
    std::string_view line(data, length);
    constexpr std::string_view NAME = "retry-after:";
    if (line.size() > NAME.size() && core::ascii_lower(line.substr(0, NAME.size())) == NAME) {
        transfer->retry_after = parse_retry_after(line.substr(NAME.size()));
    }
    return length;
}

struct BodySink {
    std::string* body;
    size_t max_body;
    bool too_large = false;
};

size_t collect_body(char* data, size_t size, size_t count, void* user)
{
    auto* sink = static_cast<BodySink*>(user);
    const size_t length = size * count;
    if (length > sink->max_body - std::min(sink->max_body, sink->body->size())) {
        sink->too_large = true;
        return 0;  // anything but length aborts the transfer
    }
    sink->body->append(data, length);
    return length;
}

Transfer perform(const std::string& url, const TransferPlan& plan)
{
    Transfer out;
    CurlHandle handle(curl_easy_init());
    if (!handle) {
        out.init_failed = true;
        return out;
    }
    CURL* h = handle.get();
    BodySink sink{&out.body, plan.max_body};

    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, collect_body);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, collect_header);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &out);
    if (CURLSH* share = shared_connections()) curl_easy_setopt(h, CURLOPT_SHARE, share);
    curl_easy_setopt(h, CURLOPT_TIMEOUT, plan.timeout_seconds);
    // Without this, libcurl's resolver time-outs use signals, which is unsafe with threads.
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    // Refuse early an answer that announces a size over the cap; the write callback catches
    // the ones that do not announce it.
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(plan.max_body));
    if (plan.connect_timeout_seconds > 0) curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, plan.connect_timeout_seconds);
    if (plan.user_agent) curl_easy_setopt(h, CURLOPT_USERAGENT, plan.user_agent);

    Slist headers;
    auto add_header = [&headers](const std::string& line) {
        if (curl_slist* longer = curl_slist_append(headers.get(), line.c_str())) {
            // The longer list starts with the old one: hand its ownership over, free nothing.
            static_cast<void>(headers.release());
            headers.reset(longer);
        }
    };
    if (plan.post_json) {
        add_header("Content-Type: application/json");
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(plan.post_json->size()));
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, plan.post_json->c_str());
    }
    if (plan.headers) {
        for (const std::string& line : *plan.headers) add_header(line);
    }
    if (headers) curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    Slist resolve(pin_registry_host(h, url, *plan.services));

    out.code = curl_easy_perform(h);
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &out.status);
    const char* type = nullptr;
    if (curl_easy_getinfo(h, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type) out.content_type = type;
    const char* location = nullptr;
    if (curl_easy_getinfo(h, CURLINFO_REDIRECT_URL, &location) == CURLE_OK && location) out.redirect_url = location;
    out.too_large = sink.too_large || out.code == CURLE_FILESIZE_EXCEEDED;
    return out;
}

std::string redirect_refusal(RedirectCheck check, const std::string& target)
{
    const std::string head = "refused the redirect to " + target + ": ";
    switch (check) {
    case RedirectCheck::Follow: break;
    case RedirectCheck::Malformed: return head + "it is not an https URL";
    case RedirectCheck::Insecure: return head + "it leaves https";
    case RedirectCheck::OtherHost: return head + "the registry may not send a request to another host";
    }
    return head + "it is not allowed";
}

// Every request goes through here: plain http only to this machine, and redirects followed one
// by one, each checked, at most MAX_REDIRECTS of them.
Transfer perform_checked(const std::string& url, const TransferPlan& plan)
{
    std::string at = url;
    for (int hop = 0;; ++hop) {
        if (!scheme_allowed(at)) {
            Transfer t;
            t.refused = "refused " + at + ": requests go over https, and plain http only to this machine";
            return t;
        }
        Transfer t = perform(at, plan);
        if (!plan.follow_redirects || t.code != CURLE_OK || t.status < 300 || t.status > 399 || t.redirect_url.empty())
            return t;
        if (hop == MAX_REDIRECTS) {
            t.code = CURLE_TOO_MANY_REDIRECTS;
            return t;
        }
        // Checked from where this hop started and from where the request started, so that a
        // registry request cannot leave its host in two steps.
        RedirectCheck check = check_redirect(at, t.redirect_url, *plan.services);
        if (check == RedirectCheck::Follow && at != url) check = check_redirect(url, t.redirect_url, *plan.services);
        if (check != RedirectCheck::Follow) {
            t.refused = redirect_refusal(check, t.redirect_url);
            return t;
        }
        at = std::move(t.redirect_url);
    }
}

// The error sentence for a transfer that did not complete, or nullopt when it did.
std::optional<std::string> transport_error(const Transfer& t, size_t max_body)
{
    if (!t.refused.empty()) return t.refused;
    if (t.init_failed) return std::string("curl init failed");
    if (t.too_large) return too_large_text(max_body);
    if (t.code != CURLE_OK) return std::string(curl_easy_strerror(t.code));
    return std::nullopt;
}

bool is_2xx(long status) { return status >= 200 && status <= 299; }

void real_sleep(milliseconds delay) { std::this_thread::sleep_for(delay); }

HttpReply reply_from(Transfer&& t)
{
    HttpReply reply;
    reply.status = t.status;
    reply.body = std::move(t.body);
    reply.content_type = std::move(t.content_type);
    return reply;
}

// Drops trailing bytes that would leave a UTF-8 character cut in two.
void trim_to_utf8_boundary(std::string& text)
{
    size_t end = text.size();
    size_t lead = end;
    while (lead > 0 && (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80 && end - lead < 3) --lead;
    if (lead == 0) return;
    unsigned char first = static_cast<unsigned char>(text[lead - 1]);
    size_t need = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
    if (first >= 0x80 && end - (lead - 1) < need) text.resize(lead - 1);
}

} // namespace

CurlHttp::CurlHttp(Sleep sleep, std::shared_ptr<const ServiceConfig> services)
    : m_sleep(sleep ? std::move(sleep) : Sleep(real_sleep)),
      m_services(services ? std::move(services) : std::make_shared<const ServiceConfig>())
{
}

namespace {

// Whether a transfer that ended without a whole answer may be tried again: a connection that
// broke, or an answer that began and then stalled. A service that cannot be reached at all (no
// name, no connection, nothing before the time-out) is not asked again: it would cost the same
// wait each time.
bool transport_retryable(const Transfer& t)
{
    if (t.init_failed || t.too_large) return false;
    switch (t.code) {
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
        return true;
    case CURLE_OPERATION_TIMEDOUT:
        return t.status != 0;
    default:
        return false;
    }
}

milliseconds back_off(int retry, bool capped)
{
    milliseconds wait(400LL << std::min(retry, 10));
    return capped ? std::min(wait, MAX_BACK_OFF) : wait;
}

// One request as its service's pace, its deadline and its retries allow: the last transfer made.
// out_of_time is set when the deadline ended the trying (with no transfer made when the first
// turn already came too late).
Transfer exchange(const CurlHttp::Sleep& sleep, const std::string& url, TransferPlan plan, const Deadline& deadline,
                  int retries_on_429, bool& out_of_time)
{
    out_of_time = false;
    ServiceAccess access = access_for(url);
    plan.headers = &access.headers;
    const long timeout = plan.timeout_seconds;
    int retry = 0;
    int transport_retries = 0;
    for (;;) {
        if (access.pacer) {
            std::optional<SteadyClock::time_point> turn = access.pacer->reserve(deadline);
            if (!turn) {
                out_of_time = true;
                return Transfer{};
            }
            auto now = SteadyClock::now();
            if (*turn > now) sleep(std::chrono::ceil<milliseconds>(*turn - now));
        }
        if (deadline) {
            auto left = std::chrono::duration_cast<std::chrono::seconds>(*deadline - SteadyClock::now()).count();
            if (left < 1) {
                out_of_time = true;
                return Transfer{};
            }
            plan.timeout_seconds = std::min<long>(timeout, static_cast<long>(left));
        }
        Transfer t = perform_checked(url, plan);
        std::optional<milliseconds> wait;
        if (transport_error(t, plan.max_body)) {
            if (deadline && transport_retryable(t) && transport_retries < TRANSPORT_RETRIES) {
                ++transport_retries;
                wait = back_off(retry, true);
            }
        } else if (t.status == 429) {
            if (deadline ? retry + 1 < MAX_DEADLINE_TRIES : retry < retries_on_429) {
                wait = t.retry_after.value_or(back_off(retry, deadline.has_value()));
            }
            // Everyone asking this service waits as long.
            if (access.pacer) access.pacer->hold_until(SteadyClock::now() + t.retry_after.value_or(back_off(retry, true)));
        } else if (deadline && t.status >= 500 && t.status <= 599 && retry + 1 < MAX_DEADLINE_TRIES) {
            wait = t.retry_after.value_or(back_off(retry, true));
        }
        if (!wait) return t;
        if (deadline && SteadyClock::now() + *wait > *deadline) {
            out_of_time = true;
            return t;
        }
        sleep(*wait);
        ++retry;
    }
}

} // namespace

JsonReply CurlHttp::get_json(const std::string& url, int timeout_seconds)
{
    TransferPlan plan;
    plan.services = m_services.get();
    plan.timeout_seconds = std::max(timeout_seconds, 1);
    plan.follow_redirects = true;
    bool out_of_time = false;
    Transfer t = exchange(m_sleep, url, plan, std::nullopt, 0, out_of_time);

    JsonReply reply;
    if (auto error = transport_error(t, plan.max_body)) {
        reply.error = *error;  // no status: no whole answer arrived
        return reply;
    }
    reply.status = t.status;
    if (t.body.empty()) {
        reply.error = "HTTP " + std::to_string(t.status) + " with an empty answer";
        return reply;
    }
    Json doc = Json::parse(t.body, nullptr, false);
    if (doc.is_discarded()) {
        reply.error = is_2xx(t.status) ? "HTTP " + std::to_string(t.status) + " answer is not JSON"
                                       : http_error_text(t.status, t.body);
        return reply;
    }
    reply.json = std::move(doc);
    reply.ok = is_2xx(t.status);
    if (!reply.ok) reply.error = http_error_text(t.status, t.body);
    return reply;
}

namespace {

HttpReply finished_reply(Transfer&& t, size_t max_body, bool out_of_time, bool accept_404)
{
    std::optional<std::string> error = transport_error(t, max_body);
    if (out_of_time && t.status == 0 && !error) error = std::string(OUT_OF_TIME_TEXT);
    HttpReply reply = reply_from(std::move(t));
    if (error) {
        reply.error = *error;
        reply.status = 0;  // no whole answer arrived
        return reply;
    }
    reply.ok = is_2xx(reply.status) || (reply.status == 404 && accept_404);
    if (!reply.ok) reply.error = http_error_text(reply.status, reply.body);
    return reply;
}

} // namespace

HttpReply CurlHttp::get(const std::string& url, const GetOptions& options)
{
    TransferPlan plan;
    plan.services = m_services.get();
    plan.timeout_seconds = std::max(options.timeout_seconds, 2);
    plan.connect_timeout_seconds = CONNECT_TIMEOUT_SECONDS;
    plan.follow_redirects = true;
    plan.user_agent = USER_AGENT;
    plan.max_body = options.max_body;
    bool out_of_time = false;
    Transfer t = exchange(m_sleep, url, plan, options.deadline, HTTP_GET_RETRIES_ON_429, out_of_time);
    return finished_reply(std::move(t), plan.max_body, out_of_time, options.accept_404);
}

HttpReply CurlHttp::post_json(const std::string& url, const std::string& body, const PostOptions& options)
{
    TransferPlan plan;
    plan.services = m_services.get();
    plan.timeout_seconds = std::max(options.timeout_seconds, 1);
    plan.connect_timeout_seconds = CONNECT_TIMEOUT_SECONDS;
    plan.user_agent = USER_AGENT;
    plan.post_json = &body;
    plan.max_body = options.max_body;
    bool out_of_time = false;
    Transfer t = exchange(m_sleep, url, plan, options.deadline, std::max(options.attempts, 1) - 1, out_of_time);
    return finished_reply(std::move(t), plan.max_body, out_of_time, false);
}

Http& default_http()
{
    static CurlHttp http;
    return http;
}

bool get_json(const std::string& url, Json& result, int timeout_seconds)
{
    JsonReply reply = default_http().get_json(url, timeout_seconds);
    if (!reply.json.is_null() || reply.ok) result = std::move(reply.json);
    return reply.ok;
}

bool http_get(const std::string& url, std::string& body, std::string& error, int timeout_seconds,
              bool accept_404, size_t max_body)
{
    body.clear();
    error.clear();
    HttpReply reply = default_http().get(url, GetOptions{timeout_seconds, accept_404, max_body});
    body = std::move(reply.body);
    error = std::move(reply.error);
    return reply.ok;
}

bool http_post_json(const std::string& url, const std::string& body, std::string& response,
                    std::string& error, int timeout_seconds, int attempts)
{
    response.clear();
    error.clear();
    HttpReply reply = default_http().post_json(url, body, PostOptions{timeout_seconds, attempts});
    response = std::move(reply.body);
    error = std::move(reply.error);
    return reply.ok;
}

curl_slist* pin_host(CURL* handle, const std::string& url, const std::string& domain, const std::string& ipv4)
{
    if (domain.empty() || url.size() < domain.size() || url.find(domain) == std::string::npos) return nullptr;
    curl_slist* list = curl_slist_append(nullptr, (domain + ":443:" + ipv4).c_str());
    if (!list) return nullptr;
    curl_slist* both = curl_slist_append(list, ("www." + domain + ":443:" + ipv4).c_str());
    if (!both) {
        curl_slist_free_all(list);
        return nullptr;
    }
    curl_easy_setopt(handle, CURLOPT_RESOLVE, both);
    curl_easy_setopt(handle, CURLOPT_IPRESOLVE, CURL_IPRESOLVE_V4);
    return both;
}

curl_slist* pin_registry_host(CURL* handle, const std::string& url, const ServiceConfig& services)
{
    return pin_host(handle, url, services.registry_domain, std::string(REGISTRY_PINNED_IPV4));
}

std::string http_error_text(long status, std::string_view body)
{
    if (status == 429) return "HTTP 429 \u2013 WhatsOnChain is rate-limiting. Wait a few seconds and try again.";
    const std::string head = "HTTP " + std::to_string(status);
    if (body.find("<html") != std::string_view::npos || body.find("<HTML") != std::string_view::npos ||
        body.find("<!DOCTYPE") != std::string_view::npos) {
        return head;
    }
    while (!body.empty() && (body.back() == '\n' || body.back() == '\r' || body.back() == ' ')) {
        body.remove_suffix(1);
    }
    if (body.empty()) return head;
    std::string cut(body.substr(0, 120));
    if (body.size() > 120) trim_to_utf8_boundary(cut);
    return head + " \u2013 " + cut;
}

std::string too_large_text(size_t max_body)
{
    return "the answer is larger than " + std::to_string(max_body) + " bytes; it was not read";
}

std::string url_escape(std::string_view text)
{
    static const char* HEX = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        auto u = static_cast<unsigned char>(c);
        if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || c == '-' ||
            c == '.' || c == '_' || c == '~') {
            out.push_back(c);
        } else {
            out.push_back('%');
            out.push_back(HEX[u >> 4]);
            out.push_back(HEX[u & 15]);
        }
    }
    return out;
}

} // namespace net
