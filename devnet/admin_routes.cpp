// The admin interface: JSON over HTTP for tests, the Pursa stand-in and the demo. Every
// answer is a JSON object; refusals carry {"error": sentence} with status 400 or 404.
#include <atomic>
#include <random>

#include "core/base58.h"
#include "core/base64.h"
#include "core/hex.h"
#include "core/json_get.h"
#include "core/key.h"
#include "core/secure.h"
#include "devnet/admin_tx.h"
#include "devnet/indexer_data.h"
#include "devnet/report_opening.h"
#include "devnet/routes.h"
#include "tx/outpoint.h"
#include "tx/script.h"

namespace devnet {

namespace {

const std::string P = "/admin";

void refuse(const Call& call, const std::string& message, int status = 400)
{
    call.json(status, {{"error", message}});
}

std::optional<nlohmann::json> body_object(const Call& call)
{
    auto doc = core::parse_json(call.req.body.empty() ? std::string_view("{}") : std::string_view(call.req.body));
    if (!doc || !doc->is_object()) return std::nullopt;
    return doc;
}

uint64_t next_nonce()
{
    static std::atomic<uint64_t> counter{std::random_device{}() * 0x100000000ULL};
    return counter.fetch_add(1);
}

bool valid_pubkey_hex(const std::string& hex)
{
    auto bytes = core::hex_decode(hex);
    return bytes && !core::normalize_pubkey(*bytes).empty();
}

// Accepts an admin-built transaction and answers {"txid", ...extra} or the refusal.
void accept_admin_tx(const Call& call, Chain& chain, const core::Bytes& raw, nlohmann::json extra, bool mine)
{
    Judgement j = chain.import_trusted(raw);
    if (!j.accepted()) return refuse(call, "the chain refused the transaction: " + j.node_reason);
    if (mine) chain.mine(1);
    extra["txid"] = j.txid;
    call.json(200, extra);
}

// Calls visit for every transaction that paid the report oracle, oldest first.
template <typename Visit>
void for_each_report(Chain& chain, RegistryState& registry, Visit visit)
{
    auto address = registry.oracle_address("report");
    if (!address) return;
    chain.read([&](const ChainState& s) {
        auto it = s.addresses.find(*address);
        if (it == s.addresses.end()) return 0;
        for (const auto& txid : it->second.paid_by) {
            if (const TxRecord* r = s.find_tx(txid)) visit(txid, *r);
        }
        return 0;
    });
}

} // namespace

void add_admin_routes(Router& router, DevnetContext& ctx)
{
    Chain& chain = ctx.chain;
    RegistryState& registry = ctx.registry;
    Faults& faults = ctx.faults;
    const Service A = Service::admin;

    router.add("POST", A, P + "/fund", [&chain](Call& call) {
        auto body = body_object(call);
        if (!body) return refuse(call, "the body is not a JSON object");
        auto hash = core::hash160_from_address(core::json_string(*body, "address"));
        int64_t sats = core::json_int64(*body, "satoshis", 0);
        int64_t count = core::json_int64(*body, "count", 1);
        if (!hash) return refuse(call, "address is not a P2PKH address");
        if (sats < 1 || sats > tx::MAX_MONEY) return refuse(call, "satoshis must be between 1 and 21e14");
        if (count < 1 || count > 1000) return refuse(call, "count must be between 1 and 1000");
        std::vector<tx::RawTxOutput> outputs(static_cast<size_t>(count), tx::RawTxOutput{static_cast<uint64_t>(sats), tx::p2pkh_script(*hash)});
        accept_admin_tx(call, chain, coinbase_tx(next_nonce(), std::move(outputs)), {{"vout", 0}},
                        core::json_bool_opt(*body, "mine").value_or(false));
    });
    router.add("POST", A, P + "/inscribe", [&chain](Call& call) {
        auto body = body_object(call);
        if (!body) return refuse(call, "the body is not a JSON object");
        auto hash = core::hash160_from_address(core::json_string(*body, "address"));
        std::string type = core::json_string(*body, "content_type");
        auto content = core::json_string_opt(*body, "content_base64")
                           ? core::base64_decode(core::json_string(*body, "content_base64"))
                           : core::hex_decode(core::json_string(*body, "content_hex"));
        if (!hash) return refuse(call, "address is not a P2PKH address");
        if (type.empty()) return refuse(call, "content_type is missing");
        if (!content || content->empty()) return refuse(call, "content_hex (or content_base64) does not hold the content");
        bool first = core::json_bool_opt(*body, "envelope_first").value_or(false);
        tx::RawTxOutput out{1, inscription_lock(*hash, type, *content, first)};
        core::Bytes raw = coinbase_tx(next_nonce(), {out});
        accept_admin_tx(call, chain, raw, {{"origin", tx::format_outpoint(txid_of(raw), 0)}},
                        core::json_bool_opt(*body, "mine").value_or(false));
    });
    router.add("POST", A, P + "/mint", [&chain](Call& call) {
        auto body = body_object(call);
        if (!body) return refuse(call, "the body is not a JSON object");
        auto hash = core::hash160_from_address(core::json_string(*body, "address"));
        std::string amount = core::json_string(*body, "amount");
        std::string decimals = core::json_string(*body, "decimals");
        if (!hash) return refuse(call, "address is not a P2PKH address");
        if (!parse_u64_text(amount)) return refuse(call, "amount must be a decimal text up to 18446744073709551615");
        if (!decimals.empty() && (!parse_u64_text(decimals) || *parse_u64_text(decimals) > 18)) {
            return refuse(call, "decimals must be a decimal text from 0 to 18");
        }
        std::string json = deploy_mint_json(amount, core::json_string(*body, "symbol"), core::json_string(*body, "icon"), decimals);
        bool first = core::json_bool_opt(*body, "envelope_first").value_or(true);
        tx::RawTxOutput out{1, inscription_lock(*hash, "application/bsv-20", core::as_bytes(json), first)};
        core::Bytes raw = coinbase_tx(next_nonce(), {out});
        accept_admin_tx(call, chain, raw, {{"id", tx::format_outpoint(txid_of(raw), 0)}},
                        core::json_bool_opt(*body, "mine").value_or(false));
    });
    router.add("POST", A, P + "/import", [&chain](Call& call) {
        auto body = body_object(call);
        auto raw = body ? core::hex_decode(core::json_string(*body, "hex")) : std::nullopt;
        if (!raw) return refuse(call, "hex is not transaction hex");
        Judgement j = chain.import_trusted(*raw);
        if (!j.accepted()) return refuse(call, "the chain refused the transaction: " + j.node_reason);
        call.json(200, {{"txid", j.txid}});
    });
    router.add("POST", A, P + "/seed", [&chain](Call& call) {
        auto body = body_object(call);
        if (!body) return refuse(call, "the body is not a JSON object");
        auto outpoint = outpoint_of_text(core::json_string(*body, "txid") + "_" + std::to_string(core::json_int64(*body, "vout", -1)));
        int64_t sats = core::json_int64(*body, "satoshis", -1);
        auto script = core::hex_decode(core::json_string(*body, "script_hex"));
        if (!outpoint) return refuse(call, "txid and vout must name an outpoint");
        if (sats < 0 || sats > tx::MAX_MONEY) return refuse(call, "satoshis must be between 0 and 21e14");
        if (!script || script->empty()) return refuse(call, "script_hex is not a locking script in hex");
        if (!chain.seed_output(*outpoint, static_cast<uint64_t>(sats), std::move(*script))) {
            return refuse(call, "that outpoint already exists on the chain");
        }
        call.json(200, {{"outpoint", format_outpoint(*outpoint)}});
    });
    router.add("POST", A, P + "/mine", [&chain](Call& call) {
        auto body = body_object(call);
        int64_t blocks = body ? core::json_int64(*body, "blocks", 1) : 1;
        if (blocks < 1 || blocks > 1000) return refuse(call, "blocks must be between 1 and 1000");
        int64_t height = chain.mine(static_cast<int>(blocks));
        call.json(200, {{"height", height}});
    });
    router.add("GET", A, P + "/status", [&chain](Call& call) {
        call.json(200, chain.read([&](const ChainState& s) {
            return nlohmann::json{{"height", s.tip_height()}, {"mempool", s.mempool.size()}, {"transactions", s.txs.size()},
                                  {"fee_rate", chain.fee_rate()}};
        }));
    });
    router.add("POST", A, P + "/fee", [&chain](Call& call) {
        auto body = body_object(call);
        auto rate = body ? core::json_int64_opt(*body, "sat_per_kb") : std::nullopt;
        if (!rate || *rate < 0) return refuse(call, "sat_per_kb must be a whole number, 0 or more");
        chain.set_fee_rate(*rate);
        call.json(200, {{"sat_per_kb", *rate}});
    });
    router.add("POST", A, P + "/visibility", [&chain](Call& call) {
        auto body = body_object(call);
        auto delay = body ? core::json_int64_opt(*body, "delay_ms") : std::nullopt;
        if (!delay || *delay < 0 || *delay > 600'000) return refuse(call, "delay_ms must be between 0 and 600000");
        chain.set_visibility_delay(std::chrono::milliseconds(*delay));
        call.json(200, {{"delay_ms", *delay}});
    });

    // Faults.
    router.add("POST", A, P + "/fault", [&faults](Call& call) {
        auto body = body_object(call);
        if (!body) return refuse(call, "the body is not a JSON object");
        auto service = service_from_name(core::json_string(*body, "service"));
        if (!service) return refuse(call, "service must be one of woc, ordinals, arc, registry, product");
        auto settings = Faults::from_json(*body);
        if (!settings) return refuse(call, "a fault member has the wrong type or range");
        faults.set(*service, *settings);
        call.json(200, Faults::to_json(*settings));
    });
    router.add("POST", A, P + "/faults/clear", [&faults](Call& call) {
        faults.clear_all();
        call.json(200, nlohmann::json::object());
    });
    router.add("GET", A, P + "/faults", [&faults](Call& call) {
        nlohmann::json out = nlohmann::json::object();
        for (Service s : {Service::woc, Service::ordinals, Service::arc, Service::registry, Service::product}) {
            out[service_name(s)] = Faults::to_json(faults.get(s));
        }
        call.json(200, out);
    });

    // Registry records.
    router.add("POST", A, P + "/identity", [&registry](Call& call) {
        auto body = body_object(call);
        if (!body) return refuse(call, "the body is not a JSON object");
        std::string handle = RegistryState::normalize_handle(core::json_string(*body, "handle"));
        std::string key = core::json_string(*body, "pubkey");
        if (handle.empty()) return refuse(call, "handle is missing");
        if (!key.empty() && !valid_pubkey_hex(key)) return refuse(call, "pubkey is not a public key");
        if (!registry.set_identity(handle, key)) return refuse(call, "could not save the registry", 500);
        call.json(200, {{"handle", handle}, {"pubkey", key}});
    });
    router.add("POST", A, P + "/freeze", [&registry](Call& call) {
        auto body = body_object(call);
        if (!body) return refuse(call, "the body is not a JSON object");
        std::string key = core::json_string(*body, "pubkey");
        bool frozen = core::json_bool_opt(*body, "frozen").value_or(true);
        if (!valid_pubkey_hex(key)) return refuse(call, "pubkey is not a public key");
        if (!registry.set_frozen(key, frozen, core::json_string(*body, "note"))) return refuse(call, "could not save the registry", 500);
        call.json(200, {{"pubkey", key}, {"frozen", frozen}});
    });
    router.add("POST", A, P + "/unfreeze", [&registry](Call& call) {
        auto body = body_object(call);
        std::string key = body ? core::json_string(*body, "pubkey") : "";
        if (!valid_pubkey_hex(key)) return refuse(call, "pubkey is not a public key");
        if (!registry.set_frozen(key, false, "")) return refuse(call, "could not save the registry", 500);
        call.json(200, {{"pubkey", key}, {"frozen", false}});
    });
    router.add("POST", A, P + "/architects", [&registry](Call& call) {
        auto body = body_object(call);
        const auto* list = body ? core::json_array(*body, "pubkeys") : nullptr;
        if (!list) return refuse(call, "pubkeys must be an array of public keys");
        std::vector<std::string> keys;
        for (const auto& k : *list) {
            if (!k.is_string() || !valid_pubkey_hex(k.get<std::string>())) return refuse(call, "pubkeys must be an array of public keys");
            keys.push_back(k.get<std::string>());
        }
        if (!registry.set_architects(keys)) return refuse(call, "could not save the registry", 500);
        call.json(200, {{"pubkeys", registry.architects()}});
    });
    router.add("POST", A, P + "/role", [&registry](Call& call) {
        auto body = body_object(call);
        std::string key = body ? core::json_string(*body, "pubkey") : "";
        if (!valid_pubkey_hex(key)) return refuse(call, "pubkey is not a public key");
        if (!registry.set_role(key, core::json_string(*body, "role"))) return refuse(call, "could not save the registry", 500);
        call.json(200, {{"pubkey", key}, {"role", registry.role_of(key)}});
    });
    router.add("POST", A, P + "/oracle", [&registry](Call& call) {
        auto body = body_object(call);
        std::string name = body ? core::json_string(*body, "name") : "";
        std::string address = body ? core::json_string(*body, "address") : "";
        if (name.empty()) return refuse(call, "name is missing");
        if (!address.empty() && !core::hash160_from_address(address)) return refuse(call, "address is not a P2PKH address");
        if (!registry.set_oracle(name, address)) return refuse(call, "could not save the registry", 500);
        call.json(200, {{"name", name}, {"address", address}});
    });
    router.add("POST", A, P + "/product", [&registry](Call& call) {
        auto body = body_object(call);
        if (!body || !core::json_string_opt(*body, "text")) return refuse(call, "text is missing");
        ProductPage page{core::json_string(*body, "text"), core::json_string(*body, "content_type")};
        if (page.content_type.empty()) page.content_type = "text/html; charset=utf-8";
        if (!registry.set_product_page(page)) return refuse(call, "could not save the registry", 500);
        call.json(200, {{"content_type", page.content_type}});
    });
    // Transactions that paid the report oracle, oldest first, with their raw hex.
    router.add("GET", A, P + "/reports", [&chain, &registry](Call& call) {
        nlohmann::json reports = nlohmann::json::array();
        for_each_report(chain, registry, [&](const std::string& txid, const TxRecord& r) {
            reports.push_back({{"txid", txid}, {"hex", core::hex_encode(r.raw)}, {"time", r.time}});
        });
        call.json(200, {{"reports", std::move(reports)}});
    });
    // The same reports opened with the architect's key: {"key": 64 hex digits}.
    router.add("POST", A, P + "/reports/open", [&chain, &registry](Call& call) {
        auto body = body_object(call);
        auto key = body ? core::hex_decode(core::json_string(*body, "key")) : std::nullopt;
        if (!key || key->size() != 32) return refuse(call, "key must be 64 hex digits");
        nlohmann::json reports = nlohmann::json::array();
        for_each_report(chain, registry, [&](const std::string& txid, const TxRecord& r) {
            reports.push_back(open_report(txid, r.raw, *key, [&registry](std::string_view handle) {
                return registry.identity_key(handle).value_or("");
            }));
        });
        core::secure_wipe(*key);
        call.json(200, {{"reports", std::move(reports)}});
    });
}

} // namespace devnet
