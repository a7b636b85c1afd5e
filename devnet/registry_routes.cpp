// The registry host: the oracle index of the book (and of the identity and report oracles),
// its transaction submit, identity keys by paymail handle, frozen identities, the architects,
// paymail claims and quota; and the product web page.
#include <algorithm>

#include "core/hex.h"
#include "core/json_get.h"
#include "core/key.h"
#include "core/text.h"
#include "devnet/routes.h"
#include "devnet/woc_format.h"

namespace devnet {

namespace {

const std::string P = "/registry";
constexpr int64_t MAX_PAGE = 10000;

void error(const Call& call, int status, const std::string& message)
{
    call.json(status, {{"ok", false}, {"error", message}});
}


bool valid_pubkey_hex(const std::string& hex)
{
    auto bytes = core::hex_decode(hex);
    return bytes && !core::normalize_pubkey(*bytes).empty();
}

} // namespace

void add_registry_routes(Router& router, DevnetContext& ctx)
{
    Chain& chain = ctx.chain;
    RegistryState& registry = ctx.registry;
    const Service R = Service::registry;

    router.add("GET", R, P + "/oi/oracle/*/txids", [&chain, &registry](Call& call) {
        int64_t limit = std::clamp<int64_t>(call.query_int("limit", 100), 0, MAX_PAGE);
        size_t offset = static_cast<size_t>(call.query_int("offset", 0));
        auto address = registry.oracle_address(call.args[0]);
        nlohmann::json txids = nlohmann::json::array();
        if (address) {
            chain.read([&](const ChainState& s) {
                auto it = s.addresses.find(*address);
                if (it == s.addresses.end()) return 0;
                const auto& list = it->second.paid_by;
                for (size_t i = offset; i < list.size() && txids.size() < static_cast<size_t>(limit); ++i) {
                    txids.push_back(list[i]);
                }
                return 0;
            });
        }
        call.json(200, {{"txids", std::move(txids)}});
    });
    router.add("GET", R, P + "/oi/tx/*", [&chain](Call& call) {
        auto body = chain.read([&](const ChainState& s) -> std::optional<std::string> {
            const TxRecord* r = s.find_visible(core::ascii_lower(call.args[0]));
            if (!r) return std::nullopt;
            // The index's form: WhatsOnChain's JSON with integer satoshis, and the raw bytes.
            std::string json = woc_tx_json(*r, s.block_at(r->height), s.tip_height(), true);
            json.pop_back();
            return json + ",\"hex\":\"" + core::hex_encode(r->raw) + "\"}";
        });
        if (!body) return error(call, 404, "transaction not found");
        call.json_text(200, std::move(*body));
    });
    router.add("POST", R, P + "/oi/submit", [&chain](Call& call) {
        auto doc = core::parse_json(call.req.body);
        auto hex = doc ? core::json_string_opt(*doc, "txhex") : std::nullopt;
        auto raw = hex ? core::hex_decode(*hex) : std::nullopt;
        if (!raw) return error(call, 400, "txhex is not transaction hex");
        Judgement j = chain.submit(*raw);
        if (j.accepted() || j.already_known()) return call.json(200, {{"ok", true}, {"txid", j.txid}});
        call.json(400, {{"ok", false}, {"txid", j.txid}, {"error", j.node_reason}});
    }, true);

    router.add("GET", R, P + "/api/bsvalias/id/*", [&registry](Call& call) {
        std::string handle = call.args[0];
        auto key = registry.identity_key(handle);
        if (!key) return error(call, 404, "unknown handle");
        call.json(200, {{"bsvalias", "1.0"}, {"handle", handle}, {"pubkey", *key}});
    });
    router.add("GET", R, P + "/api/paymail/identity/*", [&registry](Call& call) {
        std::string key = core::ascii_lower(call.args[0]);
        if (!valid_pubkey_hex(key)) return error(call, 400, "not a public key");
        auto note = registry.frozen_note(key);
        call.json(200, {{"pubkey", key},
                        {"handles", registry.handles_of(key)},
                        {"frozen", note.has_value()},
                        {"frozenNote", note.value_or("")}});
    });
    router.add("GET", R, P + "/api/paymail/architects", [&registry](Call& call) {
        call.json(200, {{"pubkeys", registry.architects()}});
    });
    router.add("POST", R, P + "/api/paymail/claim", [&registry](Call& call) {
        auto doc = core::parse_json(call.req.body);
        if (!doc || !doc->is_object()) return error(call, 400, "the claim is not a JSON object");
        std::string handle = RegistryState::normalize_handle(core::json_string(*doc, "handle"));
        std::string key = core::ascii_lower(core::json_string(*doc, "pubkey"));
        if (handle.empty() || !valid_pubkey_hex(key)) return error(call, 400, "a claim needs a handle and a public key");
        if (!registry.claim(handle, key, *doc)) return error(call, 409, "that handle belongs to another identity");
        call.json(200, {{"ok", true}, {"handle", handle}, {"pubkey", key}});
    });
    router.add("GET", R, P + "/api/paymail/quota/*", [&registry](Call& call) {
        std::string key = core::ascii_lower(call.args[0]);
        if (!valid_pubkey_hex(key)) return error(call, 400, "not a public key");
        call.json(200, {{"pubkey", key},
                        {"role", registry.role_of(key)},
                        {"handles", registry.handles_of(key)},
                        {"claims", registry.claim_count(key)}});
    });

    auto product = [&registry](Call& call) {
        ProductPage page = registry.product_page();
        call.text(200, page.text, page.content_type.empty() ? "text/html" : page.content_type);
    };
    router.add("GET", Service::product, "/product", product);
    router.add("GET", Service::product, "/product/*", product);
}

} // namespace devnet
