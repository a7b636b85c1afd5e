// This program as an "app" of the registry: its registration, and the bind file that records
// which wallet it uses ("binds/<sanitised instance id>.json": {"app", "instance", "wallet_id"}).
#pragma once

#include <filesystem>
#include <string>

namespace wallet {

// Registers this process as an app (once, at start-up). Empty arguments default to "." and
// "App". Migrates a legacy single wallet into the registry when the registry is absent, or
// parsed and empty (never when it exists but cannot be read); then binds to the wallet named
// by the bind file, or, without one, to the only wallet the registry lists.
void register_app(const std::string& instance_id, const std::string& app_name);
// Forgets the registration (the state of a process that never registered).
void unregister_app();

[[nodiscard]] bool app_registered();
std::string app_name();
std::string app_instance();

// The bind file of this instance.
std::filesystem::path bind_path();
// The wallet this process uses (in memory), empty when unbound.
std::string active_wallet_id();
// When registered: the bind file's "wallet_id" read afresh (empty on any failure); otherwise
// the in-memory active id.
std::string bound_wallet_id();
// Registered only, with a valid wallet id: sets the active id and writes the bind file.
// False when refused or when the file could not be written.
[[nodiscard]] bool bind_wallet(const std::string& wallet_id);
// Registered only: deletes the bind file and clears the active id.
void unbind_wallet();

} // namespace wallet
