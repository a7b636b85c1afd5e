#include "book/chain_facts.h"

#include <algorithm>
#include <map>

#include "book/post.h"
#include "core/log.h"
#include "wallet/parallel_loop.h"

namespace book {
namespace {

constexpr size_t FACT_THREADS = 8;  // questions asked at once, the caller asking one

// Outpoints and token ids as the index writes them: lower case, "_" before the index.
std::string outpoint_key(std::string_view text)
{
    std::string key = core::ascii_lower(core::trim_ascii_space(text));
    std::replace(key.begin(), key.end(), ':', '_');
    return key;
}

bool claim_differs(const std::string& claim, const std::string& chain)
{
    return !claim.empty() && claim != chain;
}

} // namespace

void apply_chain_facts(Listing& listing, const std::optional<HeldAsset>& held, const std::optional<TokenFacts>& token)
{
    listing.chain_origin.clear();
    listing.name.clear();
    listing.sym.clear();
    listing.icon.clear();
    listing.dec.reset();
    listing.claims_differ = false;
    const SellerClaims& claimed = listing.claimed;

    if (listing.kind == ListingKind::Picture) {
        if (held) listing.chain_origin = held->origin;
        // Without the index's word, the content service reads the inscription in the listing
        // output itself; an output that only carries a moved inscription then draws nothing.
        listing.icon = listing.chain_origin.empty() ? listing_utxo_text(listing) : listing.chain_origin;
        listing.claims_differ = held && (held->origin.empty() || outpoint_key(listing.origin) != held->origin ||
                                         claim_differs(outpoint_key(claimed.icon), held->origin));
        return;
    }

    if (held) listing.chain_origin = held->token_id;
    if (token) {
        listing.name = token->name;
        listing.sym = token->sym;
        listing.icon = token->icon;
        listing.dec = token->dec;
    }
    const bool other_asset = held && (held->token_id.empty() || outpoint_key(listing.origin) != held->token_id);
    const bool other_words = token && ((!token->name.empty() && claim_differs(claimed.name, token->name)) ||
                                       claim_differs(claimed.sym, token->sym) || claim_differs(claimed.icon, token->icon));
    listing.claims_differ = other_asset || other_words;
}

std::string token_to_ask(const Listing& listing, const std::optional<HeldAsset>& held)
{
    if (listing.kind == ListingKind::Picture) return {};
    return held ? held->token_id : outpoint_key(listing.origin);
}

void fill_chain_facts(const std::vector<Listing*>& listings, const BookServices& services)
{
    // Each output and each token is asked once, in parallel; the answers land in maps whose
    // entries exist before the workers start, so each worker writes only its own entry.
    std::map<tx::Outpoint, std::optional<HeldAsset>> held;
    for (const Listing* listing : listings) {
        if (listing->utxo) held.emplace(*listing->utxo, std::nullopt);
    }
    const std::optional<HeldAsset> no_output;
    auto held_by = [&](const Listing& listing) -> const std::optional<HeldAsset>& {
        return listing.utxo ? held[*listing.utxo] : no_output;
    };
    std::vector<std::pair<const tx::Outpoint, std::optional<HeldAsset>>*> outputs;
    for (auto& entry : held) outputs.push_back(&entry);
    // An output or token whose question threw stays unanswered, as when the index is silent: its
    // claims are then not checked against the chain.
    const std::vector<size_t> unasked_outputs = wallet::parallel_for(
        outputs.size(), FACT_THREADS, [&](size_t i) { outputs[i]->second = held_asset(outputs[i]->first, services); });

    std::map<std::string, std::optional<TokenFacts>> tokens;
    for (const Listing* listing : listings) {
        std::string id = token_to_ask(*listing, held_by(*listing));
        if (!id.empty()) tokens.emplace(std::move(id), std::nullopt);
    }
    std::vector<std::pair<const std::string, std::optional<TokenFacts>>*> ids;
    for (auto& entry : tokens) ids.push_back(&entry);
    const std::vector<size_t> unasked_tokens = wallet::parallel_for(
        ids.size(), FACT_THREADS, [&](size_t i) { ids[i]->second = token_facts(ids[i]->first, services); });
    if (!unasked_outputs.empty() || !unasked_tokens.empty())
        core::log_warning("Some listings could not be checked against the chain.");

    for (Listing* listing : listings) {
        const std::optional<HeldAsset>& asset = held_by(*listing);
        const std::string id = token_to_ask(*listing, asset);
        apply_chain_facts(*listing, asset, id.empty() ? std::nullopt : tokens[id]);
    }
}

void fill_chain_facts(std::vector<Listing>& listings, const BookServices& services)
{
    std::vector<Listing*> all;
    all.reserve(listings.size());
    for (Listing& listing : listings) all.push_back(&listing);
    fill_chain_facts(all, services);
}

} // namespace book
