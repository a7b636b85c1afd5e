#include "book/token_details.h"

#include "book/post.h"
#include "core/json_get.h"
#include "tx/outpoint.h"

namespace book {
namespace {

void fill_empty(std::string& field, const std::string& value)
{
    if (field.empty()) field = value;
}

} // namespace

std::optional<HeldAsset> held_asset(const tx::Outpoint& outpoint, const BookServices& services)
{
    const std::string key = services.config->ordinals_api + "|" + tx::format_outpoint(outpoint);
    if (auto known = services.caches->held(key)) return known;
    net::Result<net::Txo> txo = services.ordinals().txo(outpoint.txid, outpoint.vout);
    if (!txo) return std::nullopt;
    HeldAsset held;
    held.origin = txo->origin;
    if (txo->token) {
        auto id = tx::parse_outpoint(txo->token->id);
        held.token_id = id ? tx::format_outpoint(*id) : core::ascii_lower(txo->token->id);
        if (held.token_id.empty() && txo->token->op == "deploy+mint") held.token_id = tx::format_outpoint(outpoint);
    }
    // An output the index has not finished reading may show nothing yet: only a finding is kept.
    if (!held.origin.empty() || !held.token_id.empty()) services.caches->remember_held(key, held);
    return held;
}

std::optional<TokenFacts> token_facts(std::string_view token_id, const BookServices& services)
{
    if (token_id.empty()) return std::nullopt;
    const std::string key = services.config->ordinals_api + "|" + std::string(token_id);
    if (auto known = services.caches->token(key)) return known;
    net::Result<net::TokenInfo> info = services.ordinals().token(token_id);
    if (!info) return std::nullopt;
    TokenFacts facts{info->name, info->sym, info->icon, info->dec};
    if (info->deploy_json.is_object()) {
        fill_empty(facts.name, core::json_string(info->deploy_json, "name"));
        fill_empty(facts.sym, core::json_string(info->deploy_json, "sym"));
        fill_empty(facts.icon, core::json_string(info->deploy_json, "icon"));
    }
    if (facts.icon.starts_with('_') && token_id.size() >= 64) facts.icon = std::string(token_id.substr(0, 64)) + facts.icon;
    services.caches->remember_token(key, facts);
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

} // namespace book
