// This program as an "app" of the registry: a wallet session's registration, and the bind file
// that records which wallet it uses ("binds/<sanitised instance id>.json": {"app", "instance",
// "wallet_id"}). The registration lives in the session (wallet/wallet_session.h): two sessions of
// one process may act as two apps, each bound to its own wallet.
#pragma once

#include <filesystem>
#include <string>

namespace wallet {

class WalletSession;

// The in-memory side of a session's registration.
struct AppRegistration {
    bool registered = false;
    std::string app = "App";
    std::string instance = ".";
    std::string active_id;  // the wallet the session uses, empty when unbound
};

// Registers the session as an app (once, when the program starts). Empty arguments default to "." and
// "App". Migrates a legacy single wallet into the registry when the registry is absent, or
// parsed and empty (never when it exists but cannot be read); then binds to the wallet named
// by the bind file, or, without one, to the only wallet the registry lists.
void register_app(WalletSession& session, const std::string& instance_id, const std::string& app_name);

[[nodiscard]] bool app_registered(const WalletSession& session);
std::string app_name(const WalletSession& session);
std::string app_instance(const WalletSession& session);

// The bind file of the session's instance.
std::filesystem::path bind_path(const WalletSession& session);
// The wallet the session uses (in memory), empty when unbound.
std::string active_wallet_id(const WalletSession& session);
// When registered: the bind file's "wallet_id" read afresh (empty on any failure); otherwise
// the in-memory active id.
std::string bound_wallet_id(const WalletSession& session);
// Registered only, with a valid wallet id: sets the active id and writes the bind file.
// False when refused or when the file could not be written.
[[nodiscard]] bool bind_wallet(WalletSession& session, const std::string& wallet_id);
// Registered only: deletes the bind file and clears the active id.
void unbind_wallet(WalletSession& session);

} // namespace wallet
