// Which of the wallet's coins must never pay fees: a coin of 1 satoshi (it may carry an
// inscription the ordinals index has not caught up with, and burning it as fee would destroy
// the inscription), and any coin the ordinals index of its address lists as carrying an
// inscription or tokens. Wallet lock held.
#pragma once

#include <cstdint>
#include <string>

#include "core/bytes.h"
#include "funding/coin_state.h"

namespace funding {

// addr is the address that holds the coin, "" when not known (then every address's index is
// consulted).
[[nodiscard]] bool held_back_as_ordinal(const CoinState& state, const std::string& addr, const tx::Txid& txid,
                                        uint32_t vout, core::Amount sats);

} // namespace funding
