// What the ordinals index says about an output and about a token: the records the book's chain
// facts are made of.
#pragma once

#include <optional>
#include <string>

namespace book {

// What an output holds, as the index reports it.
struct HeldAsset {
    std::string origin;    // its inscription's origin outpoint, lower case; "" when none
    std::string token_id;  // the token it carries ("" when none); a deploy output is its own token
};

// A token's display facts: the index's top-level "name", "sym" and "icon", else the deploy
// inscription's; an icon written relative to the deploy ("_0") made whole.
struct TokenFacts {
    std::string name;
    std::string sym;
    std::string icon;
    std::optional<int> dec;
};

} // namespace book
