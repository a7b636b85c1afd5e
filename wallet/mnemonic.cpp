#include "wallet/mnemonic.h"

#include <algorithm>
#include <array>
#include <string>

#include "core/hash.h"
#include "wallet/bip39_words.h"

namespace wallet {

namespace {

constexpr size_t WORDS_IN_MNEMONIC = 12;
constexpr size_t ENTROPY_BYTES = 16;
constexpr std::string_view SEED_SALT = "mnemonic";
constexpr uint32_t SEED_ITERATIONS = 2048;

} // namespace

std::optional<unsigned> bip39_word_index(std::string_view word)
{
    const auto& words = bip39_english_words();
    auto it = std::lower_bound(words.begin(), words.end(), word);
    if (it == words.end() || *it != word) return std::nullopt;
    return static_cast<unsigned>(it - words.begin());
}

bool mnemonic_valid(std::string_view mnemonic)
{
    std::array<unsigned, WORDS_IN_MNEMONIC> values{};
    size_t count = 0;
    std::string current;
    current.reserve(64);
    bool ok = true;
    auto finish_word = [&]() {
        if (current.empty()) return;
        if (count < WORDS_IN_MNEMONIC) {
            auto index = bip39_word_index(current);
            if (!index) ok = false;
            else values[count] = *index;
        }
        ++count;
        core::secure_wipe(current);
    };
    for (char c : mnemonic) {
        if (c == ' ' || c == '\t') {
            finish_word();
            continue;
        }
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        current.push_back(c);
    }
    finish_word();
    if (!ok || count != WORDS_IN_MNEMONIC) {
        core::secure_wipe(values.data(), sizeof(values));
        return false;
    }

    // 132 bits, most significant first: 128 bits of entropy, then a 4-bit checksum.
    std::array<uint8_t, ENTROPY_BYTES + 1> bits{};
    size_t bit = 0;
    for (unsigned value : values) {
        for (int b = 10; b >= 0; --b, ++bit) {
            if ((value >> b) & 1u) bits[bit / 8] |= static_cast<uint8_t>(0x80u >> (bit % 8));
        }
    }
    core::Hash256 digest = core::sha256(core::ByteView(bits.data(), ENTROPY_BYTES));
    bool valid = (bits[ENTROPY_BYTES] & 0xF0u) == (digest[0] & 0xF0u);
    core::secure_wipe(bits.data(), bits.size());
    core::secure_wipe(digest.data(), digest.size());
    core::secure_wipe(values.data(), sizeof(values));
    return valid;
}

core::SecretBytes mnemonic_to_seed(std::string_view mnemonic)
{
    if (mnemonic.empty()) return {};
    return core::pbkdf2_sha512(core::as_bytes(mnemonic), core::as_bytes(SEED_SALT), SEED_ITERATIONS, 64);
}

core::SecretString mnemonic_from_entropy(core::ByteView entropy)
{
    if (entropy.size() != ENTROPY_BYTES) return {};
    std::array<uint8_t, ENTROPY_BYTES + 1> bits{};
    std::copy(entropy.begin(), entropy.end(), bits.begin());
    core::Hash256 digest = core::sha256(entropy);
    bits[ENTROPY_BYTES] = static_cast<uint8_t>(digest[0] & 0xF0u);
    core::secure_wipe(digest.data(), digest.size());

    const auto& words = bip39_english_words();
    std::string text;
    text.reserve(WORDS_IN_MNEMONIC * 9);
    for (size_t w = 0; w < WORDS_IN_MNEMONIC; ++w) {
        unsigned value = 0;
        for (size_t b = 0; b < 11; ++b) {
            size_t bit = w * 11 + b;
            value = (value << 1) | ((bits[bit / 8] >> (7 - bit % 8)) & 1u);
        }
        if (w) text.push_back(' ');
        text.append(words[value]);
    }
    core::secure_wipe(bits.data(), bits.size());
    return core::SecretString(std::move(text));
}

core::SecretString generate_mnemonic()
{
    core::SecretBytes entropy{core::Bytes(ENTROPY_BYTES)};
    if (!core::random_bytes(entropy.data(), entropy.size())) return {};
    return mnemonic_from_entropy(entropy.view());
}

} // namespace wallet
