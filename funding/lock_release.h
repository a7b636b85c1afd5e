// Network fetches run with the wallet lock released by the calling thread, so that the rest of
// the program (the balance shown, the reserves read by the window) is not held up by a slow
// service. The caller re-checks afterwards that the same wallet is still bound.
#pragma once

#include <functional>

namespace funding {

// Runs fetch with every level of the wallet lock this thread holds released, then takes them
// all again. fetch must not touch the wallet state or the coin state.
void run_without_wallet_lock(const std::function<void()>& fetch);

} // namespace funding
