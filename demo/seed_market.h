// Seeds the simulator with a market that looks lived in: the traders of demo/market_script.h
// with their wallets, tokens and pictures, and the script's 90 days of listings, offers, sales,
// cancels and withdrawals, played through the trade routines at each move's market time. Then
// the user's wallet is approved for the desktop program.
//
// The state folder holds one data root per person: "user" for the user, "traders/<name>" for
// the others. The user's data directory must already hold the simulator's services.json.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/secure.h"

namespace demo {

struct SeedOptions {
    std::filesystem::path state_dir;
    std::string base_url;                 // the simulator, "http://127.0.0.1:PORT"
    std::vector<std::string> token_icons;  // PNG bytes, one per token of the script
    std::vector<std::string> pictures;     // PNG bytes, one per picture of the script
    std::string app_instance;              // the desktop program's instance to approve ("" none)
    std::function<void(const std::string&)> log;  // progress lines
};

struct SeedReport {
    int traders = 0;            // seeded traders with published names, the user not counted
    int tokens = 0;
    int pictures = 0;
    int listings = 0;           // every listing ever posted
    int live = 0;
    int partially_filled = 0;   // live with part of their lots sold
    int cancelled = 0;
    int expired = 0;
    int sold = 0;
    int open_offers = 0;
    int withdrawn_offers = 0;
    int fills = 0;
    int moves_failed = 0;
    double oldest_fill_days = 0;
    std::string user_key;                // the user's identity key
    std::string architect_key;           // the architect's identity key (reports are sealed to it)
    std::vector<std::string> live_ids;   // the live listings' ids
    std::string error;                   // empty on success
};

// The root of a person's data: state/"user", or state/"traders"/name.
std::filesystem::path user_root(const std::filesystem::path& state_dir);
std::filesystem::path trader_root(const std::filesystem::path& state_dir, const std::string& name);

// Seeds once; blocks on the simulator for a minute or two.
SeedReport seed_market(const SeedOptions& options);

// The private identity key of the demo's architect, from its wallet in the state folder (the
// simulator's admin opens reports with it); nullopt when the state holds no architect. Points
// this process's data directory at the architect's folder.
std::optional<core::SecretString> architect_key(const std::filesystem::path& state_dir);

// The report as JSON text, and the file the demo keeps it in (state/"seeded.json").
std::string seed_report_json(const SeedReport& report);
std::filesystem::path seed_report_path(const std::filesystem::path& state_dir);

} // namespace demo
