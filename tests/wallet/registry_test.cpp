#include <filesystem>

#include <gtest/gtest.h>

#include "core/log.h"
#include "platform/file_lock.h"
#include "tests/support/full_disk.h"
#include "tests/wallet/wallet_fixture.h"
#include "wallet/app_binding.h"
#include "wallet/data_paths.h"
#include "wallet/registry.h"
#include "wallet/registry_lock.h"

namespace {

using wallettest::WalletDirTest;

// Ids name folders and files: nothing that could leave the wallets folder is one. An instance
// id keeps letters and digits, lower-cased, others underscored, the last 96 kept.
TEST(WalletIds, OnlySafeIdsNameAFile)
{
    EXPECT_EQ(wallet::sanitize_id("C:\\Program Files\\Agoran"), "c__program_files_agoran");
    EXPECT_EQ(wallet::sanitize_id(""), "default");
    EXPECT_EQ(wallet::sanitize_id(std::string(150, 'a') + std::string(50, 'B')), std::string(46, 'a') + std::string(50, 'b'));
    EXPECT_EQ(wallet::sanitize_id("\xc3\xa9t\xc3\xa9"), "__t__");  // each byte of a UTF-8 character
    const std::string first = wallet::new_wallet_id([](const std::string&) { return false; });
    EXPECT_TRUE(wallet::valid_wallet_id(first));
    EXPECT_NE(wallet::new_wallet_id([&](const std::string& id) { return id == first; }), first);  // taken on disk
    EXPECT_TRUE(wallet::valid_wallet_id("w1733300000000"));
    for (const std::string& bad : std::vector<std::string>{"", "../w1", "w1/..", "w 1", std::string(129, 'w')}) {
        EXPECT_FALSE(wallet::valid_wallet_id(bad)) << bad;
        EXPECT_TRUE(wallet::wallet_file_path(bad).empty()) << bad;
    }
}

TEST_F(WalletDirTest, MissingOrCorruptRegistryReadsEmpty)
{
    EXPECT_EQ(wallet::registry_read_file().state, wallet::RegistryFileState::Missing);
    EXPECT_TRUE(wallet::list_wallets().empty());
    for (const char* text : {"not json", "[1,2]", "\"text\"", "{\"wallets\": 5}", "{\"wallets\": [1, {\"id\": \"\"}, {\"name\": \"x\"}]}"}) {
        write_text("wallets.json", text);
        EXPECT_TRUE(wallet::list_wallets().empty()) << text;
        EXPECT_TRUE(wallet::registry_read().is_object()) << text;
    }
    write_text("wallets.json", "{\"wallets\": [{\"id\": \"w2\", \"name\": 7}, {\"id\": \"w1\", \"name\": \"One\"}]}");
    auto list = wallet::list_wallets();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].id, "w2");
    EXPECT_EQ(list[0].name, "");
    EXPECT_EQ(list[1].name, "One");
    EXPECT_EQ(wallet::wallet_display_name("w1"), "One");
    EXPECT_EQ(wallet::wallet_display_name("w9"), "w9");
}

// Another program (or another user, before the lock file was closed to them) keeps
// wallets.lock: the registry is still read, after a bounded wait and a warning that says why.
TEST_F(WalletDirTest, ARegistryLockHeldElsewhereDelaysButNeverHangs)
{
    write_text("wallets.json", "{\"wallets\": [{\"id\": \"w1\", \"name\": \"One\"}]}");
    auto held = platform::FileLock::acquire(wallet::registry_lock_path());
    ASSERT_NE(held, nullptr);
    std::vector<std::string> warnings;
    core::set_log_sink([&](core::LogLevel level, const std::string& text) {
        if (level == core::LogLevel::Warning) warnings.push_back(text);
    });
    std::vector<wallet::WalletEntry> list;
    {
        wallet::RegistryLock outer(std::chrono::milliseconds(200));
        list = wallet::list_wallets();
    }
    core::set_log_sink({});
    ASSERT_EQ(list.size(), 1u);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "Another program kept the wallet registry lock (wallets.lock) for too long; going on without "
                           "it. Close the other program if this repeats.");
}

// A write keeps the members it does not know and leaves no temporary. A crash after writing the
// temporary leaves the registry what it was; a write that cannot complete (a full disk) fails and
// leaves the old file as it was.
TEST_F(WalletDirTest, RegistryWritesAreAtomicAndKeepUnknownMembers)
{
    write_text("wallets.json", "{\"wallets\": [{\"id\": \"w1\", \"name\": \"A\", \"color\": \"red\"}], \"theme\": 3}");
    ASSERT_TRUE(wallet::rename_wallet_to_paymail("w1", "alice"));
    const std::string written = read_text("wallets.json");
    auto doc = read_json("wallets.json");
    EXPECT_EQ(doc["wallets"][0]["name"], "alice");
    EXPECT_EQ(doc["wallets"][0]["color"], "red");
    EXPECT_EQ(doc["theme"], 3);
    EXPECT_FALSE(temporary_left("wallets.json"));
    EXPECT_FALSE(wallet::rename_wallet_to_paymail("w9", "bob"));
    EXPECT_FALSE(wallet::rename_wallet_to_paymail("w1", ""));

    write_text("wallets.json.tmp", "{\"wallets\": [");
    EXPECT_EQ(wallet::list_wallets().size(), 1u);
    EXPECT_EQ(wallet::wallet_display_name("w1"), "alice");
    testsupport::FullDisk full;
    if (!full.active()) return;
    EXPECT_FALSE(wallet::registry_write({{"wallets", nlohmann::json::array()}}));
    EXPECT_EQ(read_text("wallets.json"), written);
}

