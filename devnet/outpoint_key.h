// Outpoints as keys of the simulator's hash maps.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "tx/outpoint.h"

namespace devnet {

using tx::Outpoint;

struct OutpointHash {
    size_t operator()(const Outpoint& o) const noexcept
    {
        return std::hash<std::string>()(o.txid) ^ (static_cast<size_t>(o.vout) * 0x9E3779B97F4A7C15ULL);
    }
};

} // namespace devnet
