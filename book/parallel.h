// The book's fan-out: work on up to eight threads, the caller being one of them.
#pragma once

#include <cstddef>
#include <functional>

namespace book {

inline constexpr size_t MAX_BOOK_THREADS = 8;

// Runs work(i) for every i in 0..n-1, each exactly once, on min(n, 8) threads including the
// caller, and returns when all are done. An exception thrown by one item ends that item only.
// When no thread can be started the caller does all the work.
void parallel_for(size_t n, const std::function<void(size_t)>& work);

} // namespace book
