#include "wallet/parallel_loop.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

namespace wallet {

std::vector<size_t> parallel_for(size_t count, size_t thread_limit, const std::function<void(size_t)>& task)
{
    std::atomic<size_t> next{0};
    std::mutex failed_mutex;
    std::vector<size_t> failed;
    auto worker = [&] {
        for (size_t i = next++; i < count; i = next++) {
            try {
                task(i);
            } catch (...) {
                std::lock_guard<std::mutex> lock(failed_mutex);
                failed.push_back(i);
            }
        }
    };
    const size_t workers = std::max<size_t>(1, std::min(count, thread_limit));
    std::vector<std::thread> threads;
    threads.reserve(workers - 1);
    for (size_t t = 1; t < workers; ++t) {
        try {
            threads.emplace_back(worker);
        } catch (...) {
            break;  // no more threads: the ones running share the rest
        }
    }
    worker();
    for (std::thread& thread : threads) thread.join();
    std::sort(failed.begin(), failed.end());
    return failed;
}

} // namespace wallet
