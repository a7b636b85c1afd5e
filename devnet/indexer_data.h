// The ordinals indexer's reading of an inscription: the "data" object it stores for an
// output, and the BSV-21 token fields of a token body.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "tx/inscription.h"

namespace devnet {

// {"insc": {"file": {"hash", "size", "type"}, "json"? | "text"?, "words"?}, "types": [...]}.
// "hash" is the standard Base64 of the body's SHA-256. "json" is present when the body is at
// most 1024 bytes of UTF-8 without NUL, the type begins with "application" or "text", and the
// body parses as JSON; "text" and "words" likewise for text that is not JSON.
nlohmann::json inscription_data(const tx::Envelope& envelope);

// A BSV-21 operation read from a token inscription.
struct TokenBody {
    std::string op;    // "deploy+mint", "transfer" or "burn"
    std::string id;    // the token id; for deploy+mint the deploying output itself
    uint64_t amt = 0;
    std::string sym;
    std::string icon;  // "_N" resolved against the deploying transaction
    int dec = 0;
};

// Reads a token body as the indexer does: type "application/bsv-20" (any case, as a prefix),
// body at most 1024 bytes, a JSON object whose values are all strings, "p" "bsv-20", "op"
// lower-cased; "amt" a base-10 unsigned 64-bit number; deploy+mint may carry "dec" (at most
// 18), "sym" and "icon"; transfer and burn need an "id" that is a "txid_vout" outpoint.
// txid and vout name the output that carries it. nullopt: not a BSV-21 token.
std::optional<TokenBody> parse_token_body(const tx::Envelope& envelope, std::string_view txid, uint32_t vout);

// A base-10 unsigned 64-bit number: digits only, at least one, no sign, no overflow.
std::optional<uint64_t> parse_u64_text(std::string_view text);

} // namespace devnet
