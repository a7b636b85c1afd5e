// Connecting this program to a Pursa wallet: a request file in "connect", approved or denied in
// Pursa by a reply file beside it; an approval binds the named wallet and loads it.
//   request  "<id>.req.json": {"id", "app", "instance", "ts"}      (this program)
//   reply    "<id>.rep.json": {"ok": bool, "wallet_id": text}      (Pursa)
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "wallet/error.h"

namespace wallet {

class WalletSession;

// Writes a request (registered apps only). Returns its id, or nullopt when it cannot be written.
[[nodiscard]] std::optional<std::string> write_connect_request(WalletSession& session);

enum class ConnectReply { Pending, Ok, Denied };
// Reads the reply to a request: Pending while there is none; Ok when "ok" is true (binding the
// wallet it names, when it names a valid one); Denied for "ok" false, an empty or unsafe id, and
// any reply that is not an object with a boolean "ok".
ConnectReply read_connect_reply(WalletSession& session, const std::string& request_id);

struct ConnectOptions {
    int max_polls = 120;
    std::chrono::milliseconds poll_interval{500};
    // Receives the log lines ("Waiting for Pursa to approve this app...\n" and the like);
    // core::log_progress when empty.
    std::function<void(const std::string&)> log;
    // Brings Pursa forward or starts it; show_or_start_pursa when empty.
    std::function<bool()> start_pursa;
};

// Connects this app: "success" at once when a wallet is bound and loads; otherwise writes a
// request, brings up Pursa and polls for the reply. Blocks its thread up to max_polls polls.
// Fails with NotAnApp, RequestNotWritten, Denied, NotApprovedInTime, Locked or WouldNotLoad.
[[nodiscard]] WalletResult<void> pursa_connect(WalletSession& session, const ConnectOptions& options = {});

// True when a wallet is bound (bind file, else the in-memory id) and loads as an HD wallet.
[[nodiscard]] bool pursa_is_connected(WalletSession& session);

// Deletes the bind file, forgets the wallet; Pursa's own state is not touched. Always succeeds.
// The log line goes to log, or to core::log_progress when it is empty.
void pursa_disconnect(WalletSession& session, const std::function<void(const std::string&)>& log = {});

// The loaded wallet's paymail handle + "@" + the paymail domain, or "" when it has none.
[[nodiscard]] std::string pursa_paymail(WalletSession& session);

} // namespace wallet
