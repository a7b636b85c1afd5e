#include "wallet/connect.h"

#include <thread>

#include "core/json_get.h"
#include "core/log.h"
#include "wallet/app_binding.h"
#include "wallet/data_paths.h"
#include "wallet/file_io.h"
#include "wallet/paymail_domain.h"
#include "wallet/pursa_launch.h"
#include "wallet/registry.h"
#include "wallet/registry_lock.h"
#include "wallet/wallet_file.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_session.h"
#include "wallet/wallet_state.h"

namespace wallet {

namespace {

std::filesystem::path request_path(const std::string& id)
{
    return connect_dir() / (id + ".req.json");
}

std::filesystem::path reply_path(const std::string& id)
{
    return connect_dir() / (id + ".rep.json");
}

// The caller's log when it gave one, else the process-wide progress log.
void write_log(const std::function<void(const std::string&)>& log, const std::string& line)
{
    if (log) log(line);
    else core::log_progress(line);
}

} // namespace

std::optional<std::string> write_connect_request(WalletSession& session)
{
    if (!app_registered(session)) return std::nullopt;
    RegistryLock lock;
    const std::string id = new_wallet_id([](const std::string& taken) {
        std::error_code ec;
        return std::filesystem::exists(request_path(taken), ec) || std::filesystem::exists(reply_path(taken), ec);
    });
    const int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
    nlohmann::json request = {{"id", id}, {"app", app_name(session)}, {"instance", app_instance(session)}, {"ts", now}};
    if (!write_json_file(request_path(id), request)) return std::nullopt;
    return id;
}

ConnectReply read_connect_reply(WalletSession& session, const std::string& request_id)
{
    if (!valid_wallet_id(request_id)) return ConnectReply::Denied;
    RegistryLock lock;
    const auto path = reply_path(request_id);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return ConnectReply::Pending;
    auto reply = read_json_file(path);
    if (!reply) return ConnectReply::Denied;
    auto ok = core::json_bool_opt(*reply, "ok");
    if (!ok || !*ok) return ConnectReply::Denied;
    std::string wallet_id = core::json_string(*reply, "wallet_id");
    if (!wallet_id.empty() && !bind_wallet(session, wallet_id)) return ConnectReply::Denied;
    return ConnectReply::Ok;
}

WalletResult<void> pursa_connect(WalletSession& session, const ConnectOptions& options)
{
    if (!app_registered(session)) return WalletError(WalletCode::NotAnApp);
    {
        WalletLock lock(session);
        if (!active_wallet_id(session).empty() && wallet_load(session)) return {};
    }
    const std::optional<std::string> request = write_connect_request(session);
    if (!request) return WalletError(WalletCode::RequestNotWritten);
    const std::string& id = *request;
    if (options.start_pursa) options.start_pursa();
    else show_or_start_pursa();
    write_log(options.log, "Waiting for Pursa to approve this app...\n");

    int pending = 0;
    for (;;) {
        std::this_thread::sleep_for(options.poll_interval);
        const ConnectReply reply = read_connect_reply(session, id);
        if (reply == ConnectReply::Ok) break;
        if (reply == ConnectReply::Denied) return WalletError(WalletCode::Denied);
        if (++pending >= options.max_polls) return WalletError(WalletCode::NotApprovedInTime);
    }

    {
        WalletLock lock(session);
        wallet_forget(session);
        if (!wallet_load(session)) {
            if (wallet_is_locked(session)) return WalletError(WalletCode::Locked);
            return WalletError(WalletCode::WouldNotLoad);
        }
    }
    write_log(options.log, "Connected to Pursa wallet " + wallet_display_name(active_wallet_id(session)) + "\n");
    return {};
}

bool pursa_is_connected(WalletSession& session)
{
    if (app_registered(session)) {
        std::string id = bound_wallet_id(session);
        if (id.empty()) id = active_wallet_id(session);
        if (id.empty()) return false;
    } else if (active_wallet_id(session).empty()) {
        return false;
    }
    WalletLock lock(session);
    return wallet_load(session) && session.state().hd;
}

void pursa_disconnect(WalletSession& session, const std::function<void(const std::string&)>& log)
{
    WalletLock lock(session);
    if (app_registered(session)) unbind_wallet(session);
    wallet_forget(session);
    write_log(log, "This app is no longer connected to a Pursa wallet.\n");
}

std::string pursa_paymail(WalletSession& session)
{
    WalletLock lock(session);
    if (!wallet_load(session)) return {};
    const std::string& handle = session.state().paymail;
    if (handle.empty()) return {};
    return handle + "@" + paymail_domain(session);
}

} // namespace wallet
