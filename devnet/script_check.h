// The simulated node's check of one input: the previous output's lock must be one the node
// runs (see runnable_p2pkh_lock) and the unlocking script must satisfy it with a low-S
// signature over the FORKID digest (tx::check_p2pkh_unlock). A failure is worded as the node
// words it after "16: mandatory-script-verify-flag-failed (".
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "core/bytes.h"
#include "tx/raw_tx.h"

namespace devnet {

// nullopt when input index of tx unlocks the output it spends; otherwise the node's words.
// Safe from any thread.
std::optional<std::string> check_input_script(const tx::RawTx& tx, size_t index, core::ByteView prev_script,
                                              uint64_t prev_value);

} // namespace devnet
