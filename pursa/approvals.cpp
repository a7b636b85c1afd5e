#include "pursa/approvals.h"

#include <algorithm>
#include <istream>
#include <ostream>
#include <thread>

#include "core/json_get.h"
#include "pursa/vault.h"
#include "wallet/data_paths.h"
#include "wallet/file_io.h"
#include "wallet/registry.h"
#include "wallet/registry_lock.h"

namespace pursa {

namespace {

constexpr std::string_view REQUEST_SUFFIX = ".req.json";
constexpr std::string_view REPLY_SUFFIX = ".rep.json";

std::filesystem::path reply_path(const std::string& id)
{
    return wallet::connect_dir() / (id + std::string(REPLY_SUFFIX));
}

std::string join_ids(const std::vector<std::string>& ids)
{
    std::string out;
    for (const auto& id : ids) out += (out.empty() ? "" : " ") + id;
    return out;
}

} // namespace

std::vector<ConnectRequest> pending_requests()
{
    wallet::RegistryLock lock;
    std::vector<ConnectRequest> out;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(wallet::connect_dir(), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string file = it->path().filename().string();
        if (file.size() <= REQUEST_SUFFIX.size() || !file.ends_with(REQUEST_SUFFIX)) continue;
        const std::string id = file.substr(0, file.size() - REQUEST_SUFFIX.size());
        if (!wallet::valid_wallet_id(id)) continue;
        std::error_code exists_ec;
        if (std::filesystem::exists(reply_path(id), exists_ec)) continue;
        auto doc = wallet::read_json_file(it->path());
        if (!doc || !doc->is_object() || core::json_string(*doc, "id") != id) continue;
        out.push_back({id, core::json_string(*doc, "app"), core::json_string(*doc, "instance"),
                       core::json_int64(*doc, "ts", 0)});
    }
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) {
        return a.ts != b.ts ? a.ts < b.ts : a.id < b.id;
    });
    return out;
}

bool answer_request(const std::string& request_id, bool approve, const std::string& wallet_id)
{
    if (!wallet::valid_wallet_id(request_id)) return false;
    wallet::RegistryLock lock;
    std::error_code ec;
    if (std::filesystem::exists(reply_path(request_id), ec)) return false;
    nlohmann::json reply = {{"ok", approve}};
    if (approve) reply["wallet_id"] = wallet_id;
    return wallet::write_json_file(reply_path(request_id), reply);
}

std::string answer_requests(const AnswerOptions& options)
{
    if (options.approve && options.wallet_id.empty()) return "error: no wallet to approve with: use pursa create.";
    std::vector<std::string> chosen;
    if (options.scope == AnswerScope::Next) {
        const auto start = std::chrono::steady_clock::now();
        for (;;) {
            auto pending = pending_requests();
            if (!pending.empty()) {
                chosen.push_back(pending.front().id);
                break;
            }
            if (options.timeout.count() > 0 && std::chrono::steady_clock::now() - start >= options.timeout)
                return "error: no connect request came in time.";
            std::this_thread::sleep_for(options.poll);
        }
    } else {
        auto pending = pending_requests();
        if (options.scope == AnswerScope::One) {
            auto it = std::find_if(pending.begin(), pending.end(),
                                   [&](const auto& r) { return r.id == options.request_id; });
            if (it == pending.end()) return "error: no pending request " + options.request_id + ".";
            chosen.push_back(it->id);
        } else if (options.scope == AnswerScope::All) {
            for (const auto& r : pending) chosen.push_back(r.id);
        } else if (!pending.empty()) {
            chosen.push_back(pending.back().id);
        }
        if (chosen.empty()) return "error: no pending connect request.";
    }
    for (const auto& id : chosen) {
        if (!answer_request(id, options.approve, options.wallet_id)) return "error: could not answer request " + id + ".";
    }
    return "success: " + join_ids(chosen);
}

int serve_interactively(std::istream& in, std::ostream& out, const std::string& requested_wallet)
{
    out << "Pursa is waiting for connect requests (Ctrl+C to stop)." << std::endl;
    bool can_ask = true;
    for (;;) {
        for (const auto& request : pending_requests()) {
            const std::string wallet_id = choose_wallet(requested_wallet);
            if (!can_ask) break;
            if (wallet_id.empty()) {
                out << "App " << request.app << " asks to connect, but there is no wallet: use pursa create." << std::endl;
                can_ask = false;
                break;
            }
            out << "App \"" << request.app << "\" (" << request.instance << ") asks to use wallet \""
                << wallet::wallet_display_name(wallet_id) << "\" (" << wallet_id << "). Approve? [y/N] " << std::flush;
            std::string answer;
            if (!std::getline(in, answer)) {
                out << "\nNo terminal to ask in: answer with pursa approve or pursa deny." << std::endl;
                can_ask = false;
                break;
            }
            const bool approve = !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
            if (answer_request(request.id, approve, wallet_id))
                out << (approve ? "Approved." : "Denied.") << std::endl;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    return 0;
}

} // namespace pursa
