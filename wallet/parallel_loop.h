// The one bounded parallel loop: the wallet's network fan-outs and the book's reads.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

namespace wallet {

// Runs task(i) for every i below count, each exactly once, on min(count, thread_limit) threads,
// the caller being one of them, and returns when all are done. A thread_limit below 2 runs the
// tasks in index order on the calling thread; when no further thread can be started, those
// already running do the rest.
// Returns: the indices whose task threw, ascending; empty when every task returned. A throwing
//          task ends that item only. The caller decides what a failed item means (an error, an
//          unread item, a retry), never a silent "not found".
[[nodiscard]] std::vector<size_t> parallel_for(size_t count, size_t thread_limit,
                                               const std::function<void(size_t)>& task);

} // namespace wallet
