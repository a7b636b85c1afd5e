// The wallet registry "wallets.json" that Pursa keeps: {"wallets": [{"id", "name", ...}],
// "active": id}. Members this program does not know are kept by read-modify-write.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace wallet {

struct WalletEntry {
    std::string id;
    std::string name;
};

// How the registry file was found.
enum class RegistryFileState { Missing, Parsed, Unreadable };

struct RegistryFile {
    RegistryFileState state = RegistryFileState::Missing;
    nlohmann::json doc = nlohmann::json::object();  // always an object
};

// Reads the registry under the registry lock. A missing, unreadable or non-object file gives
// an empty object; the state tells which.
RegistryFile registry_read_file();
// The registry object (empty when missing or corrupt), under the registry lock.
nlohmann::json registry_read();
// Replaces "wallets.json" atomically through "wallets.json.tmp". False (old file untouched,
// temporary removed) on failure.
[[nodiscard]] bool registry_write(const nlohmann::json& registry);

// The (id, name) pairs of the object entries of "wallets" with a non-empty id, in file order.
std::vector<WalletEntry> registry_entries(const nlohmann::json& registry);
// registry_entries of the registry on disk, under the registry lock.
std::vector<WalletEntry> list_wallets();
// The entry's "name", or the id itself when no entry has that id.
std::string wallet_display_name(const std::string& wallet_id);
// Sets the name of the wallet's entry to the paymail handle and rewrites the registry. False
// when the handle is empty, no entry has the id, or the write fails.
[[nodiscard]] bool rename_wallet_to_paymail(const std::string& wallet_id, const std::string& handle);

// "w" + milliseconds since 1970, counted on past every id `taken` reports in use (the caller
// asks the disk, under the registry lock, so that no two callers of any process get one id).
std::string new_wallet_id(const std::function<bool(const std::string& id)>& taken);
// Letters and digits lower-cased, every other byte "_", the last 96 characters kept,
// "default" when empty.
std::string sanitize_id(std::string_view id);
// True for a wallet id this program will turn into a path: 1 to 128 letters, digits, "_" or
// "-" (so an id read from a file can never leave the wallets folder).
[[nodiscard]] bool valid_wallet_id(std::string_view id);

} // namespace wallet
