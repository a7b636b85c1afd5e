// The people of the demo market. Each trader keeps a data directory of its own (its own
// LOCALAPPDATA, a folder under the demo's state folder) holding one Pursa stand-in wallet with a
// published paymail name. One process acts for each in turn: acting as a trader points the data
// directory at its folder and trades through that trader's own market session, bound to its
// wallet, as a program started there would.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "net/devnet_admin_client.h"
#include "trade/market_session.h"

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

// Points this process's data directory at the trader's folder.
void enter_folder(const std::filesystem::path& root);

// Enters the trader's folder and returns a market session over the services of its
// services.json, registered as the app instance and bound to the folder's only wallet.
std::unique_ptr<trade::MarketSession> act_as(const std::filesystem::path& root,
                                             const std::string& app_instance = "agoran-demo");

// Reads the session's wallet (act_as first): its id, addresses and identity key. False when
// the folder holds no loadable HD wallet.
[[nodiscard]] bool load_trader(trade::MarketSession& session, Trader& trader);

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
