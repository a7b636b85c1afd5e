// ASCII case folding for handles, keys and content types (locale-independent).
#pragma once

#include <string>
#include <string_view>

namespace devnet {

inline std::string ascii_lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

} // namespace devnet
