#include "wallet/parallel_loop.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace wallet {

namespace {

void run_guarded(const std::function<void(size_t)>& task, size_t i)
{
    try {
        task(i);
    } catch (...) {
        // A failed fetch is the task's own business; it must not end the loop or the process.
    }
}

} // namespace

void parallel_for(size_t count, size_t thread_limit, const std::function<void(size_t)>& task)
{
    if (count == 0) return;
    if (count == 1 || thread_limit < 2) {
        for (size_t i = 0; i < count; ++i) run_guarded(task, i);
        return;
    }
    std::atomic<size_t> next{0};
    std::vector<std::thread> threads;
    const size_t n = std::min(count, thread_limit);
    threads.reserve(n);
    for (size_t t = 0; t < n; ++t) {
        threads.emplace_back([&] {
            for (size_t i = next++; i < count; i = next++) run_guarded(task, i);
        });
    }
    for (auto& thread : threads) thread.join();
}

} // namespace wallet
