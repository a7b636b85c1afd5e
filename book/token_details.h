// What the ordinals index says about the assets on the book: what an output holds, and a token's
// name, ticker, icon and decimals from its deploy inscription. Each answer is cached for the life
// of the process (what an output holds and what a deploy says never change); misses are asked
// again.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "book/listing.h"
#include "book/services.h"

namespace book {

// What an output holds, as the index reports it.
struct HeldAsset {
    std::string origin;    // its inscription's origin outpoint, lower case; "" when none
    std::string token_id;  // the token it carries ("" when none); a deploy output is its own token
};

// The index's answer for an outpoint ("txid_vout" or "txid:vout"). nullopt when the outpoint
// does not parse or the index does not answer. Cached once the answer names an inscription or a
// token. Safe from any thread.
std::optional<HeldAsset> held_asset(std::string_view outpoint, const BookServices& services = default_services());

// A token's display facts: the index's top-level "name", "sym" and "icon", else the deploy
// inscription's; an icon written relative to the deploy ("_0") made whole.
struct TokenFacts {
    std::string name;
    std::string sym;
    std::string icon;
    std::optional<int> dec;
};

// The facts of the token with this id. nullopt when the index does not answer. Safe from any
// thread.
std::optional<TokenFacts> token_facts(std::string_view token_id, const BookServices& services = default_services());

// Fills whichever of name, sym and icon is empty, for a new listing's post. A picture ("kind"
// "picture") gets its origin as icon and nothing is fetched; a token gets its token_facts. A
// failed lookup changes nothing. Safe from any thread.
void token_details(std::string_view origin, ListingKind kind, std::string& name, std::string& sym,
                   std::string& icon, const BookServices& services = default_services());

// Forgets every cached token and output (tests).
void clear_token_cache();

} // namespace book
