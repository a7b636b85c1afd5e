#include "funding/holdback.h"


namespace funding {

bool held_back_as_ordinal(const CoinState& state, const std::string& addr, const tx::Txid& txid, uint32_t vout,
                          core::Amount sats)
{
    if (sats <= 1) return true;
    const tx::Outpoint key{txid, vout};
    if (!addr.empty()) {
        auto it = state.indexes.find(addr);
        return it != state.indexes.end() && it->second.outpoints.count(key) > 0;
    }
    for (const auto& [address, index] : state.indexes) {
        if (index.outpoints.count(key) > 0) return true;
    }
    return false;
}

} // namespace funding
