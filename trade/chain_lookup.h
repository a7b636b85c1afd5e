// What the trade routines ask the chain about single outputs: whether one is spent, and what
// it holds. Network calls: each lets go of the wallet lock while it waits.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "trade/offer_rules.h"
#include "tx/txid.h"

namespace trade {
class MarketSession;
}

namespace trade {

enum class SpentState {
    Unspent,
    Spent,
    Unknown,  // the chain does not know the output, or could not be asked
};

// WhatsOnChain's spent check of one output.
SpentState output_spent_state(const MarketSession& session, const tx::Txid& txid, uint32_t vout);

inline constexpr std::string_view OUTPUT_NOT_LOADED = "could not load that outpoint from the chain yet. Wait a few seconds.";

struct LoadedOutput {
    std::optional<Prevout> prevout;
    std::string error;  // OUTPUT_NOT_LOADED when prevout is empty
};

// The raw transaction WhatsOnChain returns, when its bytes hash to the txid; nullopt otherwise.
std::optional<core::Bytes> load_raw_tx(const MarketSession& session, const tx::Txid& txid);

// The value and locking script of an output, from load_raw_tx. The script must pay a P2PKH hash in one of the forms this program
// can spend; anything else fails as not loaded.
LoadedOutput load_output(const MarketSession& session, const tx::Txid& txid, uint32_t vout);

} // namespace trade
