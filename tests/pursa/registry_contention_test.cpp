#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "tests/pursa/pursa_program.h"
#include "tests/wallet/wallet_fixture.h"
#include "wallet/registry.h"
#include "wallet/registry_lock.h"

namespace {

using namespace std::chrono_literals;
using wallettest::WalletDirTest;

// Pursa creates wallets in another process while this process rewrites the registry and
// registers itself over and over: no write may be lost and the file must always parse.
TEST_F(WalletDirTest, TwoProcessesNeverCorruptOrLoseRegistryWrites)
{
    constexpr int PURSA_CREATES = 6;
    constexpr int OWN_WRITES = 40;
    std::vector<std::string> pursa_ids;
    std::thread pursa_side([&] {
        for (int i = 0; i < PURSA_CREATES; ++i) {
            auto r = pursatest::run_pursa(m_temp.path(), {"create"});
            if (r.exit_code == 0 && r.output.starts_with("success: ")) pursa_ids.push_back(r.output.substr(9));
        }
    });

    int unparsable = 0;
    for (int i = 0; i < OWN_WRITES; ++i) {
        {
            wallet::RegistryLock lock;
            auto file = wallet::registry_read_file();
            if (file.state == wallet::RegistryFileState::Unreadable) ++unparsable;
            auto& doc = file.doc;
            if (!doc.contains("wallets") || !doc["wallets"].is_array()) doc["wallets"] = nlohmann::json::array();
            doc["wallets"].push_back({{"id", "t" + std::to_string(i)}, {"name", "own"}});
            std::this_thread::sleep_for(5ms);  // widen the read-modify-write window
            ASSERT_TRUE(wallet::registry_write(doc));
        }
        wallet::register_app("/opt/agoran", "Agoran");
        // Reading without the lock sees either the old or the new file, never a half-written one.
        auto seen = nlohmann::json::parse(read_text("wallets.json"), nullptr, false);
        EXPECT_FALSE(seen.is_discarded());
    }
    pursa_side.join();

    EXPECT_EQ(unparsable, 0);
    ASSERT_EQ(pursa_ids.size(), static_cast<size_t>(PURSA_CREATES));
    std::set<std::string> ids;
    for (const auto& entry : wallet::list_wallets()) ids.insert(entry.id);
    for (int i = 0; i < OWN_WRITES; ++i) EXPECT_TRUE(ids.count("t" + std::to_string(i))) << "lost own write " << i;
    for (const auto& id : pursa_ids) {
        EXPECT_TRUE(ids.count(id)) << "lost Pursa's wallet " << id;
        EXPECT_TRUE(exists(wallet_rel(id)));
    }
    EXPECT_EQ(ids.size(), static_cast<size_t>(OWN_WRITES + PURSA_CREATES));
    EXPECT_FALSE(exists("wallets.json.tmp"));
}

// The lock is held by the process that took it: a second process waits for it.
TEST_F(WalletDirTest, PursaWaitsWhileThisProcessHoldsTheRegistryLock)
{
    std::unique_ptr<platform::ChildProcess> child;
    {
        wallet::RegistryLock lock;
        child = pursatest::start_pursa(m_temp.path(), {"create"});
        ASSERT_TRUE(child);
        std::this_thread::sleep_for(700ms);
        EXPECT_FALSE(exists("wallets.json")) << "Pursa wrote the registry while this process held the lock";
        EXPECT_TRUE(child->running());
    }
    EXPECT_EQ(child->wait(30s), 0);
    EXPECT_EQ(wallet::list_wallets().size(), 1u);
}

} // namespace