// A legacy wallet file moves into an empty registry, and the program binds to it; a registry
// that lists wallets, or that cannot be read (Pursa's, half written: migrating would drop every
// wallet it lists), is never replaced by a migration.
TEST_F(WalletDirTest, LegacyWalletMigratesOnlyIntoAnEmptyRegistry)
{
    const auto legacy = hd_wallet(wallettest::ABANDON_MNEMONIC);
    for (const std::string registry : {"", "{}", "{\"wallets\": []}", "{\"wallets\": {}}", "{\"wallets\": null, \"x\": 1}",
                                       R"({"wallets": [{"id": "w1", "name": "Savings"}]})",
                                       R"({"wallets": [{"id": "w1", "name": "Savings"}, {"id": "w2")"}) {
        SCOPED_TRACE(registry);
        std::filesystem::remove_all(m_data);
        std::filesystem::create_directories(m_data);
        write_json("tavrinnode_pursa.json", legacy);
        if (!registry.empty()) write_text("wallets.json", registry);
        wallet::register_app(ws(), "/opt/agoran", "Agoran");
        if (registry.find("Savings") != std::string::npos) {
            EXPECT_EQ(read_text("wallets.json"), registry);
            EXPECT_TRUE(exists("tavrinnode_pursa.json"));
            EXPECT_FALSE(exists("wallets"));
            continue;
        }
        auto list = wallet::list_wallets();
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].name, "Wallet 1");
        EXPECT_TRUE(wallet::valid_wallet_id(list[0].id));
        EXPECT_EQ(read_json("wallets.json")["active"], list[0].id);
        EXPECT_FALSE(exists("tavrinnode_pursa.json"));
        EXPECT_EQ(read_json(wallet_rel(list[0].id)), legacy);
        EXPECT_EQ(wallet::active_wallet_id(ws()), list[0].id);
        EXPECT_EQ(wallet::bound_wallet_id(ws()), list[0].id);
    }
}

// A registry that cannot be written (a full disk) leaves the old wallet file where it was, never
// in a folder no registry lists; the next start moves it.
TEST_F(WalletDirTest, LegacyWalletStaysInPlaceWhenTheRegistryCannotBeWritten)
{
    const auto legacy = hd_wallet(wallettest::ABANDON_MNEMONIC);
    write_json("tavrinnode_pursa.json", legacy);
    {
        testsupport::FullDisk full;
        if (!full.active()) GTEST_SKIP() << "no file-size limit on this system";
        wallet::register_app(ws(), "/opt/agoran", "Agoran");
    }
    EXPECT_EQ(read_json("tavrinnode_pursa.json"), legacy);
    size_t copies = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_data)) {
        if (entry.is_regular_file() && entry.path().filename() != "tavrinnode_pursa.json" &&
            read_json(std::filesystem::relative(entry.path(), m_data).string()) == legacy) {
            ++copies;
        }
    }
    EXPECT_EQ(copies, 0u);
    wallet::register_app(ws(), "/opt/agoran", "Agoran");
    ASSERT_EQ(wallet::list_wallets().size(), 1u);
    EXPECT_FALSE(exists("tavrinnode_pursa.json"));
}

// One wallet in the registry binds the program to it; of two, the bind file (one per instance
// of the program) decides, and survives a restart. A damaged or unsafe bind file binds nothing.
TEST_F(WalletDirTest, BindFileOfThisInstanceDecides)
{
    write_registry({{"w7", nullptr}});
    EXPECT_FALSE(wallet::bind_wallet(ws(), "w7"));  // not before the program registers as an app
    wallet::register_app(ws(), "/opt/agoran", "Agoran");
    EXPECT_EQ(wallet::active_wallet_id(ws()), "w7");
    EXPECT_EQ(read_json("binds/_opt_agoran.json"),
              nlohmann::json({{"app", "Agoran"}, {"instance", "/opt/agoran"}, {"wallet_id", "w7"}}));

    std::filesystem::remove_all(path("binds"));
    write_registry({{"w1", nullptr}, {"w2", nullptr}});
    wallet::register_app(ws(), "/opt/agoran", "Agoran");
    EXPECT_EQ(wallet::active_wallet_id(ws()), "");
    EXPECT_FALSE(exists("binds"));
    EXPECT_FALSE(wallet::bind_wallet(ws(), ""));
    EXPECT_FALSE(wallet::bind_wallet(ws(), "../w1"));
    ASSERT_TRUE(wallet::bind_wallet(ws(), "w2"));
    wallet::WalletSession restarted;
    wallet::register_app(restarted, "/opt/agoran", "Agoran");
    EXPECT_EQ(wallet::bound_wallet_id(restarted), "w2");
    wallet::register_app(restarted, "/other/place", "Agoran");
    EXPECT_EQ(wallet::active_wallet_id(restarted), "");

    for (const char* text : {"{", "[]", "{\"wallet_id\": 5}", "{\"wallet_id\": \"../../secrets\"}", "{\"app\": \"Agoran\"}"}) {
        write_text("binds/_opt_agoran.json", text);
        wallet::register_app(ws(), "/opt/agoran", "Agoran");
        EXPECT_EQ(wallet::active_wallet_id(ws()), "") << text;
    }
    ASSERT_TRUE(wallet::bind_wallet(ws(), "w1"));
    wallet::unbind_wallet(ws());
    EXPECT_FALSE(exists("binds/_opt_agoran.json"));
}

} // namespace
