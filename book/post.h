// Book posts: the signed JSON objects carried in the data output of a transaction, and the
// readers every part of the book uses for their members.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/json_fwd.h"
#include "core/text.h"
#include "tx/raw_tx.h"

namespace book {

using Json = core::Json;

// The "protocol" every book post carries.
inline constexpr std::string_view POST_PROTOCOL = "TV-Agoran";
// The "location" every book post carries.
inline constexpr std::string_view POST_LOCATION = "agoran";

// The largest post: a push of more bytes is not a post, whatever it holds.
inline constexpr size_t MAX_POST_BYTES = 16 * 1024;

// The post a data push holds: at most MAX_POST_BYTES of JSON that is one object whose members
// are all strings, numbers, booleans or null (no array or object anywhere), with "protocol"
// "TV-Agoran". nullopt for anything else. Never throws; safe from any thread.
std::optional<Json> post_from_push(std::string_view bytes);

// Finds the post in a transaction's outputs, in order: an output counts when its script is a
// data carrier (an optional leading 0x00, then 0x6a) whose first push is a post
// (post_from_push). Returns the first, or nullopt. Never throws; safe from any thread.
std::optional<Json> read_post(const std::vector<tx::RawTxOutput>& outputs);

// The same for a transaction given as chain JSON (an object with "vout"), reading each
// output's "scriptPubKey"."hex".
std::optional<Json> read_post_from_tx(const Json& tx);

// A string member; "" when missing or not a string.
std::string post_string(const Json& post, std::string_view key);
// A string member, or the fallback member when the first is missing (not merely empty) or not
// a string ("pubkey"/"publicKey", "sig"/"signature").
std::string post_string_or(const Json& post, std::string_view key, std::string_view fallback);
// An integer member as a signed 64-bit value: a float is truncated toward zero, anything
// else (missing included) reads as 0.
int64_t post_int(const Json& post, std::string_view key);
// An amount or price member as an unsigned 64-bit value: integers as they are, floats
// truncated; negative values and anything else read as 0. nullopt when the member is missing
// or not a number.
std::optional<uint64_t> post_u64_opt(const Json& post, std::string_view key);
uint64_t post_u64(const Json& post, std::string_view key);
// A member read as a number the way the signed envelope reads "ts": an integer as is, a float
// truncated, a string of a decimal number parsed (a fraction truncated), anything else 0.
int64_t post_number(const Json& post, std::string_view key);

// The signer's public key of a post ("pubkey", else "publicKey") in its compressed lower-case
// hex form; the lower-cased text when it is not a key; "" when missing.
std::string post_pubkey(const Json& post);

// Handle normalisation of the signed envelope: trims white space, removes one leading "@" or
// "$", trims again. Case is kept.
std::string normalize_handle(std::string_view handle);


// An unsigned decimal text as a number: digits only, no sign, no blanks, at most 2^64 - 1.
// nullopt otherwise (the empty text included).
std::optional<uint64_t> parse_decimal_u64(std::string_view text);

} // namespace book
