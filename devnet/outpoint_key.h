// Outpoints as keys of the simulator's hash maps. The simulator names its own transactions, so it
// keeps their txids as the text it made them (lower-case hex); outpoints from requests are read
// with tx::parse_outpoint first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "tx/outpoint.h"

namespace devnet {

struct Outpoint {
    std::string txid;  // 64 lower-case hex digits
    uint32_t vout = 0;

    bool operator==(const Outpoint&) const = default;
};

// The outpoint a request names ("<txid>_<index>" or "<txid>:<index>"), or nullopt.
inline std::optional<Outpoint> outpoint_of_text(std::string_view text)
{
    std::optional<tx::Outpoint> parsed = tx::parse_outpoint(text);
    if (!parsed) return std::nullopt;
    return Outpoint{parsed->txid.hex(), parsed->vout};
}

inline std::string format_outpoint(const Outpoint& o)
{
    return tx::format_outpoint(o.txid, o.vout);
}

struct OutpointHash {
    size_t operator()(const Outpoint& o) const noexcept
    {
        return std::hash<std::string>()(o.txid) ^ (static_cast<size_t>(o.vout) * 0x9E3779B97F4A7C15ULL);
    }
};

} // namespace devnet
