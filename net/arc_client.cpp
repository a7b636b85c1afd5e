#include "net/arc_client.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "core/hex.h"
#include "core/json_get.h"
#include "net/text.h"
#include "net/chain_tx.h"
#include "net/http_client.h"

namespace net {

namespace {

constexpr size_t MAX_ERROR_DETAIL = 400;


bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// The typed answer of a reply; ARC's error answers become arc_error_text.
Result<ArcAnswer> answer_of(const HttpReply& reply)
{
    if (!reply.ok) {
        std::string error = reply.status >= 400 ? arc_error_text(reply.status, reply.body) : reply.error;
        return Result<ArcAnswer>::failed(Failure::Request, error, reply.status);
    }
    auto doc = core::parse_json(reply.body);
    auto answer = doc ? parse_arc_answer(*doc) : std::nullopt;
    if (!answer) return Result<ArcAnswer>::failed(Failure::Answer, "bad arc response", reply.status);
    return Result<ArcAnswer>::success(std::move(*answer), reply.status);
}

} // namespace

ArcStatusClass arc_status_class(std::string_view s)
{
    static constexpr std::array<std::string_view, 9> ACCEPTED = {
        "RECEIVED", "STORED", "ANNOUNCED_TO_NETWORK", "REQUESTED_BY_NETWORK", "SENT_TO_NETWORK",
        "ACCEPTED_BY_NETWORK", "SEEN_ON_NETWORK", "MINED", "CONFIRMED"};
    static constexpr std::array<std::string_view, 3> REJECTED = {"REJECTED", "DOUBLE_SPEND_ATTEMPTED",
                                                                 "SEEN_IN_ORPHAN_MEMPOOL"};
    if (std::find(ACCEPTED.begin(), ACCEPTED.end(), s) != ACCEPTED.end()) return ArcStatusClass::Accepted;
    if (std::find(REJECTED.begin(), REJECTED.end(), s) != REJECTED.end()) return ArcStatusClass::Rejected;
    return ArcStatusClass::Other;
}

std::optional<ArcAnswer> parse_arc_answer(const Json& answer)
{
    auto status = core::json_string_opt(answer, "txStatus");
    if (!status) return std::nullopt;
    ArcAnswer out;
    out.tx_status = *status;
    out.extra_info = core::json_string(answer, "extraInfo");
    out.txid = core::json_string(answer, "txid");
    out.block_hash = core::json_string(answer, "blockHash");
    out.block_height = std::max<int64_t>(core::json_int64(answer, "blockHeight"), 0);
    if (const Json* competing = core::json_array(answer, "competingTxs")) {
        for (const auto& c : *competing) {
            if (c.is_string()) out.competing_txs.push_back(c.get<std::string>());
        }
    }
    return out;
}

std::string arc_error_text(long status, std::string_view body)
{
    auto doc = core::parse_json(body);
    std::string detail = doc ? core::json_string(*doc, "detail") : std::string();
    std::string extra = doc ? core::json_string(*doc, "extraInfo") : std::string();
    if (detail.empty() && extra.empty()) return http_error_text(status, body);

    std::string text = detail;
    if (!extra.empty()) {
        std::string joined;
        size_t start = 0;
        while (start <= extra.size()) {
            size_t end = extra.find('\n', start);
            std::string line = extra.substr(start, end == std::string::npos ? std::string::npos : end - start);
            while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
            if (!line.empty()) joined += (joined.empty() ? "" : "; ") + line;
            if (end == std::string::npos) break;
            start = end + 1;
        }
        text += (text.empty() ? "" : ": ") + joined;
    }
    if (text.size() > MAX_ERROR_DETAIL) text.resize(MAX_ERROR_DETAIL);
    return "HTTP " + std::to_string(status) + " \u2013 " + text;
}

ArcClient::ArcClient(std::string base, Http& http) : m_base(std::move(base)), m_http(http) {}

Result<ArcAnswer> ArcClient::submit(std::string_view raw_hex) const
{
    if (raw_hex.empty() || !is_hex_text(raw_hex)) {
        return Result<ArcAnswer>::failed(Failure::Input, "the transaction is not hex");
    }
    Json body = {{"rawTx", core::ascii_lower(raw_hex)}};
    return answer_of(m_http.post_json(m_base + "/v1/tx", core::json_dump_compact(body), PostOptions{60, 2}));
}

Result<ArcAnswer> ArcClient::status(const tx::Txid& txid, int timeout_seconds) const
{
    return answer_of(m_http.get(m_base + "/v1/tx/" + txid.hex(), GetOptions{timeout_seconds}));
}

bool ArcClient::broadcast(std::string_view raw_hex, const tx::Txid& expected_txid, std::string& error) const
{
    error.clear();
    auto result = submit(raw_hex);
    if (!result) {
        error = result.error;
        return false;
    }
    const ArcAnswer& a = *result;
    if (arc_status_class(a.tx_status) == ArcStatusClass::Rejected) {
        error = a.tx_status;
        if (!a.extra_info.empty() && a.extra_info != a.tx_status) error += ": " + a.extra_info;
        return false;
    }
    if (contains(a.extra_info, "Missing inputs") || contains(a.extra_info, "missing inputs") ||
        contains(a.extra_info, "missingorspent")) {
        error = a.extra_info;
        return false;
    }
    if (!a.txid.empty() && tx::Txid::parse(a.txid) != expected_txid) {
        error = "arc did not return a txid";
        return false;
    }
    if (arc_status_class(a.tx_status) != ArcStatusClass::Accepted) {
        error = "broadcast did not confirm";
        return false;
    }
    return true;
}

} // namespace net
