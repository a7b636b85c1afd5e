// The registry lock under load: three Pursa stand-ins create wallets at once while this
// program's threads rewrite the registry and load and save the bound wallet. Every write of
// every process survives, the files always parse, and the bound wallet keeps its keys.
#include <atomic>
#include <mutex>
#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "tests/support/pursa_program.h"
#include "tests/wallet/wallet_fixture.h"
#include "wallet/registry.h"
#include "wallet/registry_lock.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_state.h"

namespace {

using wallettest::ABANDON_MNEMONIC;

class RegistryUnderLoad : public wallettest::WalletDirTest {};

TEST_F(RegistryUnderLoad, PursaStandInsAndProgramThreadsLoseNoWriteAndKeepTheBinding)
{
    constexpr int PURSAS = 3;
    constexpr int CREATES_EACH = 3;
    constexpr int WRITERS = 3;
    constexpr int WRITES_EACH = 12;
    constexpr int SAVES = 15;
    bind_single_wallet(hd_wallet(ABANDON_MNEMONIC));

    std::mutex ids_mutex;
    std::vector<std::string> pursa_ids;
    std::atomic<int> pursa_failures{0}, unreadable{0}, torn{0}, wallet_failures{0};
    std::vector<std::thread> threads;
    for (int p = 0; p < PURSAS; ++p) {
        threads.emplace_back([&] {
            for (int i = 0; i < CREATES_EACH; ++i) {
                const auto r = pursatest::run_pursa(m_temp.path(), {"create"});
                if (r.exit_code != 0 || !r.output.starts_with("success: ")) {
                    ++pursa_failures;
                    continue;
                }
                std::lock_guard<std::mutex> lock(ids_mutex);
                pursa_ids.push_back(r.output.substr(9));
            }
        });
    }
    for (int w = 0; w < WRITERS; ++w) {
        threads.emplace_back([&, w] {
            for (int i = 0; i < WRITES_EACH; ++i) {
                {
                    wallet::RegistryLock lock;
                    auto file = wallet::registry_read_file();
                    if (file.state == wallet::RegistryFileState::Unreadable) ++unreadable;
                    auto& doc = file.doc;
                    if (!doc.contains("wallets") || !doc["wallets"].is_array()) doc["wallets"] = nlohmann::json::array();
                    doc["wallets"].push_back({{"id", "t" + std::to_string(w) + "x" + std::to_string(i)}, {"name", "own"}});
                    if (!wallet::registry_write(doc)) ++unreadable;
                }
                // Read without the lock: the old file or the new one, never a torn one.
                if (nlohmann::json::parse(read_text("wallets.json"), nullptr, false).is_discarded()) ++torn;
            }
        });
    }
    threads.emplace_back([&] {
        for (int i = 0; i < SAVES; ++i) {
            wallet::WalletLock lock(ws());
            wallet::wallet_forget(ws());
            if (!wallet::wallet_load(ws()) || ws().state().mnemonic.view() != ABANDON_MNEMONIC) ++wallet_failures;
            else if (!wallet::wallet_save(ws())) ++wallet_failures;
        }
    });
    for (auto& t : threads) t.join();

    EXPECT_EQ(pursa_failures + unreadable + torn + wallet_failures, 0)
        << pursa_failures << " Pursa failures, " << unreadable << " unreadable, " << torn << " torn, " << wallet_failures;
    ASSERT_EQ(pursa_ids.size(), static_cast<size_t>(PURSAS * CREATES_EACH));

    std::set<std::string> ids;
    for (const auto& entry : wallet::list_wallets()) ids.insert(entry.id);
    std::vector<std::string> expected = pursa_ids;
    expected.push_back("w1");
    for (int w = 0; w < WRITERS; ++w) {
        for (int i = 0; i < WRITES_EACH; ++i) expected.push_back("t" + std::to_string(w) + "x" + std::to_string(i));
    }
    for (const auto& id : expected) EXPECT_TRUE(ids.count(id)) << "lost the write of " << id;
    for (const auto& id : pursa_ids) EXPECT_TRUE(exists(wallet_rel(id))) << id;
    EXPECT_EQ(ids.size(), static_cast<size_t>(1 + WRITERS * WRITES_EACH + PURSAS * CREATES_EACH));
    EXPECT_FALSE(temporary_left("wallets.json") || temporary_left(wallet_rel("w1")));

    // The program stays bound to its wallet, whatever Pursa made active meanwhile.
    EXPECT_EQ(wallet::active_wallet_id(ws()), "w1");
    wallet::WalletLock lock(ws());
    wallet::wallet_forget(ws());
    ASSERT_TRUE(wallet::wallet_load(ws()));
    EXPECT_EQ(ws().state().mnemonic.view(), ABANDON_MNEMONIC);
}

} // namespace
