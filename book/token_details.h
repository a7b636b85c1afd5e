// What the ordinals index says about the assets on the book: what an output holds, and a token's
// name, ticker, icon and decimals from its deploy inscription. Each answer is kept in the services'
// caches (what an output holds and what a deploy says never change); misses are asked
// again.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "book/asset_facts.h"
#include "book/listing.h"
#include "book/services.h"

namespace book {

// The index's answer for an outpoint. nullopt when the index does not answer. Cached once the
// answer names an inscription or a token. Safe from any thread.
std::optional<HeldAsset> held_asset(const tx::Outpoint& outpoint, const BookServices& services);

// The facts of the token with this id. nullopt when the index does not answer. Safe from any
// thread.
std::optional<TokenFacts> token_facts(std::string_view token_id, const BookServices& services);

// Fills whichever of name, sym and icon is empty, for a new listing's post. A picture ("kind"
// "picture") gets its origin as icon and nothing is fetched; a token gets its token_facts. A
// failed lookup changes nothing. Safe from any thread.
void token_details(std::string_view origin, ListingKind kind, std::string& name, std::string& sym,
                   std::string& icon, const BookServices& services);

} // namespace book
