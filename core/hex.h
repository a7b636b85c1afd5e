// Hexadecimal text for keys, hashes and raw transactions. All functions are pure and safe
// from any thread.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/bytes.h"

namespace core {

// Returns two lower-case hex characters per byte, high nibble first; empty for empty input.
std::string hex_encode(ByteView bytes);

// Strict decode: 0-9, a-f, A-F in pairs and nothing else (no blanks, no "0x").
// Returns the bytes, or nullopt on odd length or any other character. "" decodes to {}.
std::optional<Bytes> hex_decode(std::string_view text);

// Strict decode into a caller's fixed-size buffer, for private keys and digests that must not
// linger in a heap copy. Succeeds only when text holds exactly 2 * out.size() hex digits.
// On failure the content of out is unspecified (the caller wipes it if it matters).
[[nodiscard]] bool hex_decode_to(std::string_view text, std::span<uint8_t> out);

// Decode for keys that arrive from other parties: trims leading and trailing blanks
// (space, \t, \n, \v, \f, \r), removes one leading "0x" or "0X", then requires an even
// number of hex digits. Returns nullopt when any of that fails.
std::optional<Bytes> hex_decode_loose(std::string_view text);

// True for 0-9, a-f and A-F.
bool is_hex_digit(char c);

// True when the text is exactly 64 hex digits of either case (a txid or a token id).
bool is_hex64(std::string_view text);

} // namespace core
