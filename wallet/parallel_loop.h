// The bounded parallel loop of the network fan-outs.
#pragma once

#include <cstddef>
#include <functional>

namespace wallet {

// Runs task(i) for every i below count. With count 1 or a thread limit below 2 the tasks run in
// index order on the calling thread; otherwise min(count, thread_limit) threads share the
// indices and are all joined before the call returns. A task that throws is treated as done.
void parallel_for(size_t count, size_t thread_limit, const std::function<void(size_t)>& task);

} // namespace wallet
