// Answering connect requests: apps drop "<id>.req.json" into the "connect" folder, and Pursa
// answers with "<id>.rep.json" = {"ok": bool, "wallet_id": id}.
#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace pursa {

struct ConnectRequest {
    std::string id;
    std::string app;
    std::string instance;
    int64_t ts = 0;
};

// Requests without a reply, oldest first. Files that are not a request object whose "id"
// matches their name are skipped.
std::vector<ConnectRequest> pending_requests();

// Writes the reply (atomically, under the registry lock). False when the request id is unsafe
// or the reply already exists or cannot be written.
[[nodiscard]] bool answer_request(const std::string& request_id, bool approve, const std::string& wallet_id);

enum class AnswerScope {
    Newest,  // the most recent pending request
    One,     // the request named
    All,     // every pending request
    Next,    // wait for a pending request, then answer it
};

struct AnswerOptions {
    AnswerScope scope = AnswerScope::Newest;
    std::string request_id;              // for One
    bool approve = true;
    std::string wallet_id;               // the wallet an approval binds
    std::chrono::milliseconds timeout{0};  // for Next: 0 waits without end
    std::chrono::milliseconds poll{200};
};

// "success: " + the ids answered, or "error: ...".
std::string answer_requests(const AnswerOptions& options);

// Waits for requests and asks on out / reads the answer (y or n) from in, naming the app and
// the wallet. Runs until stopped; when in reaches its end it stops asking and keeps running,
// so that "pursa approve" from another terminal can answer. Returns the exit code.
int serve_interactively(std::istream& in, std::ostream& out, const std::string& wallet_id);

} // namespace pursa
