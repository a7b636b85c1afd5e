#include "net/woc_client.h"

#include <algorithm>
#include <cctype>

#include "core/hex.h"
#include "core/json_get.h"
#include "net/json_reply.h"
#include "net/text.h"
#include "net/http_client.h"

namespace net {

namespace {

constexpr size_t BALANCE_BATCH = 20;
constexpr int MAX_UNSPENT_PAGES = 20;


// Status-carrying failure from a reply that did not succeed.
template <typename T>
Result<T> request_failed(const HttpReply& reply)
{
    return Result<T>::failed(Failure::Request, reply.error, reply.status);
}

std::string_view trim_quotes_and_blanks(std::string_view text)
{
    auto strip = [](char c) { return c == '"' || c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && strip(text.front())) text.remove_prefix(1);
    while (!text.empty() && strip(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<WocUtxo> parse_utxo(const Json& entry)
{
    if (!entry.is_object()) return std::nullopt;
    auto text = core::json_string_opt(entry, "tx_hash");
    auto txid = text ? tx::Txid::parse(*text) : std::nullopt;
    const Json* pos = core::json_member(entry, "tx_pos");
    const Json* value = core::json_member(entry, "value");
    // Integer satoshis here (unlike transaction outputs, where "value" is BSV).
    if (!txid || !pos || !pos->is_number_integer() || !value ||
        !value->is_number_integer()) {
        return std::nullopt;
    }
    auto vout = core::json_number_as_int64(*pos);
    auto sats = core::json_number_as_int64(*value);
    if (!vout || *vout < 0 || *vout > UINT32_MAX || !sats || *sats < 0) return std::nullopt;
    WocUtxo utxo;
    utxo.txid = std::move(*txid);
    utxo.vout = static_cast<uint32_t>(*vout);
    utxo.sats = *sats;
    utxo.height = std::max<int64_t>(core::json_int64(entry, "height"), 0);
    utxo.spent_in_mempool = core::json_bool_opt(entry, "isSpentInMempoolTx").value_or(false);
    if (auto hex = core::json_string_opt(entry, "hex"); hex && is_hex_text(*hex)) utxo.script_hex = core::ascii_lower(*hex);
    return utxo;
}

const char* unspent_tail(WocUnspentList list)
{
    switch (list) {
    case WocUnspentList::All: return "/unspent/all";
    case WocUnspentList::Legacy: return "/unspent";
    case WocUnspentList::Unconfirmed: return "/unconfirmed/unspent";
    case WocUnspentList::Confirmed: return "/confirmed/unspent";
    }
    return "/unspent";
}

const char* history_tail(WocAddressList list)
{
    switch (list) {
    case WocAddressList::UnconfirmedHistory: return "/unconfirmed/history";
    case WocAddressList::Unspent: return "/unspent";
    case WocAddressList::ConfirmedHistory: return "/confirmed/history";
    case WocAddressList::History: return "/history";
    }
    return "/history";
}

} // namespace

WocClient::WocClient(std::string base, Http& http) : m_base(std::move(base)), m_http(http) {}

std::string WocClient::address_url(std::string_view address, std::string_view tail) const
{
    return m_base + "/address/" + url_escape(address) + std::string(tail);
}

Result<Json> WocClient::tx_json(const tx::Txid& txid, int timeout_seconds) const
{
    JsonReply reply = m_http.get_json(m_base + "/tx/" + txid.hex(), timeout_seconds);
    if (!reply.ok) return Result<Json>::failed(Failure::Request, reply.error, reply.status);
    return Result<Json>::success(std::move(reply.json), reply.status);
}

Result<ChainTx> WocClient::tx(const tx::Txid& txid, int timeout_seconds, const Deadline& deadline) const
{
    HttpReply reply = m_http.get(m_base + "/tx/" + txid.hex(), GetOptions{timeout_seconds, false, MAX_JSON_BODY, deadline});
    if (!reply.ok) return request_failed<ChainTx>(reply);
    auto doc = core::parse_json(reply.body);
    auto parsed = doc ? parse_chain_tx(*doc) : std::nullopt;
    if (!parsed) return Result<ChainTx>::failed(Failure::Answer, "the transaction answer is malformed", reply.status);
    if (parsed->txid != txid) {
        return Result<ChainTx>::failed(Failure::Answer, "the service answered with another transaction", reply.status);
    }
    return Result<ChainTx>::success(std::move(*parsed), reply.status);
}

Result<std::string> WocClient::tx_hex(const tx::Txid& txid, int timeout_seconds, const Deadline& deadline) const
{
    HttpReply reply = m_http.get(m_base + "/tx/" + txid.hex() + "/hex",
                                 GetOptions{timeout_seconds, false, MAX_RAW_TX_BODY, deadline});
    if (!reply.ok) return request_failed<std::string>(reply);
    std::string_view hex = trim_quotes_and_blanks(reply.body);
    if (hex.empty() || !is_hex_text(hex)) {
        return Result<std::string>::failed(Failure::Answer, "the raw transaction answer is not hex", reply.status);
    }
    return Result<std::string>::success(core::ascii_lower(hex), reply.status);
}

Result<std::vector<RawTxAnswer>> WocClient::txs_hex(const std::vector<tx::Txid>& txids, const Deadline& deadline,
                                                   int timeout_seconds) const
{
    using R = Result<std::vector<RawTxAnswer>>;
    if (txids.empty() || txids.size() > WOC_BULK_TXIDS) return R::failed(Failure::Input, "a bulk request names 1 to 20 transactions");
    Json body = {{"txids", Json::array()}};
    for (const tx::Txid& txid : txids) body["txids"].push_back(txid.hex());
    PostOptions options;
    options.timeout_seconds = timeout_seconds;
    options.attempts = 4;
    options.deadline = deadline;
    HttpReply reply = m_http.post_json(m_base + "/txs/hex", core::json_dump_compact(body), options);
    if (!reply.ok) return request_failed<std::vector<RawTxAnswer>>(reply);
    auto doc = core::parse_json(reply.body);
    if (!doc || !doc->is_array()) return R::failed(Failure::Answer, "the bulk transaction answer is malformed", reply.status);
    std::vector<RawTxAnswer> out;
    for (const Json& entry : *doc) {
        auto txid_text = core::json_string_opt(entry, "txid");
        auto txid = txid_text ? tx::Txid::parse(*txid_text) : std::nullopt;
        auto hex = core::json_string_opt(entry, "hex");
        if (!txid || !hex || hex->empty() || !is_hex_text(*hex)) continue;
        out.push_back({std::move(*txid), core::ascii_lower(*hex), chain_position(entry, false)});
    }
    return R::success(std::move(out), reply.status);
}

Result<SpentCheck> WocClient::spent(const tx::Txid& txid, uint32_t vout, int timeout_seconds) const
{
    std::string url = m_base + "/tx/" + txid.hex() + "/" + std::to_string(vout) + "/spent";
    HttpReply reply = m_http.get(url, GetOptions{timeout_seconds, true});
    SpentCheck check;
    if (reply.status == 400) {
        check.state = SpentCheck::State::UnknownOutpoint;
        return Result<SpentCheck>::success(check, reply.status);
    }
    if (!reply.ok) return request_failed<SpentCheck>(reply);
    if (reply.status == 404) return Result<SpentCheck>::success(check, reply.status);
    auto doc = core::parse_json(reply.body);
    auto spender_text = doc ? core::json_string_opt(*doc, "txid") : std::nullopt;
    auto spender = spender_text ? tx::Txid::parse(*spender_text) : std::nullopt;
    if (!spender) {
        return Result<SpentCheck>::failed(Failure::Answer, "the spent answer names no spending transaction", reply.status);
    }
    check.state = SpentCheck::State::Spent;
    check.spender_txid = std::move(*spender);
    check.spender_confirmed = core::json_string(*doc, "status") == "confirmed";
    return Result<SpentCheck>::success(check, reply.status);
}

Result<std::vector<tx::Txid>> WocClient::address_txids(std::string_view address, WocAddressList list,
                                                       int timeout_seconds, const Deadline& deadline) const
{
    using R = Result<std::vector<tx::Txid>>;
    HttpReply reply = m_http.get(address_url(address, history_tail(list)), GetOptions{timeout_seconds, false, MAX_JSON_BODY, deadline});
    if (!reply.ok) return R::failed(Failure::Request, reply.error, reply.status);
    auto doc = core::parse_json(reply.body);
    auto txids = doc ? parse_woc_txids(*doc) : std::nullopt;
    if (!txids) return R::failed(Failure::Answer, "the address list answer is malformed", reply.status);
    return R::success(std::move(*txids), reply.status);
}

Result<std::vector<WocUtxo>> WocClient::unspent(std::string_view address, WocUnspentList list,
                                                int timeout_seconds) const
{
    using R = Result<std::vector<WocUtxo>>;
    const std::string url = address_url(address, unspent_tail(list));
    std::vector<WocUtxo> all;
    std::string token;
    long status = 0;
    for (int page = 0; page < MAX_UNSPENT_PAGES; ++page) {
        std::string page_url = token.empty() ? url : url + "?token=" + url_escape(token);
        HttpReply reply = m_http.get(page_url, GetOptions{timeout_seconds});
        if (!reply.ok) return R::failed(Failure::Request, reply.error, reply.status);
        status = reply.status;
        auto doc = core::parse_json(reply.body);
        auto entries = doc ? parse_woc_unspent(*doc) : std::nullopt;
        if (!entries) return R::failed(Failure::Answer, "the unspent list answer is malformed", reply.status);
        all.insert(all.end(), entries->begin(), entries->end());
        auto next = core::json_string_opt(*doc, "nextPageToken");
        if (!next || next->empty() || *next == token) break;
        token = *next;
    }
    return R::success(std::move(all), status);
}

Result<std::vector<WocUtxo>> WocClient::unspent_any(std::string_view address, int timeout_seconds) const
{
    for (WocUnspentList list : {WocUnspentList::All, WocUnspentList::Legacy, WocUnspentList::Unconfirmed}) {
        auto result = unspent(address, list, timeout_seconds);
        if (result) return result;
    }
    return Result<std::vector<WocUtxo>>::failed(Failure::Request, "no utxos");
}

Result<std::string> WocClient::broadcast(std::string_view raw_hex) const
{
    if (raw_hex.empty() || !is_hex_text(raw_hex)) {
        return Result<std::string>::failed(Failure::Input, "the transaction is not hex");
    }
    Json body = {{"txhex", core::ascii_lower(raw_hex)}};
    HttpReply reply = m_http.post_json(m_base + "/tx/raw", core::json_dump_compact(body), PostOptions{60, 2});
    if (!reply.ok) return request_failed<std::string>(reply);
    return Result<std::string>::success(std::move(reply.body), reply.status);
}

Result<std::vector<AddressBalance>> WocClient::balances(const std::vector<std::string>& addresses,
                                                        int timeout_seconds) const
{
    using R = Result<std::vector<AddressBalance>>;
    std::vector<AddressBalance> out;
    for (size_t start = 0; start < addresses.size(); start += BALANCE_BATCH) {
        size_t end = std::min(addresses.size(), start + BALANCE_BATCH);
        Json body = {{"addresses", Json::array()}};
        for (size_t i = start; i < end; ++i) body["addresses"].push_back(addresses[i]);
        HttpReply reply = m_http.post_json(m_base + "/addresses/balance", core::json_dump_compact(body),
                                           PostOptions{timeout_seconds, 2});
        if (!reply.ok) return R::failed(Failure::Request, reply.error, reply.status);
        auto doc = core::parse_json(reply.body);
        if (!doc || !doc->is_array()) return R::failed(Failure::Answer, "the balance answer is malformed", reply.status);
        for (const auto& entry : *doc) {
            auto address = core::json_string_opt(entry, "address");
            const Json* balance = core::json_object(entry, "balance");
            if (!address || !balance) continue;
            auto confirmed = core::json_int64_opt(*balance, "confirmed");
            auto unconfirmed = core::json_int64_opt(*balance, "unconfirmed");
            if (!confirmed || !unconfirmed) continue;
            out.push_back({*address, *confirmed, *unconfirmed});
        }
    }
    return R::success(std::move(out));
}

std::optional<std::vector<WocUtxo>> parse_woc_unspent(const Json& answer)
{
    const Json* entries = nullptr;
    if (answer.is_array()) {
        entries = &answer;
    } else if (answer.is_object()) {
        const Json* result = core::json_member(answer, "result");
        if (!result) return std::nullopt;
        if (result->is_null()) return std::vector<WocUtxo>{};
        if (!result->is_array()) return std::nullopt;
        entries = result;
    } else {
        return std::nullopt;
    }
    std::vector<WocUtxo> out;
    for (const auto& entry : *entries) {
        if (auto utxo = parse_utxo(entry)) out.push_back(std::move(*utxo));
    }
    return out;
}

std::optional<std::vector<tx::Txid>> parse_woc_txids(const Json& answer)
{
    const Json* entries = nullptr;
    if (answer.is_array()) {
        entries = &answer;
    } else if (const Json* result = core::json_member(answer, "result")) {
        if (result->is_null()) return std::vector<tx::Txid>{};
        if (!result->is_array()) return std::nullopt;
        entries = result;
    } else {
        return std::nullopt;
    }
    std::vector<tx::Txid> out;
    for (const auto& entry : *entries) {
        std::optional<std::string> text;
        if (entry.is_string()) text = entry.get<std::string>();
        else if (auto hash = core::json_string_opt(entry, "tx_hash")) text = std::move(hash);
        else text = core::json_string_opt(entry, "txid");
        if (!text) continue;
        if (std::optional<tx::Txid> id = tx::Txid::parse(*text)) out.push_back(std::move(*id));
    }
    return out;
}

} // namespace net
