// Base64 text (standard alphabet, "=" padding) of signatures.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/bytes.h"

namespace core {

// Returns the Base64 text of the bytes with the standard alphabet (A-Z a-z 0-9 + /) and "="
// padding to a multiple of four characters; empty for empty input. Safe from any thread.
std::string base64_encode(ByteView bytes);

// Decodes Base64 leniently about layout and strictly about the alphabet: "=" and white space
// (space, \t, \n, \v, \f, \r) are skipped wherever they stand, every other character must be one
// of A-Z a-z 0-9 + / (the URL-safe "-" and "_" are refused). Bytes are emitted as soon as eight
// bits have collected; leftover bits are dropped and padding is not checked. Returns the bytes
// ("" gives {}), or nullopt on a character outside the alphabet. Safe from any thread.
std::optional<Bytes> base64_decode(std::string_view text);

} // namespace core
