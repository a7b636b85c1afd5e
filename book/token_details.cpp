#include "book/token_details.h"

#include <map>

#include "book/post.h"
#include "core/json_get.h"
#include "core/mutex.h"
#include "tx/outpoint.h"

namespace book {
namespace {

// Both caches are keyed by the ordinals base and "|", so that two configurations never mix.
core::Mutex g_token_mutex;
std::map<std::string, TokenFacts> g_tokens AGORAN_GUARDED_BY(g_token_mutex);  // by token id
std::map<std::string, HeldAsset> g_held AGORAN_GUARDED_BY(g_token_mutex);     // by outpoint

void fill_empty(std::string& field, const std::string& value)
{
    if (field.empty()) field = value;
}

template <typename Value>
std::map<std::string, Value>& cache_of() AGORAN_REQUIRES(g_token_mutex);
template <>
std::map<std::string, TokenFacts>& cache_of() AGORAN_REQUIRES(g_token_mutex)
{
    return g_tokens;
}
template <>
std::map<std::string, HeldAsset>& cache_of() AGORAN_REQUIRES(g_token_mutex)
{
    return g_held;
}

template <typename Value>
std::optional<Value> cached(const std::string& key)
{
    core::MutexLock lock(g_token_mutex);
    const auto& cache = cache_of<Value>();
    auto it = cache.find(key);
    if (it == cache.end()) return std::nullopt;
    return it->second;
}

template <typename Value>
void remember(const std::string& key, const Value& value)
{
    core::MutexLock lock(g_token_mutex);
    cache_of<Value>()[key] = value;
}

} // namespace

std::optional<HeldAsset> held_asset(std::string_view outpoint, const BookServices& services)
{
    auto parsed = tx::parse_outpoint(outpoint);
    if (!parsed) return std::nullopt;
    const std::string key = services.config->ordinals_api + "|" + tx::format_outpoint(*parsed);
    if (auto known = cached<HeldAsset>(key)) return known;
    net::Result<net::Txo> txo = services.ordinals().txo(parsed->txid, parsed->vout);
    if (!txo) return std::nullopt;
    HeldAsset held;
    held.origin = txo->origin;
    if (txo->token) {
        auto id = tx::parse_outpoint(txo->token->id);
        held.token_id = id ? tx::format_outpoint(*id) : ascii_lower(txo->token->id);
        if (held.token_id.empty() && txo->token->op == "deploy+mint") held.token_id = tx::format_outpoint(*parsed);
    }
    // An output the index has not finished reading may show nothing yet: only a finding is kept.
    if (!held.origin.empty() || !held.token_id.empty()) remember(key, held);
    return held;
}

std::optional<TokenFacts> token_facts(std::string_view token_id, const BookServices& services)
{
    if (token_id.empty()) return std::nullopt;
    const std::string key = services.config->ordinals_api + "|" + std::string(token_id);
    if (auto known = cached<TokenFacts>(key)) return known;
    net::Result<net::TokenInfo> info = services.ordinals().token(token_id);
    if (!info) return std::nullopt;
    TokenFacts facts{info->name, info->sym, info->icon, info->dec};
    if (info->deploy_json.is_object()) {
        fill_empty(facts.name, core::json_string(info->deploy_json, "name"));
        fill_empty(facts.sym, core::json_string(info->deploy_json, "sym"));
        fill_empty(facts.icon, core::json_string(info->deploy_json, "icon"));
    }
    if (facts.icon.starts_with('_') && token_id.size() >= 64) facts.icon = std::string(token_id.substr(0, 64)) + facts.icon;
    remember(key, facts);
    return facts;
}

void token_details(std::string_view origin, ListingKind kind, std::string& name, std::string& sym,
                   std::string& icon, const BookServices& services)
{
    if (origin.empty()) return;
    if (kind == ListingKind::Picture) {
        fill_empty(icon, std::string(origin));
        return;
    }
    auto facts = token_facts(origin, services);
    if (!facts) return;
    fill_empty(name, facts->name);
    fill_empty(sym, facts->sym);
    fill_empty(icon, facts->icon);
}

void clear_token_cache()
{
    core::MutexLock lock(g_token_mutex);
    g_tokens.clear();
    g_held.clear();
}

} // namespace book
