#include "book/parallel.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace book {

void parallel_for(size_t n, const std::function<void(size_t)>& work)
{
    std::atomic<size_t> next{0};
    auto worker = [&]() {
        for (size_t i = next.fetch_add(1); i < n; i = next.fetch_add(1)) {
            try {
                work(i);
            } catch (...) {
                // One item's failure is that item's alone.
            }
        }
    };
    size_t workers = std::clamp<size_t>(n, 1, MAX_BOOK_THREADS);
    std::vector<std::thread> threads;
    threads.reserve(workers - 1);
    for (size_t t = 1; t < workers; ++t) {
        try {
            threads.emplace_back(worker);
        } catch (...) {
            break;
        }
    }
    worker();
    for (std::thread& thread : threads) thread.join();
}

} // namespace book
