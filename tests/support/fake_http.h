// A canned HTTP client for the service clients and the routines above them. A handler may answer
// any request; otherwise a URL gets its fixed reply (answer), and any other request is unreachable
// or, once pass_through() was called, sent to the real service (whose reply a rewrite may change:
// a lying or a busy service). Every request is recorded so that tests can check what was asked;
// bodies over the caps and expected 404s come out as from the real client.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/json_get.h"
#include "net/http.h"
#include "net/http_client.h"
#include "net/json_reply.h"

namespace testsupport {

struct Recorded {
    std::string url;
    std::string body;
};

class FakeHttp : public net::Http {
public:
    // The reply to use, or nullopt to answer as if there were no handler.
    using Handler = std::function<std::optional<net::HttpReply>(const std::string& method, const std::string& url,
                                                                const std::string& body)>;
    using Rewrite = std::function<void(const std::string& url, net::HttpReply& reply)>;

    FakeHttp() = default;
    explicit FakeHttp(Handler handler) : m_handler(std::move(handler)) {}

    void set_handler(Handler handler) { m_handler = std::move(handler); }
    void set_rewrite(Rewrite rewrite) { m_rewrite = std::move(rewrite); }
    // Requests nothing else answers go to the real service.
    void pass_through() { m_real = std::make_unique<net::CurlHttp>(); }

    // Answers url with status and body (any method).
    void answer(const std::string& url, long status, std::string body) { m_replies[url] = reply(status, std::move(body)); }

    // A reply with status and body, as the real client reports it.
    static net::HttpReply reply(long status, std::string body)
    {
        const bool ok = status >= 200 && status <= 299;
        std::string error = ok ? "" : net::http_error_text(status, body);
        return {ok, status, std::move(body), std::move(error), {}};
    }
    static net::HttpReply unreachable() { return failed("Couldn't connect to server"); }

    net::JsonReply get_json(const std::string& url, int timeout_seconds) override
    {
        const net::GetOptions options{timeout_seconds};
        net::HttpReply r = call("GET_JSON", url, "", [&] { return m_real->get(url, options); });
        net::JsonReply reply{false, r.status, {}, r.error};
        if (r.status == 0) return reply;
        auto doc = core::parse_json(r.body);
        if (doc) reply.json = *doc;
        reply.ok = doc && r.ok;
        if (r.ok && !doc) reply.error = net::http_error_text(r.status, r.body);
        return reply;
    }

    net::HttpReply get(const std::string& url, const net::GetOptions& options) override
    {
        set_under_lock(last_get_options, options);
        net::HttpReply r = call("GET", url, "", [&] { return m_real->get(url, options); });
        if (r.body.size() > options.max_body) return failed(net::too_large_text(options.max_body));
        if (options.accept_404 && r.status == 404) {
            r.ok = true;
            r.error.clear();
        }
        return r;
    }

    net::HttpReply post_json(const std::string& url, const std::string& body, const net::PostOptions& options) override
    {
        set_under_lock(last_post_options, options);
        net::HttpReply r = call("POST", url, body, [&] { return m_real->post_json(url, body, options); });
        return r.body.size() > net::MAX_JSON_BODY ? failed(net::too_large_text(net::MAX_JSON_BODY)) : r;
    }

    std::vector<Recorded> requests() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }
    std::vector<std::string> urls() const
    {
        std::vector<std::string> out;
        for (const auto& r : requests()) out.push_back(r.url);
        return out;
    }
    void clear()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.clear();
    }
    // How many requests went to a URL containing needle.
    size_t count(const std::string& needle) const
    {
        size_t n = 0;
        for (const auto& r : requests()) n += r.url.find(needle) != std::string::npos;
        return n;
    }

    // The options of the latest request (written under the mutex: clients ask from many threads).
    net::GetOptions last_get_options;
    net::PostOptions last_post_options;

private:
    static net::HttpReply failed(std::string error) { return {false, 0, {}, std::move(error), {}}; }
    template <typename T>
    void set_under_lock(T& member, const T& value)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        member = value;
    }

    template <typename Ask>
    net::HttpReply call(const char* method, const std::string& url, const std::string& body, Ask ask_real)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_requests.push_back({url, body});
        }
        if (m_handler) {
            if (std::optional<net::HttpReply> r = m_handler(method, url, body)) return *r;
        }
        auto it = m_replies.find(url);
        if (it != m_replies.end()) return it->second;
        if (!m_real) return unreachable();
        net::HttpReply r = ask_real();
        if (m_rewrite) m_rewrite(url, r);
        return r;
    }

    Handler m_handler;
    Rewrite m_rewrite;
    std::unique_ptr<net::Http> m_real;
    std::map<std::string, net::HttpReply> m_replies;
    mutable std::mutex m_mutex;
    std::vector<Recorded> m_requests;
};

} // namespace testsupport
