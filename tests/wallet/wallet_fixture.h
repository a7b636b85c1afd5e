// A temporary shared data directory with helpers to lay out registry and wallet files, and a
// fresh wallet session (nothing bound, nothing loaded) for every test.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/support/temp_dir.h"
#include "wallet/app_binding.h"
#include "wallet/error.h"
#include "wallet/wallet_file.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_session.h"

namespace wallettest {

// The code a wallet routine failed with; nullopt when it did what it was asked.
inline std::optional<wallet::WalletCode> failure_of(const wallet::WalletResult<void>& result)
{
    return result ? std::nullopt : std::optional(result.error().code);
}

inline constexpr const char* ABANDON_MNEMONIC =
    "abandon abandon abandon abandon abandon abandon abandon abandon abandon abandon abandon about";
inline constexpr const char* LEGAL_MNEMONIC =
    "legal winner thank year wave sausage worth useful legal winner thank yellow";
// m/44'/236'/1'/0/0 of ABANDON_MNEMONIC.
inline constexpr const char* ABANDON_RECEIVE_0 = "18pBoqRpHUYf9udsab5G9LT3vQUPxEyMFf";

class WalletDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_data = m_temp.use_as_data_root();
        std::filesystem::create_directories(m_data);
    }

    // The session the test's wallet routines run in.
    virtual wallet::WalletSession& ws() { return m_wallet; }

    std::filesystem::path path(const std::string& relative) const { return m_data / relative; }

    void write_text(const std::string& relative, const std::string& text) const
    {
        const auto p = path(relative);
        std::filesystem::create_directories(p.parent_path());
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        out << text;
    }
    void write_json(const std::string& relative, const nlohmann::json& value) const
    {
        write_text(relative, value.dump(2));
    }
    std::string read_text(const std::string& relative) const
    {
        std::ifstream in(path(relative), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    nlohmann::json read_json(const std::string& relative) const
    {
        return nlohmann::json::parse(read_text(relative), nullptr, false);
    }
    bool exists(const std::string& relative) const { return std::filesystem::exists(path(relative)); }
    // Whether a save's temporary ("<file>.tmp-…") of the file is left beside it.
    bool temporary_left(const std::string& relative) const
    {
        const std::filesystem::path file = path(relative);
        const std::string prefix = file.filename().string() + ".tmp";
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(file.parent_path(), ec)) {
            if (entry.path().filename().string().rfind(prefix, 0) == 0) return true;
        }
        return false;
    }

    static std::string wallet_rel(const std::string& id) { return "wallets/" + id + "/wallet.json"; }

    // An HD wallet file with the given mnemonic and extra members.
    static nlohmann::json hd_wallet(const std::string& mnemonic, nlohmann::json extra = nlohmann::json::object())
    {
        nlohmann::json doc = {{"version", 2}, {"mnemonic", mnemonic}, {"recv", {0, 0, 0, 0, 0, 0}}, {"show", 0}};
        for (auto& [k, v] : extra.items()) doc[k] = v;
        return doc;
    }

    // Lists the wallets in the registry (in this order) and writes their files.
    void write_registry(const std::vector<std::pair<std::string, nlohmann::json>>& wallets) const
    {
        nlohmann::json reg = {{"wallets", nlohmann::json::array()}};
        for (const auto& [id, doc] : wallets) {
            reg["wallets"].push_back({{"id", id}, {"name", "Name of " + id}});
            if (!doc.is_null()) write_json(wallet_rel(id), doc);
        }
        if (!wallets.empty()) reg["active"] = wallets.front().first;
        write_json("wallets.json", reg);
    }

    // One HD wallet "w1", registered and bound.
    void bind_single_wallet(const nlohmann::json& doc)
    {
        write_registry({{"w1", doc}});
        wallet::register_app(ws(), "/opt/agoran", "Agoran");
        ASSERT_EQ(wallet::active_wallet_id(ws()), "w1");
    }
    // The same wallet loaded, the wallet lock held until the test ends.
    void load_single_wallet(const nlohmann::json& doc)
    {
        bind_single_wallet(doc);
        m_lock.emplace(ws());
        ASSERT_TRUE(wallet::wallet_load(ws()));
    }

    testsupport::TempDir m_temp;
    std::filesystem::path m_data;
    wallet::WalletSession m_wallet;
    std::optional<wallet::WalletLock> m_lock;  // let go before the session it locks
};

} // namespace wallettest
