#include <atomic>
#include <mutex>
#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "book/identity.h"
#include "book/token_details.h"
#include "core/log.h"
#include "tests/book/devnet_book.h"
#include "tests/support/pursa_program.h"
#include "tests/wallet/wallet_fixture.h"
#include "wallet/registry.h"
#include "wallet/registry_lock.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_state.h"

namespace concurrency_test {

using wallettest::ABANDON_MNEMONIC;

// The concurrent parts driven hard, for the thread sanitizer (scripts/sanitize.sh runs every test
// named Concurrent* under it, beside the layers' own tests of the book loader, whose fan-out it
// drives, the coin refresh and the lots scan): the identity and token caches asked and cleared
// from many threads at once, and the progress and log sink replaced while threads report.
constexpr int THREADS = 8;

template <typename Body>
void on_threads(int count, Body body)
{
    std::vector<std::jthread> threads;  // joined as they go
    for (int t = 0; t < count; ++t) threads.emplace_back([&body, t] { body(t); });
}

class ConcurrentCaches : public booktest::BookDevnetTest {};

// Identity keys and token details asked from many threads while one thread keeps clearing the
// caches: every answer stays right.
TEST_F(ConcurrentCaches, AskedAndClearedFromManyThreadsStayRight)
{
    std::vector<booktest::Trader> traders;
    for (unsigned i = 0; i < 4; ++i) {
        traders.push_back(booktest::trader(70 + i, "trader" + std::to_string(i)));
        devnet().set_identity(traders.back().handle, traders.back().pub);
    }
    const std::string icon = booktest::txid_of(0x42) + "_0";
    const std::string id = devnet().mint(booktest::OTHER_ADDRESS, "1000", "GLD", icon);
    std::atomic<int> wrong{0};
    on_threads(THREADS, [&](int t) {
        for (int round = 0; round < 12; ++round) {
            const auto& who = traders[static_cast<size_t>(round + t) % traders.size()];
            if (book::identity_key_of(who.handle, m_services) != who.pub) ++wrong;
            std::string name, sym, token_icon;
            book::token_details(id, book::ListingKind::Token, name, sym, token_icon, m_services);
            if (sym != "GLD" || token_icon != icon) ++wrong;
            if (t == 0 && round % 4 == 3) m_caches.clear_identities();
            if (t == 0 && round % 5 == 4) m_caches.clear_tokens();
            if (t == 1) (void)book::architect_keys_for_reduction(m_services);
        }
    });
    EXPECT_EQ(wrong.load(), 0);
}

// The progress sink is replaced (as the desktop program does at start-up and shut-down) while
// worker threads report: every message reaches exactly one sink, whole.
TEST(ConcurrentProgress, TheSinkCanBeReplacedWhileThreadsReport)
{
    constexpr int MESSAGES = 200;
    std::atomic<int> first{0}, second{0}, torn{0};
    auto counting = [&torn](std::atomic<int>& counter) {
        return [&counter, &torn](core::LogLevel, const std::string& text) {
            if (text.rfind("step ", 0) != 0) ++torn;
            ++counter;
        };
    };
    const core::LogSink before = core::set_log_sink(counting(first));
    std::atomic<bool> done{false};
    std::thread swapper([&] {
        bool which = false;
        while (!done.load()) {
            core::set_log_sink(which ? counting(first) : counting(second));
            which = !which;
            std::this_thread::yield();
        }
    });
    on_threads(THREADS, [](int t) {
        for (int i = 0; i < MESSAGES; ++i) core::log_progress("step " + std::to_string(t) + "." + std::to_string(i));
    });
    done = true;
    swapper.join();
    core::set_log_sink(before);
    EXPECT_EQ(first.load() + second.load(), THREADS * MESSAGES);
    EXPECT_EQ(torn.load(), 0);
}

// The registry lock under load: three Pursa stand-ins create wallets at once while this
// program's threads rewrite the registry and load and save the bound wallet. Every write of
// every process survives, the files always parse, and the bound wallet keeps its keys.
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
    std::set<std::string> expected(pursa_ids.begin(), pursa_ids.end());  // every write, none twice
    expected.insert("w1");
    for (int w = 0; w < WRITERS; ++w) {
        for (int i = 0; i < WRITES_EACH; ++i) expected.insert("t" + std::to_string(w) + "x" + std::to_string(i));
    }
    ASSERT_EQ(expected.size(), static_cast<size_t>(1 + WRITERS * WRITES_EACH + PURSAS * CREATES_EACH));
    std::set<std::string> ids;
    for (const auto& entry : wallet::list_wallets()) ids.insert(entry.id);
    EXPECT_EQ(ids, expected);
    for (const auto& id : pursa_ids) EXPECT_TRUE(exists(wallet_rel(id))) << id;
    EXPECT_FALSE(temporary_left("wallets.json") || temporary_left(wallet_rel("w1")));

    // The program stays bound to its wallet, whatever Pursa made active meanwhile.
    EXPECT_EQ(wallet::active_wallet_id(ws()), "w1");
    wallet::WalletLock lock(ws());
    wallet::wallet_forget(ws());
    ASSERT_TRUE(wallet::wallet_load(ws()));
    EXPECT_EQ(ws().state().mnemonic.view(), ABANDON_MNEMONIC);
}

} // namespace concurrency_test
