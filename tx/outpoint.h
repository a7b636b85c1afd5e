// Outpoint text: a txid, a separator and an output index, as stored in files and posts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tx/txid.h"

namespace tx {

struct Outpoint {
    Txid txid;
    uint32_t vout = 0;

    bool operator==(const Outpoint&) const = default;
    std::strong_ordering operator<=>(const Outpoint&) const = default;
};

// Reads "<txid>_<index>" or "<txid>:<index>". The separator is the last "_" or ":" of the
// text and must stand right after the txid, at position 64; the txid must be 64 hex digits
// (Txid::parse) and the index one to ten decimal digits no greater than 4294967295
// (no sign, no blanks). Returns nullopt for anything else. Safe from any thread.
std::optional<Outpoint> parse_outpoint(std::string_view text);

// "<txid>_<index>", the form written to files and posts. The txid is written as given.
std::string format_outpoint(std::string_view txid, uint32_t vout);
std::string format_outpoint(const Txid& txid, uint32_t vout);
std::string format_outpoint(const Outpoint& outpoint);

} // namespace tx
