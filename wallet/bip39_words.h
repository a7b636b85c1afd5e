// The BIP-39 English word list, built into the program.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace wallet {

inline constexpr size_t BIP39_WORD_COUNT = 2048;

// The 2048 words in the standard's order (alphabetical); a word's index is its 11-bit value.
const std::array<std::string_view, BIP39_WORD_COUNT>& bip39_english_words();

} // namespace wallet
