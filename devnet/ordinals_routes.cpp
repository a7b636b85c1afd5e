// GorillaPool's ordinals API: 1Sat outputs ("Txo"), BSV-21 token outputs ("BSV20Txo") and
// token details, and the content base that serves inscription bodies. BIGINT and NUMERIC
// columns are JSON strings, INTEGER columns numbers, errors {"message": ...} with 404 or 500.
#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "core/base58.h"
#include "core/base64.h"
#include "core/hash.h"
#include "core/hex.h"
#include "core/json_get.h"
#include "devnet/indexer_data.h"
#include "devnet/lock_script.h"
#include "devnet/routes.h"

namespace devnet {

namespace {

const std::string API = "/ordinals/api";

void not_found(const Call& call, const std::string& message = "Not Found")
{
    call.json(404, {{"message", message}});
}

void invalid_outpoint(const Call& call)
{
    call.json(500, {{"message", "invalid outpoint"}});
}

// The indexer's outpoint pattern: 64 hex digits, "_", decimal digits.
std::optional<Outpoint> read_outpoint(const std::string& text)
{
    if (text.size() < 66 || text[64] != '_') return std::nullopt;
    auto outpoint = outpoint_of_text(text);
    if (!outpoint) return std::nullopt;
    return outpoint;
}

nlohmann::json height_json(const TxRecord* r)
{
    return r && r->confirmed() ? nlohmann::json(r->height) : nlohmann::json(nullptr);
}

struct SpendView {
    std::string txid;
    const TxRecord* by = nullptr;
};

SpendView spend_of(const ChainState& s, const Outpoint& o)
{
    const SpendRef* spend = s.spender(o);
    if (!spend) return {};
    const TxRecord* by = s.find_visible(spend->txid);
    if (!by) return {};
    return {spend->txid, by};
}

nlohmann::json origin_json(const ChainState& s, const Outpoint& o, const std::string& origin, bool with_inum)
{
    if (origin.empty()) return nullptr;
    nlohmann::json j = {{"outpoint", origin}};
    auto it = s.origins.find(origin);
    if (it == s.origins.end()) return j;
    j["data"] = it->second.data;
    const TxRecord* r = s.find_tx(it->second.outpoint.txid);
    if (r && r->confirmed()) {
        char num[64];
        std::snprintf(num, sizeof num, "%07lld:%lld:%u", static_cast<long long>(r->height),
                      static_cast<long long>(r->block_index), o.vout);
        j["num"] = num;
    }
    if (with_inum) j["inum"] = it->second.inum;
    return j;
}

nlohmann::json txo_json(const ChainState& s, const Outpoint& o, const TxoEntry& e, bool with_script, bool with_inum)
{
    const TxRecord* r = s.find_tx(o.txid);
    const auto& out = r->tx.outputs[o.vout];
    uint64_t acc = 0;
    for (uint32_t k = 0; k < o.vout; ++k) acc += r->tx.outputs[k].value;
    SpendView spend = spend_of(s, o);
    nlohmann::json j = nlohmann::json::object();
    j["txid"] = o.txid;
    j["vout"] = o.vout;
    j["outpoint"] = format_outpoint(o);
    j["satoshis"] = out.value;
    j["accSats"] = std::to_string(acc);
    j["owner"] = e.owner.empty() ? nlohmann::json(nullptr) : nlohmann::json(e.owner);
    if (with_script) j["script"] = core::base64_encode(out.script);
    j["spend"] = spend.txid;
    j["spend_height"] = height_json(spend.by);
    j["spend_idx"] = spend.by && spend.by->confirmed() ? nlohmann::json(std::to_string(spend.by->block_index)) : nlohmann::json(nullptr);
    j["origin"] = origin_json(s, o, e.origin, with_inum);
    j["height"] = height_json(r);
    j["idx"] = std::to_string(r->confirmed() ? r->block_index : 0);
    j["data"] = e.data;
    return j;
}

bool carries_token(const ChainState& s, const TxoEntry& e)
{
    if (e.data.is_object() && e.data.contains("bsv20")) return true;
    if (e.origin.empty()) return false;
    auto it = s.origins.find(e.origin);
    return it != s.origins.end() && it->second.data.is_object() && it->second.data.contains("bsv20");
}

nlohmann::json bsv20_txo_json(const ChainState& s, const Outpoint& o, const TokenOutput& t, bool with_token_fields)
{
    const TxRecord* r = s.find_tx(o.txid);
    const auto& out = r->tx.outputs[o.vout];
    auto txo = s.txos.find(o);
    SpendView spend = spend_of(s, o);
    nlohmann::json j = nlohmann::json::object();
    j["txid"] = o.txid;
    j["vout"] = o.vout;
    j["outpoint"] = format_outpoint(o);
    j["satoshis"] = 1;
    j["op"] = t.op;
    j["amt"] = std::to_string(t.amt);
    j["status"] = t.status;
    j["reason"] = t.reason.empty() ? nlohmann::json(nullptr) : nlohmann::json(t.reason);
    j["listing"] = false;
    j["owner"] = txo != s.txos.end() && !txo->second.owner.empty() ? nlohmann::json(txo->second.owner) : nlohmann::json(nullptr);
    j["spend"] = spend.txid;
    j["spendHeight"] = height_json(spend.by);
    j["spendIdx"] = spend.by && spend.by->confirmed() ? nlohmann::json(spend.by->block_index) : nlohmann::json(nullptr);
    j["height"] = height_json(r);
    j["idx"] = r->confirmed() ? r->block_index : 0;
    j["tick"] = "";
    j["id"] = t.id;
    j["price"] = "0";
    j["pricePer"] = "0";
    j["payout"] = nullptr;
    j["script"] = core::base64_encode(out.script);
    j["sale"] = false;
    if (with_token_fields) {
        auto def = s.tokens.find(t.id);
        if (def != s.tokens.end()) {
            j["sym"] = def->second.sym;
            j["dec"] = def->second.dec;
            j["icon"] = def->second.icon;
        }
    }
    return j;
}

// Newest first: unmined, then by height and position descending.
void sort_newest_first(const ChainState& s, std::vector<Outpoint>& list)
{
    auto key = [&](const Outpoint& o) {
        const TxRecord* r = s.find_tx(o.txid);
        int64_t h = r && r->confirmed() ? r->height : INT64_MAX;
        int64_t idx = r && r->confirmed() ? r->block_index : static_cast<int64_t>(r ? r->sequence : 0);
        return std::make_tuple(h, idx, o.vout);
    };
    std::stable_sort(list.begin(), list.end(), [&](const Outpoint& a, const Outpoint& b) { return key(a) > key(b); });
}

std::vector<Outpoint> owner_outputs(const ChainState& s, const std::string& owner)
{
    auto it = s.owner_txos.find(owner);
    if (it == s.owner_txos.end()) return {};
    std::vector<Outpoint> list;
    for (const Outpoint& o : it->second) {
        if (s.find_visible(o.txid)) list.push_back(o);
    }
    return list;
}

bool unspent(const ChainState& s, const Outpoint& o)
{
    return spend_of(s, o).txid.empty();
}

// Serves an inscription body: the envelope of one output, or of the first output of a bare txid
// that has one.
void serve_content(const Call& call, Chain& chain, const std::string& key)
{
    bool bare = key.size() == 64 && core::is_hex64(key);
    std::optional<Outpoint> outpoint = bare ? std::optional<Outpoint>(Outpoint{key, 0}) : read_outpoint(key);
    if (!outpoint) return invalid_outpoint(call);
    struct Found {
        int status = 404;
        std::string message;
        std::string type;
        std::string body;
    };
    Found found = chain.read([&](const ChainState& s) {
        Found f;
        std::string txid = outpoint->txid;
        const TxRecord* r = s.find_visible(txid);
        if (!r) {
            f.message = txid + " not found";
            return f;
        }
        f.message = "Not Found";
        for (size_t j = bare ? 0 : outpoint->vout; j < r->tx.outputs.size(); ++j) {
            auto env = find_envelope_anywhere(r->tx.outputs[j].script);
            if (env) {
                f.status = 200;
                f.type = env->content_type;
                f.body.assign(env->body.begin(), env->body.end());
                return f;
            }
            if (!bare) break;
        }
        return f;
    });
    if (found.status != 200) return not_found(call, found.message);
    call.res.set_header("Cache-Control", "public,immutable,max-age=31536000");
    call.text(200, std::move(found.body), found.type);
}

} // namespace

void add_ordinals_routes(Router& router, DevnetContext& ctx)
{
    Chain& chain = ctx.chain;
    const Service O = Service::ordinals;

    router.add("GET", O, API + "/txos/address/*/unspent", [&chain](Call& call) {
        std::string address = call.args[0];
        bool tokens = call.query("bsv20", "false") == "true";
        bool script = call.query("script", "false") == "true";
        size_t limit = static_cast<size_t>(call.query_int("limit", 100));
        size_t offset = static_cast<size_t>(call.query_int("offset", 0));
        if (!core::hash160_from_address(address)) return call.json(500, {{"message", "Invalid address"}});
        call.res.set_header("Cache-Control", "no-cache, no-store, must-revalidate");
        call.json(200, chain.read([&](const ChainState& s) {
            auto list = owner_outputs(s, address);
            sort_newest_first(s, list);
            nlohmann::json out = nlohmann::json::array();
            size_t skipped = 0;
            for (const Outpoint& o : list) {
                if (out.size() >= limit) break;
                const TxoEntry& e = s.txos.at(o);
                if (!unspent(s, o) || carries_token(s, e) != tokens) continue;
                if (skipped++ < offset) continue;
                out.push_back(txo_json(s, o, e, script, false));
            }
            return out;
        }));
    });
    router.add("GET", O, API + "/txos/address/*/history", [&chain](Call& call) {
        std::string address = call.args[0];
        size_t limit = static_cast<size_t>(call.query_int("limit", 100));
        size_t offset = static_cast<size_t>(call.query_int("offset", 0));
        if (!core::hash160_from_address(address)) return call.json(500, {{"message", "Invalid address"}});
        call.json(200, chain.read([&](const ChainState& s) {
            auto list = owner_outputs(s, address);
            sort_newest_first(s, list);
            nlohmann::json out = nlohmann::json::array();
            for (size_t i = offset; i < list.size() && out.size() < limit; ++i) {
                out.push_back(txo_json(s, list[i], s.txos.at(list[i]), false, false));
            }
            return out;
        }));
    });
    router.add("GET", O, API + "/txos/*", [&chain](Call& call) {
        auto outpoint = read_outpoint(call.args[0]);
        if (!outpoint) return invalid_outpoint(call);
        bool script = call.query("script", "false") == "true";
        auto answer = chain.read([&](const ChainState& s) -> std::optional<nlohmann::json> {
            if (!s.find_visible(outpoint->txid)) return std::nullopt;
            auto it = s.txos.find(*outpoint);
            if (it == s.txos.end()) return std::nullopt;
            return txo_json(s, *outpoint, it->second, script, true);
        });
        if (!answer) return not_found(call);
        call.res.set_header("Cache-Control", "public,max-age=86400");
        call.json(200, *answer);
    });
    router.add("POST", O, API + "/txos/outpoints", [&chain](Call& call) {
        auto body = core::parse_json(call.req.body);
        if (!body || !body->is_array()) return call.json(500, {{"message", "invalid request"}});
        bool script = call.query("script", "false") == "true";
        call.json(200, chain.read([&](const ChainState& s) {
            nlohmann::json out = nlohmann::json::array();
            for (const auto& item : *body) {
                auto o = item.is_string() ? read_outpoint(item.get<std::string>()) : std::nullopt;
                if (!o || !s.find_visible(o->txid)) continue;
                auto it = s.txos.find(*o);
                if (it != s.txos.end()) out.push_back(txo_json(s, *o, it->second, script, false));
            }
            return out;
        }));
    });

    // BSV-21 tokens.
    router.add("GET", O, API + "/bsv20/id/*", [&chain](Call& call) {
        std::string id = call.args[0];
        auto answer = chain.read([&](const ChainState& s) -> std::optional<nlohmann::json> {
            auto it = s.tokens.find(id);
            if (it == s.tokens.end() || !s.find_visible(it->second.outpoint.txid)) return std::nullopt;
            const TokenDef& t = it->second;
            const TxRecord* r = s.find_tx(t.outpoint.txid);
            std::set<std::string> holders;
            for (const Outpoint& o : s.token_outputs_by_id.at(id)) {
                const TokenOutput& out = s.token_outputs.at(o);
                auto txo = s.txos.find(o);
                if (out.status == 1 && unspent(s, o) && txo != s.txos.end() && !txo->second.owner.empty()) {
                    holders.insert(txo->second.owner);
                }
            }
            auto data = s.txos.find(t.outpoint);
            auto fund = core::hash160(core::as_bytes("fund:" + id));
            return nlohmann::json{{"txid", t.outpoint.txid},
                                  {"vout", t.outpoint.vout},
                                  {"height", height_json(r)},
                                  {"idx", std::to_string(r->confirmed() ? r->block_index : 0)},
                                  {"id", t.id},
                                  {"sym", t.sym},
                                  {"icon", t.icon.empty() ? nlohmann::json(nullptr) : nlohmann::json(t.icon)},
                                  {"amt", std::to_string(t.amt)},
                                  {"dec", t.dec},
                                  {"included", true},
                                  {"fundAddress", core::address_from_hash160(fund)},
                                  {"fundTotal", "10000000"},
                                  {"fundUsed", "0"},
                                  {"fundBalance", "10000000"},
                                  {"data", data != s.txos.end() ? data->second.data : nlohmann::json(nullptr)},
                                  {"accounts", holders.size()}};
        });
        if (!answer) return not_found(call);
        call.json(200, *answer);
    });
    router.add("GET", O, API + "/bsv20/outpoint/*", [&chain](Call& call) {
        auto outpoint = read_outpoint(call.args[0]);
        if (!outpoint) return invalid_outpoint(call);
        auto answer = chain.read([&](const ChainState& s) -> std::optional<nlohmann::json> {
            auto it = s.token_outputs.find(*outpoint);
            if (it == s.token_outputs.end() || !s.find_visible(outpoint->txid)) return std::nullopt;
            return bsv20_txo_json(s, *outpoint, it->second, true);
        });
        if (!answer) return not_found(call);
        call.json(200, *answer);
    });
    auto token_list = [&chain](Call& call, const std::string& only_id) {
        std::string address = call.args[0];
        if (!core::hash160_from_address(address)) return call.json(500, {{"message", "Invalid address"}});
        bool pending = call.query("includePending", "false") == "true";
        std::string status = call.query("status");
        size_t limit = static_cast<size_t>(call.query_int("limit", 100));
        size_t offset = static_cast<size_t>(call.query_int("offset", 0));
        call.json(200, chain.read([&](const ChainState& s) {
            auto list = owner_outputs(s, address);
            sort_newest_first(s, list);
            nlohmann::json out = nlohmann::json::array();
            size_t skipped = 0;
            for (const Outpoint& o : list) {
                if (out.size() >= limit) break;
                auto t = s.token_outputs.find(o);
                if (t == s.token_outputs.end() || t->second.op == "burn" || !unspent(s, o)) continue;
                if (!only_id.empty() && (t->second.id != only_id || (t->second.status != 1 && !pending))) continue;
                if (!status.empty() && std::to_string(t->second.status) != status) continue;
                if (skipped++ < offset) continue;
                out.push_back(bsv20_txo_json(s, o, t->second, false));
            }
            return out;
        }));
    };
    router.add("GET", O, API + "/bsv20/*/unspent", [token_list](Call& call) { token_list(call, ""); });
    router.add("GET", O, API + "/bsv20/*/id/*", [token_list](Call& call) { token_list(call, call.args[1]); });
    router.add("GET", O, API + "/bsv20/*/balance", [&chain](Call& call) {
        std::string address = call.args[0];
        if (!core::hash160_from_address(address)) return call.json(500, {{"message", "Invalid address"}});
        call.json(200, chain.read([&](const ChainState& s) {
            std::map<std::string, uint64_t> totals;
            for (const Outpoint& o : owner_outputs(s, address)) {
                auto t = s.token_outputs.find(o);
                if (t == s.token_outputs.end() || t->second.status != 1 || t->second.op == "burn" || !unspent(s, o)) continue;
                totals[t->second.id] += t->second.amt;
            }
            nlohmann::json out = nlohmann::json::array();
            for (const auto& [id, total] : totals) {
                nlohmann::json entry = {{"all", {{"confirmed", std::to_string(total)}, {"pending", "0"}}},
                                        {"listed", {{"confirmed", "0"}, {"pending", "0"}}},
                                        {"id", id}};
                auto def = s.tokens.find(id);
                if (def != s.tokens.end()) {
                    entry["sym"] = def->second.sym;
                    entry["dec"] = def->second.dec;
                    entry["icon"] = def->second.icon;
                }
                out.push_back(std::move(entry));
            }
            return out;
        }));
    });

    // Inscription bodies.
    router.add("GET", O, "/ordinals/content/*", [&chain](Call& call) { serve_content(call, chain, call.args[0]); });
    router.add("GET", O, API + "/files/inscriptions/*", [&chain](Call& call) { serve_content(call, chain, call.args[0]); });
}

} // namespace devnet
