// A canned HTTP client: each request is answered by the test's handler and logged.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/json_get.h"
#include "net/http.h"
#include "net/json_reply.h"

namespace fundingtest {

class FakeHttp final : public net::Http {
public:
    using Handler = std::function<net::HttpReply(const std::string& method, const std::string& url, const std::string& body)>;
    explicit FakeHttp(Handler handler) : m_handler(std::move(handler)) {}

    net::JsonReply get_json(const std::string& url, int) override
    {
        net::HttpReply r = call("GET", url, "");
        net::JsonReply j;
        j.status = r.status;
        auto doc = core::parse_json(r.body);
        j.ok = r.ok && doc.has_value();
        if (doc) j.json = *doc;
        return j;
    }
    net::HttpReply get(const std::string& url, const net::GetOptions& options) override
    {
        net::HttpReply r = call("GET", url, "");
        if (options.accept_404 && r.status == 404) r.ok = true;
        return r;
    }
    net::HttpReply post_json(const std::string& url, const std::string& body, const net::PostOptions&) override
    {
        return call("POST", url, body);
    }

    // "GET <url>" / "POST <url>" in order.
    std::vector<std::string> log() const
    {
        std::lock_guard<std::mutex> g(m_mutex);
        return m_log;
    }
    size_t count(const std::string& needle) const
    {
        size_t n = 0;
        for (const auto& l : log()) n += l.find(needle) != std::string::npos;
        return n;
    }

    static net::HttpReply answer(long status, std::string body)
    {
        net::HttpReply r;
        r.status = status;
        r.ok = status >= 200 && status < 300;
        r.body = std::move(body);
        if (!r.ok) r.error = "HTTP " + std::to_string(status) + " – " + r.body;
        return r;
    }
    static net::HttpReply unreachable()
    {
        net::HttpReply r;
        r.error = "Couldn't connect to server";
        return r;
    }

private:
    net::HttpReply call(const std::string& method, const std::string& url, const std::string& body)
    {
        {
            std::lock_guard<std::mutex> g(m_mutex);
            m_log.push_back(method + " " + url);
        }
        return m_handler(method, url, body);
    }

    Handler m_handler;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_log;
};

} // namespace fundingtest
