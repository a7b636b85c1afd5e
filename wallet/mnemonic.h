// Twelve-word mnemonics: the check the wallet file's "mnemonic" must pass, the seed it gives,
// and making a fresh one from 16 bytes of entropy.
#pragma once

#include <optional>
#include <string_view>

#include "core/bytes.h"
#include "core/secure.h"

namespace wallet {

// The 11-bit value of a word of the English list (exact, lower-case match), or nullopt.
std::optional<unsigned> bip39_word_index(std::string_view word);

// True when the text holds exactly 12 words of the English list whose last 4 bits match the
// checksum of the 128-bit entropy. Words are separated by runs of space and tab (leading and
// trailing ones ignored); every other byte belongs to a word and is lower-cased before the
// lookup, so a line feed or a comma stays inside a word and fails it. Safe from any thread.
[[nodiscard]] bool mnemonic_valid(std::string_view mnemonic);

// The 64-byte seed: PBKDF2-HMAC-SHA512 over the text exactly as given (no normalisation),
// salt "mnemonic", 2048 iterations. Empty holder when the text is empty or OpenSSL fails.
core::SecretBytes mnemonic_to_seed(std::string_view mnemonic);

// The 12-word mnemonic (single spaces, lower case) of 16 bytes of entropy. Empty holder when
// the entropy is not 16 bytes.
core::SecretString mnemonic_from_entropy(core::ByteView entropy);

// A fresh 12-word mnemonic from the system's secure random source; empty when it fails.
core::SecretString generate_mnemonic();

} // namespace wallet
