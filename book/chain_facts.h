// What a listing shows is what the chain holds: the lot's picture is the inscription its listing
// output holds, and a token's name, ticker, icon and decimals come from its deploy inscription,
// both through the ordinals index. The seller's own words stay in Listing::claimed, and a
// listing whose post says otherwise than the chain is flagged (Listing::claims_differ).
#pragma once

#include <optional>
#include <vector>

#include "book/listing.h"
#include "book/services.h"
#include "book/token_details.h"

namespace book {

// Sets the listing's chain_origin, name, sym, icon, dec and claims_differ from what the index
// said about its listing output (held, nullopt when it did not answer) and about the token of
// token_to_ask (token, nullopt when unknown). A picture is drawn from held->origin, else from the
// listing output itself, never from the post. The flag is raised when the index answered and
// the post's origin is not what the output holds, or when a claimed ticker or icon is not the
// token's, or a claimed name is not the name the token has. Pure.
void apply_chain_facts(Listing& listing, const std::optional<HeldAsset>& held, const std::optional<TokenFacts>& token);

// The token whose facts a listing shows: the one its output holds; while the index has not said,
// the one its post names (an offer is checked against the output before anything is paid).
// "" for a picture. Pure.
std::string token_to_ask(const Listing& listing, const std::optional<HeldAsset>& held);

// Asks the index about every listing output and every token they hold (each once, on up to
// eight threads, cached) and applies the answers. Blocks on the network.
void fill_chain_facts(const std::vector<Listing*>& listings, const BookServices& services);
void fill_chain_facts(std::vector<Listing>& listings, const BookServices& services);

} // namespace book
