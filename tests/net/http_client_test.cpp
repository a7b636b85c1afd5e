#include "net/http_client.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <httplib.h>

#include "net/json_reply.h"
#include "net/pace.h"
#include "net/service_config.h"

namespace http_client_test {

using namespace std::chrono_literals;

// An HTTP server inside the test process, on 127.0.0.1 and a free port. Register routes on
// server, then start(): requests may be sent as soon as it returns.
struct LocalServer {
    httplib::Server server;
    std::thread thread;
    int port = 0;

    ~LocalServer()
    {
        server.stop();
        if (thread.joinable()) thread.join();
    }
    void start()
    {
        // Stopping waits for idle kept-alive connections, five seconds by default.
        server.set_keep_alive_timeout(1);
        port = server.bind_to_any_port("127.0.0.1");
        thread = std::thread([this] { server.listen_after_bind(); });
        // stop() before the accept loop runs would be lost and the join would hang.
        while (!server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port) + path; }
};

// Records the client's back-off waits instead of sleeping.
struct SleepLog {
    std::mutex mutex;
    std::vector<long> waits;
    net::CurlHttp::Sleep sleeper()
    {
        return [this](std::chrono::milliseconds d) {
            std::lock_guard<std::mutex> lock(mutex);
            waits.push_back(static_cast<long>(d.count()));
        };
    }
};

const std::string DASH = "\xE2\x80\x93";  // U+2013 in UTF-8
const std::string RATE_LIMITED =
    "HTTP 429 " + DASH + " WhatsOnChain is rate-limiting. Wait a few seconds and try again.";

// What is tried again and how long it waits: 429 a few times without a deadline (400, 800,
// 1600 ms, or the Retry-After asked), 429 and 5xx as the deadline allows with one; never past it.
TEST(HttpRetryTest, WhatIsTriedAgainAndHowLongItWaits)
{
    enum class Ask { Get, GetJson, Post };
    struct Case {
        const char* name;
        Ask ask;
        int failures;        // answers before the first 200
        int status;          // of those answers
        int retry_after;     // seconds; 0: no header
        int attempts;        // Post only
        int deadline;        // seconds from now; 0: none
        bool ok;
        int hits;
        std::vector<long> waits;
    };
    const Case cases[] = {
        {"429 three times", Ask::Get, 3, 429, 0, 1, 0, true, 4, {400, 800, 1600}},
        {"429 for ever", Ask::Get, 100, 429, 0, 1, 0, false, 4, {400, 800, 1600}},
        {"plain JSON GET", Ask::GetJson, 1, 429, 0, 1, 0, false, 1, {}},
        {"POST, two tries", Ask::Post, 1, 429, 0, 2, 0, true, 2, {400}},
        {"POST, one try", Ask::Post, 100, 429, 0, 1, 0, false, 1, {}},
        {"POST, three tries", Ask::Post, 100, 429, 0, 3, 0, false, 3, {400, 800}},
        {"Retry-After", Ask::Get, 1, 429, 2, 1, 0, true, 2, {2000}},
        {"503 without a deadline", Ask::Get, 2, 503, 0, 1, 0, false, 1, {}},
        {"503 with a deadline", Ask::Get, 2, 503, 0, 1, 60, true, 3, {400, 800}},
        {"POST 500 with a deadline", Ask::Post, 2, 500, 0, 1, 60, true, 3, {400, 800}},
        {"a wait past the deadline", Ask::Get, 1, 429, 30, 1, 5, false, 1, {}},
    };
    for (const Case& c : cases) {
        LocalServer s;
        std::atomic<int> hits{0};
        auto handler = [&](const httplib::Request&, httplib::Response& res) {
            if (hits++ < c.failures) {
                res.status = c.status;
                res.set_content(c.status == 429 ? "Too Many Requests" : "busy", "text/plain");
                if (c.retry_after > 0) res.set_header("Retry-After", std::to_string(c.retry_after));
            } else {
                res.set_content("{\"ok\":true}", "application/json");
            }
        };
        s.server.Get("/x", handler);
        s.server.Post("/x", handler);
        s.start();
        SleepLog log;
        net::CurlHttp http(log.sleeper());
        net::Deadline deadline;
        if (c.deadline > 0) deadline = std::chrono::steady_clock::now() + std::chrono::seconds(c.deadline);
        net::HttpReply reply;
        if (c.ask == Ask::GetJson) {
            reply.ok = http.get_json(s.url("/x"), 5).ok;
        } else {
            reply = c.ask == Ask::Get ? http.get(s.url("/x"), net::GetOptions{5, false, net::MAX_JSON_BODY, deadline})
                                      : http.post_json(s.url("/x"), "{}", net::PostOptions{5, c.attempts, deadline});
        }
        EXPECT_EQ(reply.ok, c.ok) << c.name;
        EXPECT_EQ(hits.load(), c.hits) << c.name;
        EXPECT_EQ(log.waits, c.waits) << c.name;
        if (!reply.ok && c.status == 429 && c.ask != Ask::GetJson) {
            EXPECT_EQ(reply.error, RATE_LIMITED) << c.name;
        }
    }
}

// Requests to one service go over one kept-open connection, at the service's pace, with its
// headers.
TEST(HttpAccessTest, AServiceIsAskedOverOneConnectionAtItsPaceWithItsHeaders)
{
    LocalServer s;
    std::mutex mutex;
    std::set<int> ports;
    std::set<std::string> keys;
    s.server.Get(R"(/paced/(\d+))", [&](const httplib::Request& req, httplib::Response& res) {
        std::lock_guard<std::mutex> lock(mutex);
        ports.insert(req.remote_port);
        keys.insert(req.get_header_value("Authorization"));
        res.set_content("{}", "application/json");
    });
    s.start();
    net::register_services({{{s.url("/paced")}, 4, {"Authorization: KEY"}}});
    SleepLog log;
    net::CurlHttp http(log.sleeper());
    const auto started = std::chrono::steady_clock::now();
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(http.get(s.url("/paced/" + std::to_string(i)), net::GetOptions{5}).ok);
    const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    EXPECT_EQ(ports.size(), 1u);
    EXPECT_EQ(keys, std::set<std::string>{"KEY"});
    // The sleeps are recorded, not slept: the fifth turn comes a second after the first, less the
    // real time the requests themselves took (however slow the machine).
    ASSERT_EQ(log.waits.size(), 4u);
    EXPECT_GE(log.waits.back() + spent.count(), 990);
    EXPECT_LT(log.waits.back(), 1150);
}

TEST(HttpErrorTextTest, TrimsLineEndsAndNeverSplitsACharacter)
{
    EXPECT_EQ(net::http_error_text(400, "Missing inputs\r\n \n"), "HTTP 400 " + DASH + " Missing inputs");
    EXPECT_EQ(net::http_error_text(500, "<HTML>oops</HTML>"), "HTTP 500");
    EXPECT_EQ(net::http_error_text(500, " \r\n"), "HTTP 500");
    EXPECT_EQ(net::http_error_text(503, ""), "HTTP 503");
    EXPECT_EQ(net::http_error_text(429, "<html>busy</html>"), RATE_LIMITED);
    // 119 ASCII bytes then a two-byte character: the cut at 120 would split it.
    EXPECT_EQ(net::http_error_text(400, std::string(119, 'a') + "\xC3\xA9tail"), "HTTP 400 " + DASH + " " + std::string(119, 'a'));
    EXPECT_EQ(net::http_error_text(400, std::string(118, 'a') + "\xC3\xA9tail"),
              "HTTP 400 " + DASH + " " + std::string(118, 'a') + "\xC3\xA9");
}

TEST(HttpGetTest, AnswersOverTheCapAreRefused)
{
    const std::string exact(net::MAX_CONTENT_BODY, 'c');
    const std::string over(net::MAX_CONTENT_BODY + 1, 'c');
    LocalServer s;
    s.server.Get("/exact", [&](const httplib::Request&, httplib::Response& res) { res.set_content(exact, "image/png"); });
    s.server.Get("/over", [&](const httplib::Request&, httplib::Response& res) { res.set_content(over, "image/png"); });
    // Chunked: no announced length, so only the running count can stop it.
    s.server.Get("/endless", [](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("image/png", [](size_t offset, httplib::DataSink& sink) {
            if (offset > 64 * 1024 * 1024) return false;  // a safety stop for a broken client
            std::string chunk(64 * 1024, 'z');
            return sink.write(chunk.data(), chunk.size());
        });
    });
    s.start();
    net::CurlHttp http;
    net::GetOptions content{10, false, net::MAX_CONTENT_BODY};

    auto ok = http.get(s.url("/exact"), content);
    EXPECT_TRUE(ok.ok) << ok.error;
    EXPECT_EQ(ok.body.size(), net::MAX_CONTENT_BODY);
    EXPECT_EQ(ok.content_type, "image/png");

    for (const char* path : {"/over", "/endless"}) {
        auto refused = http.get(s.url(path), content);
        EXPECT_FALSE(refused.ok) << path;
        EXPECT_EQ(refused.error, net::too_large_text(net::MAX_CONTENT_BODY)) << path;
        EXPECT_LE(refused.body.size(), net::MAX_CONTENT_BODY) << path;
    }
    // JSON reads have the smaller cap.
    auto json = http.get_json(s.url("/exact"), 10);
    EXPECT_FALSE(json.ok);
    EXPECT_EQ(json.error, net::too_large_text(net::MAX_JSON_BODY));
}

// A 404 fails unless the caller expects it (its body is kept either way); a GET waits at least
// 2 s whatever it was given, a JSON read keeps the time-out it was given; a transport failure
// gives libcurl's text.
TEST(HttpGetTest, A404IsAFailureUnlessExpectedAndTimeOutsHaveTheirFloors)
{
    int free_port;  // free a moment ago: nothing listens there now
    {
        LocalServer gone;
        gone.start();
        free_port = gone.port;
    }
    std::string body, error;
    EXPECT_FALSE(net::http_get("http://127.0.0.1:" + std::to_string(free_port) + "/", body, error, 2));
    EXPECT_EQ(error, curl_easy_strerror(CURLE_COULDNT_CONNECT));
    EXPECT_FALSE(net::http_get("file:///etc/hostname", body, error, 2));

    const std::string not_found = R"({"message":"Not Found"})";
    LocalServer s;
    s.server.Get("/missing", [&](const httplib::Request&, httplib::Response& res) {
        res.status = 404;
        res.set_content(not_found, "application/json");
    });
    s.server.Get("/slow", [](const httplib::Request&, httplib::Response& res) {
        std::this_thread::sleep_for(1300ms);
        res.set_content("{}", "application/json");
    });
    s.start();
    net::Json json;
    EXPECT_FALSE(net::get_json(s.url("/missing"), json, 5));
    EXPECT_EQ(json.value("message", ""), "Not Found");
    EXPECT_TRUE(net::http_get(s.url("/missing"), body, error, 5, true));
    EXPECT_EQ(body, not_found);
    EXPECT_TRUE(error.empty());
    EXPECT_FALSE(net::http_get(s.url("/missing"), body, error, 5, false));
    EXPECT_EQ(error, "HTTP 404 " + DASH + " " + not_found);

    net::CurlHttp http;
    auto slow = http.get(s.url("/slow"), net::GetOptions{1, false, net::MAX_JSON_BODY});
    EXPECT_TRUE(slow.ok) << slow.error;
    auto timed_out = http.get_json(s.url("/slow"), 1);
    EXPECT_FALSE(timed_out.ok);
    EXPECT_EQ(timed_out.error, curl_easy_strerror(CURLE_OPERATION_TIMEDOUT));
}

// A GET follows up to five redirects that stay on https (or this machine) and, for the registry,
// on its host; a POST follows none and sends JSON under the program's name.
TEST(HttpClientTest, RedirectsUpToFiveThatStayOnHttpsAndTheRegistrysHostAndNoneForAPost)
{
    LocalServer s;
    std::mutex mutex;
    std::string posted;  // Content-Type, User-Agent and body of the last POST
    s.server.Post("/submit", [&](const httplib::Request& req, httplib::Response& res) {
        std::lock_guard<std::mutex> lock(mutex);
        posted = req.get_header_value("Content-Type") + " " + req.get_header_value("User-Agent") + " " + req.body;
        res.set_content("\"ok\"", "text/plain");
    });
    s.server.Post("/moved", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/submit", 307); });
    std::atomic<int> landed{0};
    s.server.Get("/landing", [&](const httplib::Request&, httplib::Response& res) {
        ++landed;
        res.set_content("{}", "application/json");
    });
    std::string other_host;  // this server under another name
    s.server.Get("/registry/away", [&](const httplib::Request&, httplib::Response& res) { res.set_redirect(other_host); });
    s.server.Get("/woc/away", [&](const httplib::Request&, httplib::Response& res) { res.set_redirect(other_host); });
    s.server.Get("/registry/home", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/landing"); });
    s.server.Get("/woc/plain", [](const httplib::Request&, httplib::Response& res) {
        res.set_redirect("http://example.com/landing");
    });
    s.server.Get(R"(/hop/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
        int n = std::stoi(req.matches[1]);
        if (n == 0) res.set_content("{}", "application/json");
        else res.set_redirect("/hop/" + std::to_string(n - 1));
    });
    s.start();
    other_host = "http://localhost:" + std::to_string(s.port) + "/landing";
    auto config = std::make_shared<net::ServiceConfig>();
    config->registry = s.url("/registry");
    net::CurlHttp http({}, config);  // a client over the services whose registry is here

    std::string error;
    auto get = [&](const std::string& url) { net::HttpReply r = http.get(url, {5}); error = r.error; return r.ok; };
    EXPECT_TRUE(get(s.url("/registry/home"))) << error;
    EXPECT_TRUE(get(s.url("/woc/away"))) << error;
    EXPECT_EQ(landed.load(), 2);
    EXPECT_FALSE(get(s.url("/registry/away")));
    EXPECT_EQ(error, "refused the redirect to " + other_host + ": the registry may not send a request to another host");
    EXPECT_FALSE(get(s.url("/woc/plain")));
    EXPECT_EQ(error, "refused the redirect to http://example.com/landing: it leaves https");
    EXPECT_FALSE(http.get_json(s.url("/registry/away"), 5).ok);
    EXPECT_EQ(landed.load(), 2);
    // Plain http to another machine is never sent.
    EXPECT_FALSE(get("http://192.0.2.1/woc"));
    EXPECT_EQ(error, "refused http://192.0.2.1/woc: requests go over https, and plain http only to this machine");
    EXPECT_TRUE(get(s.url("/hop/5"))) << error;
    EXPECT_FALSE(get(s.url("/hop/6")));
    EXPECT_EQ(error, curl_easy_strerror(CURLE_TOO_MANY_REDIRECTS));

    std::string response;
    const std::string body = "{\"txhex\":\"0100\"}";
    ASSERT_TRUE(net::http_post_json(s.url("/submit"), body, response, error, 5)) << error;
    EXPECT_EQ(response, "\"ok\"");
    EXPECT_EQ(posted, "application/json " + std::string(net::USER_AGENT) + " " + body);
    posted.clear();
    EXPECT_FALSE(net::http_post_json(s.url("/moved"), body, response, error, 5));
    EXPECT_EQ(error.rfind("HTTP 307", 0), 0u) << error;
    EXPECT_TRUE(posted.empty());
}

TEST(PinHostTest, PinsDomainAndWwwOnlyForMatchingUrls)
{
    CURL* handle = curl_easy_init();
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(net::pin_host(handle, "https://other.example/oi/tx", "registry.test", "192.0.2.7"), nullptr);
    EXPECT_EQ(net::pin_host(handle, "test", "registry.test", "192.0.2.7"), nullptr);

    curl_slist* list = net::pin_host(handle, "https://www.registry.test/oi/tx/ab", "registry.test", "192.0.2.7");
    ASSERT_NE(list, nullptr);
    std::vector<std::string> entries;
    for (curl_slist* e = list; e; e = e->next) entries.emplace_back(e->data);
    EXPECT_EQ(entries, (std::vector<std::string>{"registry.test:443:192.0.2.7", "www.registry.test:443:192.0.2.7"}));
    curl_slist_free_all(list);
    EXPECT_EQ(net::pin_registry_host(handle, "https://api.whatsonchain.com/v1/bsv/main/tx/ab", net::ServiceConfig{}), nullptr);
    curl_easy_cleanup(handle);
}

} // namespace http_client_test
