#include "net/registry_client.h"

#include <algorithm>
#include <cctype>

#include "core/hex.h"
#include "core/json_get.h"
#include "net/json_reply.h"
#include "net/text.h"
#include "net/chain_tx.h"
#include "net/http_client.h"

namespace net {

namespace {


// A compressed (66) or uncompressed (130) public key in hex.
bool is_pubkey_hex(std::string_view text)
{
    return (text.size() == 66 || text.size() == 130) && is_hex_text(text);
}

template <typename T>
Result<T> not_a_key()
{
    return Result<T>::failed(Failure::Input, "not a public key");
}

} // namespace

RegistryClient::RegistryClient(std::string base, std::string domain, Http& http)
    : m_base(std::move(base)), m_domain(std::move(domain)), m_http(http)
{
}

Result<TxidPage> RegistryClient::txid_list(const JsonReply& reply) const
{
    using R = Result<TxidPage>;
    if (!reply.ok) return R::failed(Failure::Request, reply.error, reply.status);
    const Json* txids = core::json_array(reply.json, "txids");
    if (!txids) return R::failed(Failure::Answer, "the answer has no txids", reply.status);
    TxidPage page;
    page.entries = txids->size();
    for (const auto& t : *txids) {
        if (!t.is_string()) continue;
        if (std::optional<tx::Txid> id = tx::Txid::parse(t.get<std::string>())) page.txids.push_back(std::move(*id));
    }
    return R::success(std::move(page), reply.status);
}

Result<TxidPage> RegistryClient::oracle_txids(std::string_view oracle, int limit, int offset, int timeout_seconds,
                                              const Deadline& deadline) const
{
    std::string url = m_base + "/oi/oracle/" + url_escape(oracle) + "/txids?limit=" + std::to_string(limit) +
        "&offset=" + std::to_string(offset);
    return txid_list(json_get(url, GetOptions{timeout_seconds, false, MAX_JSON_BODY, deadline}));
}

JsonReply RegistryClient::json_get(const std::string& url, const GetOptions& options) const
{
    HttpReply reply = m_http.get(url, options);
    JsonReply as_json;
    as_json.ok = reply.ok;
    as_json.status = reply.status;
    as_json.error = reply.error;
    // A 2xx answer that is not JSON stays ok with a null document: answered, not in the shape read.
    if (reply.ok) {
        if (auto doc = core::parse_json(reply.body)) as_json.json = std::move(*doc);
    }
    return as_json;
}

Result<RawTxAnswer> RegistryClient::oi_tx(const tx::Txid& txid, int timeout_seconds, const Deadline& deadline) const
{
    HttpReply reply = m_http.get(m_base + "/oi/tx/" + txid.hex(),
                                 GetOptions{timeout_seconds, false, MAX_RAW_TX_BODY, deadline});
    if (!reply.ok) return Result<RawTxAnswer>::failed(Failure::Request, reply.error, reply.status);
    auto doc = core::parse_json(reply.body);
    auto named_text = doc ? core::json_string_opt(*doc, "txid") : std::nullopt;
    auto named = named_text ? tx::Txid::parse(*named_text) : std::nullopt;
    auto hex = doc ? core::json_string_opt(*doc, "hex") : std::nullopt;
    if (!named || !hex || hex->empty() || !is_hex_text(*hex)) {
        return Result<RawTxAnswer>::failed(Failure::Answer, "the answer carries no raw transaction", reply.status);
    }
    RawTxAnswer answer{std::move(*named), core::ascii_lower(*hex), chain_position(*doc, true)};
    return Result<RawTxAnswer>::success(std::move(answer), reply.status);
}

Result<OiSubmitAnswer> RegistryClient::submit(std::string_view raw_hex) const
{
    if (raw_hex.empty() || !is_hex_text(raw_hex)) {
        return Result<OiSubmitAnswer>::failed(Failure::Input, "the transaction is not hex");
    }
    Json body = {{"txhex", core::ascii_lower(raw_hex)}};
    HttpReply reply = m_http.post_json(m_base + "/oi/submit", core::json_dump_compact(body), PostOptions{2, 1});
    if (!reply.ok) return Result<OiSubmitAnswer>::failed(Failure::Request, reply.error, reply.status);
    OiSubmitAnswer answer;
    auto doc = core::parse_json(reply.body);
    answer.ok = doc && core::json_bool_opt(*doc, "ok").value_or(false);
    answer.text = std::move(reply.body);
    return Result<OiSubmitAnswer>::success(std::move(answer), reply.status);
}

Result<std::vector<std::string>> RegistryClient::architects(int timeout_seconds) const
{
    using R = Result<std::vector<std::string>>;
    JsonReply reply = m_http.get_json(m_base + "/api/paymail/architects", timeout_seconds);
    if (!reply.ok) return R::failed(Failure::Request, reply.error, reply.status);
    const Json* keys = core::json_array(reply.json, "pubkeys");
    if (!keys) return R::failed(Failure::Answer, "the answer has no pubkeys", reply.status);
    std::vector<std::string> out;
    for (const auto& k : *keys) {
        if (k.is_string() && is_pubkey_hex(k.get_ref<const std::string&>())) out.push_back(core::ascii_lower(k.get<std::string>()));
    }
    return R::success(std::move(out), reply.status);
}

Result<IdentityStatus> RegistryClient::identity_status(std::string_view pubkey_hex, int timeout_seconds) const
{
    if (!is_pubkey_hex(pubkey_hex)) return not_a_key<IdentityStatus>();
    JsonReply reply = m_http.get_json(m_base + "/api/paymail/identity/" + core::ascii_lower(pubkey_hex), timeout_seconds);
    if (!reply.ok) return Result<IdentityStatus>::failed(Failure::Request, reply.error, reply.status);
    if (!reply.json.is_object()) return Result<IdentityStatus>::failed(Failure::Answer, "the answer is not an object", reply.status);
    IdentityStatus status;
    status.frozen = core::json_bool_opt(reply.json, "frozen").value_or(false);
    status.frozen_note = core::json_string(reply.json, "frozenNote");
    return Result<IdentityStatus>::success(std::move(status), reply.status);
}

Result<std::string> RegistryClient::identity_key(std::string_view handle, int timeout_seconds, const Deadline& deadline) const
{
    if (handle.empty()) return Result<std::string>::failed(Failure::Input, "no handle");
    std::string url = m_base + "/api/bsvalias/id/" + url_escape(handle) + "@" + m_domain;
    JsonReply reply = deadline ? json_get(url, GetOptions{timeout_seconds, false, MAX_JSON_BODY, deadline})
                               : m_http.get_json(url, timeout_seconds);
    if (!reply.ok) return Result<std::string>::failed(Failure::Request, reply.error, reply.status);
    auto key = core::json_string_opt(reply.json, "pubkey");
    if (!key) key = core::json_string_opt(reply.json, "publicKey");
    if (!key || !is_pubkey_hex(*key)) return Result<std::string>::failed(Failure::Answer, "the answer has no public key", reply.status);
    return Result<std::string>::success(core::ascii_lower(*key), reply.status);
}

Result<std::string> RegistryClient::claim_paymail(const std::string& body_json, int timeout_seconds) const
{
    HttpReply reply = m_http.post_json(m_base + "/api/paymail/claim", body_json, PostOptions{timeout_seconds, 1});
    if (!reply.ok) return Result<std::string>::failed(Failure::Request, reply.error, reply.status);
    return Result<std::string>::success(std::move(reply.body), reply.status);
}

} // namespace net
