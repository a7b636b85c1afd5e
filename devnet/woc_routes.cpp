// WhatsOnChain: transactions, spent checks, address histories, unspent outputs, balances and
// broadcast, with its shapes: integer satoshis in lists, BSV numbers in transactions, the
// "result" wrapper on current address endpoints and bare arrays on the legacy ones.
#include <algorithm>
#include <set>

#include "core/base58.h"
#include "core/hex.h"
#include "core/json_get.h"
#include "devnet/lock_script.h"
#include "devnet/routes.h"
#include "devnet/woc_format.h"
#include "tx/script.h"

namespace devnet {

namespace {

const std::string P = "/woc/v1/bsv/main";
constexpr size_t MAX_BULK = 20;

// An outpoint of an address with what the lists report about it.
struct Coin {
    Outpoint outpoint;
    uint64_t value = 0;
    int64_t height = -1;     // -1 unconfirmed
    bool spent_in_mempool = false;
    const TxRecord* record = nullptr;
};

const SpendRef* visible_spender(const ChainState& s, const Outpoint& o)
{
    const SpendRef* spend = s.spender(o);
    if (!spend || !s.find_visible(spend->txid)) return nullptr;
    return spend;
}

// Unspent outputs of an address as the indexer sees them: spent by a mined transaction they
// are gone; spent by a mempool transaction they stay, flagged.
std::vector<Coin> coins_of(const ChainState& s, const std::string& address)
{
    std::vector<Coin> coins;
    auto it = s.addresses.find(address);
    if (it == s.addresses.end()) return coins;
    for (const Outpoint& o : it->second.outputs) {
        const TxRecord* record = s.find_visible(o.txid);
        if (!record) continue;
        Coin coin{o, record->tx.outputs[o.vout].value, record->height, false, record};
        if (const SpendRef* spend = visible_spender(s, o)) {
            if (s.find_tx(spend->txid)->confirmed()) continue;
            coin.spent_in_mempool = true;
        }
        coins.push_back(coin);
    }
    return coins;
}

bool valid_address(const std::string& address)
{
    return core::hash160_from_address(address).has_value();
}

std::string address_script_hash(const std::string& address)
{
    auto hash = core::hash160_from_address(address);
    return hash ? script_hash_text(tx::p2pkh_script(*hash)) : std::string();
}

nlohmann::json wrapper(const std::string& address, nlohmann::json result)
{
    return {{"address", address}, {"script", address_script_hash(address)}, {"result", std::move(result)}, {"error", ""}};
}

nlohmann::json unspent_entry(const Coin& c, bool with_status)
{
    nlohmann::json e = nlohmann::json::object();
    if (c.height >= 0) e["height"] = c.height;
    e["tx_pos"] = c.outpoint.vout;
    e["tx_hash"] = c.outpoint.txid;
    e["value"] = c.value;
    e["isSpentInMempoolTx"] = c.spent_in_mempool;
    if (c.height < 0) e["hex"] = core::hex_encode(c.record->tx.outputs[c.outpoint.vout].script);
    if (with_status) e["status"] = c.height >= 0 ? "confirmed" : "unconfirmed";
    return e;
}

enum class Which { confirmed, unconfirmed, all };

nlohmann::json unspent_list(const ChainState& s, const std::string& address, Which which, size_t limit)
{
    nlohmann::json list = nlohmann::json::array();
    auto coins = coins_of(s, address);
    std::stable_sort(coins.begin(), coins.end(), [](const Coin& a, const Coin& b) {
        return (a.height < 0 ? INT64_MAX : a.height) > (b.height < 0 ? INT64_MAX : b.height);
    });
    for (const Coin& c : coins) {
        bool confirmed = c.height >= 0;
        if ((which == Which::confirmed && !confirmed) || (which == Which::unconfirmed && confirmed)) continue;
        if (list.size() >= limit) break;
        list.push_back(unspent_entry(c, which == Which::all));
    }
    return list;
}

struct Balance {
    int64_t confirmed = 0;
    int64_t unconfirmed = 0;
};

Balance balance_of(const ChainState& s, const std::string& address)
{
    Balance b;
    for (const Coin& c : coins_of(s, address)) {
        if (c.height >= 0) {
            b.confirmed += static_cast<int64_t>(c.value);
            if (c.spent_in_mempool) b.unconfirmed -= static_cast<int64_t>(c.value);
        } else if (!c.spent_in_mempool) {
            b.unconfirmed += static_cast<int64_t>(c.value);
        }
    }
    return b;
}

// History entries (txid, height or -1) of an address, in first-seen order.
std::vector<std::pair<std::string, int64_t>> history_of(const ChainState& s, const std::string& address)
{
    std::vector<std::pair<std::string, int64_t>> out;
    auto it = s.addresses.find(address);
    if (it == s.addresses.end()) return out;
    out.reserve(it->second.history.size());
    for (const auto& txid : it->second.history) {
        const TxRecord* record = s.find_visible(txid);
        if (record) out.emplace_back(txid, record->height);
    }
    return out;
}

nlohmann::json spent_answer(const ChainState& s, const SpendRef& spend)
{
    const TxRecord* by = s.find_tx(spend.txid);
    return {{"txid", spend.txid}, {"vin", spend.vin}, {"status", by && by->confirmed() ? "confirmed" : "unconfirmed"}};
}

// The text WhatsOnChain answers for a refused broadcast.
std::string broadcast_error_text(const Judgement& j)
{
    return "unexpected response code 500: " + j.node_reason;
}

std::optional<std::vector<std::string>> string_list(const nlohmann::json& body, std::string_view key)
{
    const auto* list = core::json_array(body, key);
    if (!list || list->size() > MAX_BULK) return std::nullopt;
    std::vector<std::string> out;
    for (const auto& v : *list) {
        if (!v.is_string()) return std::nullopt;
        out.push_back(v.get<std::string>());
    }
    return out;
}

std::optional<nlohmann::json> body_json(const Call& call)
{
    auto doc = core::parse_json(call.req.body);
    if (!doc || !doc->is_object()) return std::nullopt;
    return doc;
}

} // namespace

void add_woc_routes(Router& router, DevnetContext& ctx)
{
    Chain& chain = ctx.chain;
    const Service W = Service::woc;

    auto tx_json = [&chain](Call& call) {
        std::string txid = call.args[0];
        auto body = chain.read([&](const ChainState& s) -> std::optional<std::string> {
            const TxRecord* r = s.find_visible(txid);
            if (!r) return std::nullopt;
            return woc_tx_json(*r, s.block_at(r->height), s.tip_height(), false);
        });
        if (!body) return call.text(404, "Not Found");
        call.json_text(200, std::move(*body));
    };
    router.add("GET", W, P + "/tx/hash/*", tx_json);
    router.add("GET", W, P + "/tx/*", tx_json);

    router.add("GET", W, P + "/tx/*/hex", [&chain](Call& call) {
        auto hex = chain.read([&](const ChainState& s) -> std::optional<std::string> {
            const TxRecord* r = s.find_visible(call.args[0]);
            if (!r) return std::nullopt;
            return core::hex_encode(r->raw);
        });
        if (!hex) return call.text(404, "Not Found");
        call.text(200, std::move(*hex));
    });
    router.add("GET", W, P + "/tx/*/bin", [&chain](Call& call) {
        auto raw = chain.read([&](const ChainState& s) -> std::optional<std::string> {
            const TxRecord* r = s.find_visible(call.args[0]);
            if (!r) return std::nullopt;
            return std::string(r->raw.begin(), r->raw.end());
        });
        if (!raw) return call.text(404, "Not Found");
        call.text(200, std::move(*raw), "application/octet-stream");
    });
    router.add("GET", W, P + "/tx/*/out/*/hex", [&chain](Call& call) {
        int64_t index = -1;
        try {
            index = std::stoll(call.args[1]);
        } catch (...) {
        }
        auto hex = chain.read([&](const ChainState& s) -> std::optional<std::string> {
            const TxRecord* r = s.find_visible(call.args[0]);
            if (!r || index < 0 || static_cast<size_t>(index) >= r->tx.outputs.size()) return std::nullopt;
            return core::hex_encode(r->tx.outputs[static_cast<size_t>(index)].script);
        });
        if (!hex) return call.text(404, "Not Found");
        call.text(200, std::move(*hex));
    });

    // Spent checks: 404 while unspent, 400 for an unknown outpoint.
    for (std::string which : {"", "confirmed", "unconfirmed"}) {
        std::string pattern = P + "/tx/*/*/" + (which.empty() ? "" : which + "/") + "spent";
        router.add("GET", W, pattern, [&chain, which](Call& call) {
            auto vout = outpoint_of_text(call.args[0] + "_" + call.args[1]);
            if (!vout) return call.text(400, "Bad Request");
            auto answer = chain.read([&](const ChainState& s) -> std::pair<int, nlohmann::json> {
                const TxRecord* r = s.find_visible(vout->txid);
                if (!r || vout->vout >= r->tx.outputs.size()) return {400, nullptr};
                const SpendRef* spend = visible_spender(s, *vout);
                if (!spend) return {404, nullptr};
                bool mined = s.find_tx(spend->txid)->confirmed();
                if ((which == "confirmed" && !mined) || (which == "unconfirmed" && mined)) return {404, nullptr};
                return {200, spent_answer(s, *spend)};
            });
            if (answer.first == 400) return call.text(400, "Bad Request");
            if (answer.first == 404) return call.text(404, "Not Found");
            call.json(200, answer.second);
        });
    }
    router.add("POST", W, P + "/utxos/spent", [&chain](Call& call) {
        auto body = body_json(call);
        const auto* list = body ? core::json_array(*body, "utxos") : nullptr;
        if (!list || list->size() > MAX_BULK) return call.text(400, "Bad Request");
        nlohmann::json out = nlohmann::json::array();
        chain.read([&](const ChainState& s) {
            for (const auto& u : *list) {
                std::string txid = core::json_string(u, "txid");
                int64_t vout = core::json_int64(u, "vout", -1);
                nlohmann::json entry = {{"utxo", {{"txid", txid}, {"vout", vout}}}};
                const TxRecord* r = s.find_visible(txid);
                if (!r || vout < 0 || static_cast<size_t>(vout) >= r->tx.outputs.size()) {
                    entry["error"] = "unknown";
                } else if (const SpendRef* spend = visible_spender(s, Outpoint{txid, static_cast<uint32_t>(vout)})) {
                    entry["spentIn"] = spent_answer(s, *spend);
                    entry["error"] = "";
                } else {
                    entry["error"] = "unspent";
                }
                out.push_back(std::move(entry));
            }
            return 0;
        });
        call.json(200, out);
    });

    router.add("POST", W, P + "/tx/raw", [&chain](Call& call) {
        auto body = body_json(call);
        auto hex = body ? core::json_string_opt(*body, "txhex") : std::nullopt;
        auto raw = hex ? core::hex_decode(*hex) : std::nullopt;
        if (!raw) return call.text(400, "unexpected response code 500: TX decode failed");
        Judgement j = chain.submit(*raw);
        if (j.accepted()) return call.text(200, "\"" + j.txid + "\"");
        call.text(400, broadcast_error_text(j));
    }, true);
    router.add("POST", W, P + "/tx/decode", [&chain](Call& call) {
        auto body = body_json(call);
        auto hex = body ? core::json_string_opt(*body, "txhex") : std::nullopt;
        auto raw = hex ? core::hex_decode(*hex) : std::nullopt;
        auto parsed = raw ? tx::parse_raw_tx(*raw) : std::nullopt;
        if (!parsed) return call.text(400, "TX decode failed");
        TxRecord record;
        record.txid = txid_of(*raw);
        record.raw = std::move(*raw);
        record.tx = std::move(*parsed);
        call.json_text(200, woc_tx_json(record, nullptr, 0, false));
    });
    auto bulk_txs = [&chain](Call& call, bool hex_only) {
        auto body = body_json(call);
        auto txids = body ? string_list(*body, "txids") : std::nullopt;
        if (!txids) return call.text(400, "Bad Request");
        std::string out = "[";
        chain.read([&](const ChainState& s) {
            bool first = true;
            for (const auto& txid : *txids) {
                const TxRecord* r = s.find_visible(txid);
                if (!r) continue;
                if (!first) out += ',';
                first = false;
                if (hex_only) {
                    out += "{\"txid\":\"" + r->txid + "\",\"hex\":\"" + core::hex_encode(r->raw) + "\"";
                    if (const Block* block = s.block_at(r->height)) {
                        out += ",\"blockhash\":\"" + block->hash + "\",\"blockheight\":" + std::to_string(block->height) +
                               ",\"blocktime\":" + std::to_string(block->time) +
                               ",\"confirmations\":" + std::to_string(s.tip_height() - block->height + 1);
                    }
                    out += '}';
                } else {
                    out += woc_tx_json(*r, s.block_at(r->height), s.tip_height(), false);
                }
            }
            return 0;
        });
        call.json_text(200, out + "]");
    };
    router.add("POST", W, P + "/txs", [bulk_txs](Call& call) { bulk_txs(call, false); });
    router.add("POST", W, P + "/txs/hex", [bulk_txs](Call& call) { bulk_txs(call, true); });

    // Address lists.
    auto address_route = [&](const std::string& suffix, auto answer) {
        router.add("GET", W, P + "/address/*" + suffix, [&chain, answer](Call& call) {
            const std::string& address = call.args[0];
            if (!valid_address(address)) return call.text(400, "Invalid address");
            call.json(200, chain.read([&](const ChainState& s) { return answer(s, address, call); }));
        });
    };
    address_route("/unspent/all", [](const ChainState& s, const std::string& a, const Call&) {
        return wrapper(a, unspent_list(s, a, Which::all, SIZE_MAX));
    });
    address_route("/confirmed/unspent", [](const ChainState& s, const std::string& a, const Call& call) {
        size_t limit = static_cast<size_t>(std::clamp<int64_t>(call.query_int("limit", 10000), 1, 10000));
        return wrapper(a, unspent_list(s, a, Which::confirmed, limit));
    });
    address_route("/unconfirmed/unspent", [](const ChainState& s, const std::string& a, const Call&) {
        return wrapper(a, unspent_list(s, a, Which::unconfirmed, SIZE_MAX));
    });
    address_route("/unspent", [](const ChainState& s, const std::string& a, const Call&) {
        nlohmann::json list = nlohmann::json::array();
        for (const Coin& c : coins_of(s, a)) {
            if (c.spent_in_mempool) continue;
            list.push_back({{"height", std::max<int64_t>(c.height, 0)}, {"tx_pos", c.outpoint.vout},
                            {"tx_hash", c.outpoint.txid}, {"value", c.value}});
        }
        return list;
    });
    address_route("/confirmed/history", [](const ChainState& s, const std::string& a, const Call& call) {
        std::vector<std::pair<std::string, int64_t>> mined;
        for (auto& h : history_of(s, a)) {
            if (h.second >= 0) mined.push_back(std::move(h));
        }
        int64_t from = call.query_int("height", 0);
        std::stable_sort(mined.begin(), mined.end(), [](const auto& x, const auto& y) { return x.second < y.second; });
        if (call.query("order", "desc") != "asc") std::reverse(mined.begin(), mined.end());
        size_t limit = static_cast<size_t>(std::clamp<int64_t>(call.query_int("limit", 100), 1, 1000));
        size_t offset = 0;
        std::string token = call.query("token");
        if (!token.empty()) offset = static_cast<size_t>(std::max<int64_t>(0, std::atoll(token.c_str())));
        nlohmann::json list = nlohmann::json::array();
        size_t i = offset;
        for (; i < mined.size() && list.size() < limit; ++i) {
            if (from > 0 && mined[i].second < from) continue;
            list.push_back({{"tx_hash", mined[i].first}, {"height", mined[i].second}});
        }
        nlohmann::json answer = wrapper(a, std::move(list));
        if (i < mined.size()) answer["nextPageToken"] = std::to_string(i);
        return answer;
    });
    address_route("/unconfirmed/history", [](const ChainState& s, const std::string& a, const Call&) {
        nlohmann::json list = nlohmann::json::array();
        for (const auto& h : history_of(s, a)) {
            if (h.second < 0) list.push_back({{"tx_hash", h.first}});
        }
        return wrapper(a, std::move(list));
    });
    address_route("/history", [](const ChainState& s, const std::string& a, const Call&) {
        auto all = history_of(s, a);
        std::stable_sort(all.begin(), all.end(), [](const auto& x, const auto& y) {
            return (x.second < 0 ? INT64_MAX : x.second) < (y.second < 0 ? INT64_MAX : y.second);
        });
        nlohmann::json list = nlohmann::json::array();
        for (const auto& h : all) list.push_back({{"tx_hash", h.first}, {"height", std::max<int64_t>(h.second, 0)}});
        return list;
    });
    address_route("/balance", [](const ChainState& s, const std::string& a, const Call&) {
        Balance b = balance_of(s, a);
        return nlohmann::json{{"confirmed", b.confirmed}, {"unconfirmed", b.unconfirmed}};
    });
    address_route("/confirmed/balance", [](const ChainState& s, const std::string& a, const Call&) {
        return nlohmann::json{{"address", a}, {"script", address_script_hash(a)}, {"confirmed", balance_of(s, a).confirmed},
                              {"error", ""}, {"associatedScripts", nlohmann::json::array()}};
    });
    address_route("/unconfirmed/balance", [](const ChainState& s, const std::string& a, const Call&) {
        return nlohmann::json{{"address", a}, {"script", address_script_hash(a)},
                              {"unconfirmed", balance_of(s, a).unconfirmed}, {"error", ""}};
    });

    // Bulk address forms (at most 20 addresses).
    auto bulk_route = [&](const std::string& path, auto entry) {
        router.add("POST", W, P + path, [&chain, entry](Call& call) {
            auto body = body_json(call);
            auto list = body ? string_list(*body, "addresses") : std::nullopt;
            if (!list) return call.text(400, "Bad Request");
            nlohmann::json out = nlohmann::json::array();
            chain.read([&](const ChainState& s) {
                for (const auto& a : *list) out.push_back(entry(s, a));
                return 0;
            });
            call.json(200, out);
        });
    };
    bulk_route("/addresses/balance", [](const ChainState& s, const std::string& a) {
        if (!valid_address(a)) return nlohmann::json{{"address", a}, {"balance", nullptr}, {"error", "Invalid address"}};
        Balance b = balance_of(s, a);
        return nlohmann::json{{"address", a}, {"balance", {{"confirmed", b.confirmed}, {"unconfirmed", b.unconfirmed}}}, {"error", ""}};
    });
    bulk_route("/addresses/confirmed/balance", [](const ChainState& s, const std::string& a) {
        return nlohmann::json{{"address", a}, {"script", address_script_hash(a)}, {"confirmed", balance_of(s, a).confirmed}, {"error", ""}};
    });
    bulk_route("/addresses/unconfirmed/balance", [](const ChainState& s, const std::string& a) {
        return nlohmann::json{{"address", a}, {"script", address_script_hash(a)}, {"unconfirmed", balance_of(s, a).unconfirmed}, {"error", ""}};
    });
    auto bulk_unspent = [](Which which) {
        return [which](const ChainState& s, const std::string& a) {
            nlohmann::json list = unspent_list(s, a, which, SIZE_MAX);
            return wrapper(a, list.empty() ? nlohmann::json(nullptr) : list);
        };
    };
    bulk_route("/addresses/confirmed/unspent", bulk_unspent(Which::confirmed));
    bulk_route("/addresses/unconfirmed/unspent", bulk_unspent(Which::unconfirmed));
    bulk_route("/addresses/unspent/all", bulk_unspent(Which::all));
    bulk_route("/addresses/history/all", [](const ChainState& s, const std::string& a) {
        nlohmann::json confirmed = nlohmann::json::array();
        nlohmann::json unconfirmed = nlohmann::json::array();
        for (const auto& h : history_of(s, a)) {
            if (h.second >= 0) confirmed.push_back({{"tx_hash", h.first}, {"height", h.second}});
            else unconfirmed.push_back({{"tx_hash", h.first}});
        }
        return nlohmann::json{{"address", a}, {"script", address_script_hash(a)},
                              {"unconfirmed", {{"result", unconfirmed}, {"error", ""}}},
                              {"confirmed", {{"result", confirmed}, {"error", ""}}}};
    });

    router.add("GET", W, P + "/chain/info", [&chain](Call& call) {
        call.json(200, chain.read([](const ChainState& s) {
            return nlohmann::json{{"chain", "main"}, {"blocks", s.tip_height()}, {"headers", s.tip_height()},
                                  {"bestblockhash", s.blocks.empty() ? std::string(64, '0') : s.blocks.back().hash}};
        }));
    });

    // The web site: a page per transaction, for the links the program shows.
    router.add("GET", W, "/woc-site/tx/*", [&chain](Call& call) {
        bool known = chain.read([&](const ChainState& s) { return s.find_visible(call.args[0]) != nullptr; });
        if (!known) return call.text(404, "<html><body>Transaction not found</body></html>", "text/html");
        call.text(200, "<html><body><h1>Transaction</h1><p>" + call.args[0] + "</p></body></html>", "text/html");
    });
}

} // namespace devnet
