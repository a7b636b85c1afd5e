// The people of the demo market. Each trader keeps a data directory of its own (its own
// LOCALAPPDATA, a folder under the demo's state folder) holding one Pursa stand-in wallet with a
// published paymail name. One process acts for each in turn: acting as a trader points the data
// directory at its folder and forgets what the wallet, funding and service layers held for the
// one before, as a fresh process would (forgetting the wallet empties every session's coin state).
#pragma once

#include <filesystem>
#include <string>

#include "net/devnet_admin_client.h"

namespace demo {

struct Trader {
    std::string name;            // the paymail handle
    std::filesystem::path root;  // its LOCALAPPDATA; the data directory is root / "TavrinNode"
    std::string wallet_id;
    std::string receive;         // receive address (coins)
    std::string ordinals;        // ordinals address (lots)
    std::string identity_key;    // compressed hex
};

// The data directory of a trader's root.
std::filesystem::path data_dir_of(const std::filesystem::path& root);

// Points this process at the trader's folder and registers it as the app instance, bound to the
// folder's only wallet. Leaves the services of that folder's services.json in force.
void act_as(const std::filesystem::path& root, const std::string& app_instance = "agoran-demo");

// Reads the wallet of the folder (act_as first): its id, addresses and identity key. False
// when the folder holds no loadable HD wallet.
[[nodiscard]] bool load_trader(Trader& trader);

// Copies the services.json of one data root into another (the simulator's address for every
// trader). False with error on failure.
[[nodiscard]] bool copy_services(const std::filesystem::path& from_root, const std::filesystem::path& to_root,
                                 std::string& error);

// Makes a trader in an empty folder: the wallet, its paymail name published, coins paid to its
// receive address by the simulator. The folder must already hold services.json. False with
// error when a step fails.
[[nodiscard]] bool open_trader(Trader& trader, const net::DevnetAdminClient& admin, int coins, int64_t sats_each,
                               std::string& error);

} // namespace demo
