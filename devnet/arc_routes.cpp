// ARC: "POST /v1/tx" with its TransactionResponse (HTTP 200, also for network-level refusals)
// and its RFC 7807 error bodies, and "GET /v1/tx/{txid}".
#include <chrono>
#include <cstdio>

#include "core/hex.h"
#include "core/json_get.h"
#include "devnet/routes.h"

namespace devnet {

namespace {

const std::string P = "/arc";

// RFC 3339 with nanoseconds, UTC.
std::string timestamp_now()
{
    using namespace std::chrono;
    auto now = system_clock::now();
    auto day = floor<days>(now);
    year_month_day ymd{day};
    hh_mm_ss hms{floor<nanoseconds>(now - day)};
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02lld:%02lld:%02lld.%09lldZ", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                  static_cast<long long>(hms.hours().count()), static_cast<long long>(hms.minutes().count()),
                  static_cast<long long>(hms.seconds().count()), static_cast<long long>(hms.subseconds().count()));
    return text;
}

nlohmann::json status_json(const ChainState& s, const TxRecord& r, bool with_title)
{
    const Block* block = s.block_at(r.height);
    nlohmann::json j = {{"blockHash", block ? block->hash : ""},
                        {"blockHeight", block ? block->height : 0},
                        {"competingTxs", nullptr},
                        {"extraInfo", ""},
                        {"merklePath", ""},
                        {"timestamp", timestamp_now()},
                        {"txStatus", block ? "MINED" : "SEEN_ON_NETWORK"},
                        {"txid", r.txid}};
    if (with_title) {
        j["status"] = 200;
        j["title"] = "OK";
    }
    return j;
}

nlohmann::json network_answer(const std::string& txid, const std::string& status, const std::string& extra,
                              nlohmann::json competing)
{
    return {{"blockHash", ""},   {"blockHeight", 0},           {"competingTxs", std::move(competing)},
            {"extraInfo", extra}, {"merklePath", ""},           {"status", 200},
            {"timestamp", timestamp_now()}, {"title", "OK"}, {"txStatus", status}, {"txid", txid}};
}

nlohmann::json error_fields(int code, const std::string& title, const std::string& detail, const std::string& extra,
                            const std::string& txid)
{
    return {{"detail", detail},
            {"extraInfo", extra},
            {"instance", nullptr},
            {"status", code},
            {"title", title},
            {"txid", txid.empty() ? nlohmann::json(nullptr) : nlohmann::json(txid)},
            {"type", "https://bitcoin-sv.github.io/arc/#/errors?id=_" + std::to_string(code)}};
}

// The raw bytes of a submission: {"rawTx": hex} as JSON, hex as text, or the bytes themselves.
std::optional<core::Bytes> submitted_bytes(const httplib::Request& req, std::string& error)
{
    std::string type = req.get_header_value("Content-Type");
    if (type.rfind("application/octet-stream", 0) == 0) return core::Bytes(req.body.begin(), req.body.end());
    std::string hex;
    if (type.rfind("text/plain", 0) == 0) {
        hex = req.body;
        while (!hex.empty() && (hex.back() == '\n' || hex.back() == '\r' || hex.back() == ' ')) hex.pop_back();
    } else {
        auto doc = core::parse_json(req.body);
        if (!doc || !doc->is_object()) {
            error = "invalid JSON body";
            return std::nullopt;
        }
        auto raw = core::json_string_opt(*doc, "rawTx");
        if (!raw) {
            error = "no rawTx in the body";
            return std::nullopt;
        }
        hex = *raw;
    }
    auto bytes = core::hex_decode(hex);
    if (!bytes) error = "encoding/hex: invalid byte";
    return bytes;
}

} // namespace

void add_arc_routes(Router& router, DevnetContext& ctx)
{
    Chain& chain = ctx.chain;
    const Service A = Service::arc;

    router.add("POST", A, P + "/v1/tx", [&chain](Call& call) {
        std::string error;
        auto raw = submitted_bytes(call.req, error);
        if (!raw) {
            return call.json(400, error_fields(400, "Bad request", "The request seems to be malformed and cannot be processed",
                                               "error parsing transactions from request: " + error, ""));
        }
        Judgement j = chain.submit(*raw);
        const std::string& txid = j.txid;
        switch (j.verdict) {
        case Verdict::accepted:
        case Verdict::already_in_mempool:
        case Verdict::already_mined:
            return call.json(200, chain.read([&](const ChainState& s) {
                const TxRecord* r = s.find_tx(txid);
                return status_json(s, *r, true);
            }));
        case Verdict::decode_failed:
            return call.json(400, error_fields(400, "Bad request", "The request seems to be malformed and cannot be processed",
                                               "error parsing transactions from request: could not read transaction", ""));
        case Verdict::missing_inputs:
            return call.json(460, error_fields(460, "Not extended format",
                                               "Missing input scripts: Transaction could not be transformed to extended format",
                                               "arc error 460: failed to get parent transactions", txid));
        case Verdict::spent_inputs:
            return call.json(200, network_answer(txid, "SEEN_IN_ORPHAN_MEMPOOL", "", nullptr));
        case Verdict::mempool_conflict:
            return call.json(200, network_answer(txid, "DOUBLE_SPEND_ATTEMPTED", "", j.competing));
        case Verdict::duplicate_inputs:
            return call.json(462, error_fields(462, "Invalid inputs",
                                               "Transaction is invalid because the inputs are non-existent or spent",
                                               "arc error 462: transaction input is invalid\n" + j.node_reason, txid));
        case Verdict::script_failed:
            return call.json(461, error_fields(461, "Malformed transaction", "Transaction is malformed and cannot be processed",
                                               "arc error 461: script execution failed\n" + j.node_reason, txid));
        case Verdict::overspend:
            return call.json(462, error_fields(462, "Invalid inputs",
                                               "Transaction is invalid because the inputs are non-existent or spent",
                                               "arc error 462: transaction input total satoshis is lower than output total satoshis",
                                               txid));
        case Verdict::bad_outputs:
            return call.json(464, error_fields(464, "Invalid outputs",
                                               "Transaction is invalid because the outputs are non-existent or invalid",
                                               "arc error 464: transaction output " + std::to_string(j.output_index) +
                                                   " satoshis is invalid",
                                               txid));
        case Verdict::fee_too_low:
            return call.json(465, error_fields(465, "Fee too low", "Fees are insufficient",
                                               "arc error 465: transaction fee is too low\nminimum expected fee: " +
                                                   std::to_string(j.min_fee) + ", actual fee: " + std::to_string(j.fee),
                                               txid));
        }
    }, true);

    router.add("GET", A, P + "/v1/tx/*", [&chain](Call& call) {
        auto answer = chain.read([&](const ChainState& s) -> std::optional<nlohmann::json> {
            const TxRecord* r = s.find_visible(call.args[0]);
            if (!r) return std::nullopt;
            return status_json(s, *r, false);
        });
        if (!answer) {
            return call.json(404, error_fields(404, "Not found", "The requested resource could not be found", "", call.args[0]));
        }
        call.json(200, *answer);
    });
}

} // namespace devnet
