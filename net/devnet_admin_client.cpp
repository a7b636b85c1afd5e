#include "net/devnet_admin_client.h"

#include "core/hex.h"
#include "core/json_get.h"

namespace net {

namespace {
constexpr int ADMIN_TIMEOUT_SECONDS = 30;
}

DevnetAdminClient::DevnetAdminClient(std::string base, Http& http) : m_base(std::move(base)), m_http(http) {}

Result<Json> DevnetAdminClient::call(const std::string& path, const Json& body) const
{
    HttpReply reply = m_http.post_json(m_base + "/admin" + path, core::json_dump_compact(body),
                                       PostOptions{ADMIN_TIMEOUT_SECONDS, 1});
    auto doc = core::parse_json(reply.body);
    if (!reply.ok) {
        std::string said = doc ? core::json_string(*doc, "error") : std::string();
        return Result<Json>::failed(Failure::Request, said.empty() ? reply.error : said, reply.status);
    }
    if (!doc || !doc->is_object()) {
        return Result<Json>::failed(Failure::Answer, "the simulator's answer is not a JSON object", reply.status);
    }
    return Result<Json>::success(std::move(*doc), reply.status);
}

Result<std::string> DevnetAdminClient::call_for_text(const std::string& path, const Json& body, const char* member) const
{
    auto answer = call(path, body);
    if (!answer) return Result<std::string>::failed(answer.failure, answer.error, answer.status);
    auto text = core::json_string_opt(*answer, member);
    if (!text) return Result<std::string>::failed(Failure::Answer, std::string("the answer has no \"") + member + "\"", answer.status);
    return Result<std::string>::success(*text, answer.status);
}

Result<std::string> DevnetAdminClient::fund(const std::string& address, int64_t satoshis, bool mine) const
{
    return call_for_text("/fund", {{"address", address}, {"satoshis", satoshis}, {"mine", mine}}, "txid");
}

Result<std::string> DevnetAdminClient::mint(const std::string& address, const std::string& amount, const std::string& symbol,
                                            const std::string& icon, const std::string& decimals) const
{
    return call_for_text("/mint",
                         {{"address", address}, {"amount", amount}, {"symbol", symbol}, {"icon", icon}, {"decimals", decimals}},
                         "id");
}

Result<std::string> DevnetAdminClient::inscribe(const std::string& address, const std::string& content_type,
                                                core::ByteView content, bool envelope_first) const
{
    return call_for_text("/inscribe",
                         {{"address", address},
                          {"content_type", content_type},
                          {"content_hex", core::hex_encode(content)},
                          {"envelope_first", envelope_first}},
                         "origin");
}

Result<std::string> DevnetAdminClient::import_tx(const std::string& raw_hex) const
{
    return call_for_text("/import", {{"hex", raw_hex}}, "txid");
}

Result<int64_t> DevnetAdminClient::mine(int blocks) const
{
    auto answer = call("/mine", {{"blocks", blocks}});
    if (!answer) return Result<int64_t>::failed(answer.failure, answer.error, answer.status);
    auto height = core::json_int64_opt(*answer, "height");
    if (!height) return Result<int64_t>::failed(Failure::Answer, "the answer has no \"height\"", answer.status);
    return Result<int64_t>::success(*height, answer.status);
}

Result<Json> DevnetAdminClient::set_identity(const std::string& handle, const std::string& pubkey_hex) const
{
    return call("/identity", {{"handle", handle}, {"pubkey", pubkey_hex}});
}

Result<Json> DevnetAdminClient::freeze(const std::string& pubkey_hex, const std::string& note) const
{
    return call("/freeze", {{"pubkey", pubkey_hex}, {"note", note}});
}

Result<Json> DevnetAdminClient::unfreeze(const std::string& pubkey_hex) const
{
    return call("/unfreeze", {{"pubkey", pubkey_hex}});
}

Result<Json> DevnetAdminClient::set_architects(const std::vector<std::string>& pubkeys_hex) const
{
    return call("/architects", {{"pubkeys", pubkeys_hex}});
}

Result<Json> DevnetAdminClient::set_product_page(const std::string& text, const std::string& content_type) const
{
    return call("/product", {{"text", text}, {"content_type", content_type}});
}

Result<Json> DevnetAdminClient::fault(const std::string& service, const Json& settings) const
{
    Json body = settings.is_object() ? settings : Json::object();
    body["service"] = service;
    return call("/fault", body);
}

Result<Json> DevnetAdminClient::clear_faults() const
{
    return call("/faults/clear", Json::object());
}

Result<Json> DevnetAdminClient::set_fee_rate(int64_t sat_per_kb) const
{
    return call("/fee", {{"sat_per_kb", sat_per_kb}});
}

Result<Json> DevnetAdminClient::set_visibility_delay(int64_t milliseconds) const
{
    return call("/visibility", {{"delay_ms", milliseconds}});
}

Result<Json> DevnetAdminClient::status() const
{
    HttpReply reply = m_http.get(m_base + "/admin/status", GetOptions{ADMIN_TIMEOUT_SECONDS, false, MAX_JSON_BODY});
    auto doc = core::parse_json(reply.body);
    if (!reply.ok) return Result<Json>::failed(Failure::Request, reply.error, reply.status);
    if (!doc || !doc->is_object()) return Result<Json>::failed(Failure::Answer, "the simulator's answer is not a JSON object", reply.status);
    return Result<Json>::success(std::move(*doc), reply.status);
}

} // namespace net
