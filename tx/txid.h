// A transaction id as the program holds it once it has entered: 64 lower-case hex digits in
// display order (the wire holds the bytes reversed). Text from users, services and posts becomes
// a Txid through parse, once, where it enters; inner code compares and keys on it without
// folding case or checking length again.
#pragma once

#include <compare>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tx {

class Txid {
public:
    // The null txid: 64 zeros (no transaction has it).
    Txid() : m_hex(64, '0') {}

    // The txid the text names: exactly 64 hex digits, either case (returned lower-cased).
    // nullopt for anything else (blanks, a prefix, other lengths). Safe from any thread.
    static std::optional<Txid> parse(std::string_view text)
    {
        if (text.size() != 64) return std::nullopt;
        Txid id;
        for (size_t i = 0; i < text.size(); ++i) {
            char c = text[i];
            if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
            if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return std::nullopt;
            id.m_hex[i] = c;
        }
        return id;
    }

    // The 64 lower-case hex digits, display order.
    [[nodiscard]] const std::string& hex() const { return m_hex; }
    [[nodiscard]] bool is_null() const { return m_hex.find_first_not_of('0') == std::string::npos; }

    bool operator==(const Txid&) const = default;
    std::strong_ordering operator<=>(const Txid&) const = default;

private:
    std::string m_hex;
};

} // namespace tx

template <>
struct std::hash<tx::Txid> {
    size_t operator()(const tx::Txid& id) const noexcept { return std::hash<std::string>()(id.hex()); }
};
