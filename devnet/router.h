// Routes of the simulator's HTTP interface: a path pattern per handler, matched segment by
// segment ("*" matches any one segment), grouped by method and segment count so that a
// request compares only against the few routes of its shape.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "devnet/faults.h"

namespace httplib {
struct Request;
struct Response;
} // namespace httplib

namespace devnet {

struct Call {
    const httplib::Request& req;
    httplib::Response& res;
    std::vector<std::string> args;  // the segments matched by "*", in order

    // A query parameter, or fallback when absent.
    std::string query(const std::string& name, const std::string& fallback = "") const;
    // A non-negative integer query parameter, or fallback when absent or malformed.
    int64_t query_int(const std::string& name, int64_t fallback) const;

    void json(int status, const nlohmann::json& body) const;
    void json_text(int status, std::string body) const;  // an already serialised JSON body
    void text(int status, std::string body, const std::string& content_type = "text/plain") const;
};

using Handler = std::function<void(Call&)>;

struct Route {
    std::string method;
    Service service = Service::admin;
    std::vector<std::string> segments;
    Handler handler;
    bool submit = false;  // a transaction submission (for the accept-then-lose fault)
};

class Router {
public:
    // pattern: "/a/b/*/c". Routes are tried in the order they were added.
    void add(const std::string& method, Service service, const std::string& pattern, Handler handler, bool submit = false);

    struct Match {
        const Route* route = nullptr;
        std::vector<std::string> args;
    };
    std::optional<Match> match(std::string_view method, std::string_view path) const;

private:
    std::unordered_map<std::string, std::vector<Route>> m_routes;  // key: method + "#" + segment count
};

// The service a path belongs to, by its first segment; admin for anything unknown.
Service service_of_path(std::string_view path);

// Splits "/a/b/c" into {"a", "b", "c"}; empty segments are kept except a trailing one.
std::vector<std::string_view> split_path(std::string_view path);

} // namespace devnet
