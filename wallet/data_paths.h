// Paths inside the shared data directory that the wallet layer reads and writes.
#pragma once

#include <filesystem>
#include <string>

namespace wallet {

// The shared data directory (created when missing).
std::filesystem::path data_dir();

// "wallets.json", the registry Pursa keeps.
std::filesystem::path registry_path();
// "wallets.lock", the inter-process lock file (never written).
std::filesystem::path registry_lock_path();
// "tavrinnode_pursa.json", the legacy single-wallet file.
std::filesystem::path legacy_wallet_path();
// "binds", one bind file per app instance.
std::filesystem::path binds_dir();
// "connect", connect requests and replies.
std::filesystem::path connect_dir();
// "parked", wallet files Pursa set aside.
std::filesystem::path parked_dir();
// "wallets/<id>/wallet.json"; empty for an empty or unsafe id (see valid_wallet_id).
std::filesystem::path wallet_file_path(const std::string& wallet_id);
// "pursa.lock": held by a running Pursa for as long as it runs, so it can be found.
std::filesystem::path pursa_running_lock_path();

} // namespace wallet
