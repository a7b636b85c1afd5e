// Canned answers for the service clients: each URL gets a fixed reply, and every request is
// recorded so that tests can check what was asked.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "core/json_get.h"
#include "net/http.h"
#include "net/http_client.h"
#include "net/json_reply.h"

namespace nettest {

struct Recorded {
    std::string method;  // "GET_JSON", "GET" or "POST"
    std::string url;
    std::string body;
};

class FakeHttp final : public net::Http {
public:
    // Answers url with status and body (any method).
    void answer(const std::string& url, long status, std::string body, std::string content_type = {})
    {
        m_replies[url] = Canned{status, std::move(body), std::move(content_type)};
    }

    net::JsonReply get_json(const std::string& url, int) override
    {
        record("GET_JSON", url, "");
        net::JsonReply reply;
        auto it = m_replies.find(url);
        if (it == m_replies.end()) {
            reply.error = "Couldn't connect to server";
            return reply;
        }
        reply.status = it->second.status;
        auto doc = core::parse_json(it->second.body);
        if (doc) reply.json = *doc;
        reply.ok = doc && reply.status >= 200 && reply.status <= 299;
        if (!reply.ok) reply.error = net::http_error_text(reply.status, it->second.body);
        return reply;
    }

    net::HttpReply get(const std::string& url, const net::GetOptions& options) override
    {
        record("GET", url, "");
        last_get_options = options;
        return reply_for(url, options.accept_404, options.max_body);
    }

    net::HttpReply post_json(const std::string& url, const std::string& body, const net::PostOptions& options) override
    {
        record("POST", url, body);
        last_post_options = options;
        return reply_for(url, false, net::MAX_JSON_BODY);
    }

    std::vector<Recorded> requests() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }

    net::GetOptions last_get_options;
    net::PostOptions last_post_options;

private:
    struct Canned {
        long status;
        std::string body;
        std::string content_type;
    };

    void record(const char* method, const std::string& url, const std::string& body)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.push_back({method, url, body});
    }

    net::HttpReply reply_for(const std::string& url, bool accept_404, size_t max_body)
    {
        net::HttpReply reply;
        auto it = m_replies.find(url);
        if (it == m_replies.end()) {
            reply.error = "Couldn't connect to server";
            return reply;
        }
        if (it->second.body.size() > max_body) {
            reply.error = net::too_large_text(max_body);
            return reply;
        }
        reply.status = it->second.status;
        reply.body = it->second.body;
        reply.content_type = it->second.content_type;
        reply.ok = (reply.status >= 200 && reply.status <= 299) || (reply.status == 404 && accept_404);
        if (!reply.ok) reply.error = net::http_error_text(reply.status, reply.body);
        return reply;
    }

    std::map<std::string, Canned> m_replies;
    mutable std::mutex m_mutex;
    std::vector<Recorded> m_requests;
};

} // namespace nettest
