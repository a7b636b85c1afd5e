// The concurrent parts driven hard, for the thread sanitizer (scripts/sanitize.sh runs every test
// named Concurrent* under it, beside the layers' own tests of the book loader, whose fan-out it
// drives, the coin refresh and the lots scan): the identity and token caches asked and cleared
// from many threads at once, and the progress and log sink replaced while threads report.
#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "book/identity.h"
#include "book/token_details.h"
#include "core/log.h"
#include "tests/book/devnet_book.h"

namespace {

constexpr int THREADS = 8;

template <typename Body>
void on_threads(int count, Body body)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < count; ++t) threads.emplace_back([&body, t] { body(t); });
    for (auto& thread : threads) thread.join();
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

} // namespace
