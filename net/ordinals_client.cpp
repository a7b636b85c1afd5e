#include "net/ordinals_client.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "core/hex.h"
#include "core/json_get.h"
#include "net/json_reply.h"
#include "net/text.h"
#include "net/http_client.h"

namespace net {

namespace {

constexpr int PAGE_SIZE = 100;
constexpr int MAX_PAGES = 50;


// "txid", "vout" and "outpoint" of an output object; the outpoint is rebuilt from the other
// two so that it always has the one form.
bool read_location(const Json& entry, tx::Txid& txid, uint32_t& vout, std::string& outpoint)
{
    auto t = core::json_string_opt(entry, "txid");
    auto id = t ? tx::Txid::parse(*t) : std::nullopt;
    const Json* v = core::json_member(entry, "vout");
    if (!id || !v || !v->is_number_integer()) return false;
    auto index = core::json_number_as_int64(*v);
    if (!index || *index < 0 || *index > UINT32_MAX) return false;
    txid = std::move(*id);
    vout = static_cast<uint32_t>(*index);
    outpoint = txid.hex() + "_" + std::to_string(vout);
    return true;
}

// A member that is a string or null; nullopt when it is something else.
std::optional<std::string> string_or_null(const Json& obj, std::string_view key)
{
    const Json* v = core::json_member(obj, key);
    if (!v || v->is_null()) return std::string();
    if (!v->is_string()) return std::nullopt;
    return v->get<std::string>();
}

// The spending txid in spend (none while unspent, "" or null); false when it is anything else.
bool read_spend(const Json& obj, std::optional<tx::Txid>& spend)
{
    auto text = string_or_null(obj, "spend");
    if (!text) return false;
    spend.reset();
    if (text->empty()) return true;
    spend = tx::Txid::parse(*text);
    return spend.has_value();
}

std::optional<TokenData> read_token_data(const Json& bsv20)
{
    TokenData token;
    token.op = core::json_string(bsv20, "op");
    token.id = core::json_string(bsv20, "id");
    token.tick = core::json_string(bsv20, "tick");
    const Json* amt = core::json_member(bsv20, "amt");
    if (amt) {
        auto text = token_amount_text(*amt);
        if (!text) return std::nullopt;
        token.amt = *text;
    }
    return token;
}

std::string with_query(const std::string& url, std::string_view query)
{
    return url + (url.find('?') == std::string::npos ? "?" : "&") + std::string(query);
}

constexpr const char* TOKEN_LIST_MALFORMED = "the token outputs answer is malformed";

// A JSON array of outputs, read page by page (PAGE_SIZE each) when paged: a short page is the
// last, and a page with nothing new means the service ignores paging. Entries that do not parse,
// and repeated outpoints, are left out.
template <typename T, typename Parse>
Result<std::vector<T>> fetch_list(Http& http, const std::string& url, bool paged, int timeout_seconds, Parse parse,
                                  const char* malformed)
{
    using R = Result<std::vector<T>>;
    std::vector<T> all;
    std::set<std::string> seen;
    for (int page = 0; page < (paged ? MAX_PAGES : 1); ++page) {
        std::string page_url = paged ? with_query(url, "limit=" + std::to_string(PAGE_SIZE) + "&offset=" +
                                                           std::to_string(page * PAGE_SIZE))
                                     : url;
        HttpReply reply = http.get(page_url, GetOptions{timeout_seconds});
        if (!reply.ok) return R::failed(Failure::Request, reply.error, reply.status);
        auto doc = core::parse_json(reply.body);
        if (!doc || !doc->is_array()) return R::failed(Failure::Answer, malformed, reply.status);
        size_t added = 0;
        for (const auto& entry : *doc) {
            auto item = parse(entry);
            if (!item || !seen.insert(item->outpoint).second) continue;
            all.push_back(std::move(*item));
            ++added;
        }
        if (doc->size() < static_cast<size_t>(PAGE_SIZE) || added == 0) break;
    }
    return R::success(std::move(all));
}

} // namespace

bool is_outpoint_text(std::string_view text)
{
    if (text.size() < 66 || text[64] != '_' || !core::is_hex64(text.substr(0, 64))) return false;
    std::string_view index = text.substr(65);
    return index.size() <= 10 &&
        std::all_of(index.begin(), index.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

std::optional<std::string> token_amount_text(const Json& value)
{
    std::string digits;
    if (value.is_number_unsigned()) {
        digits = std::to_string(value.get<uint64_t>());
    } else if (value.is_number_integer()) {
        int64_t n = value.get<int64_t>();
        if (n < 0) return std::nullopt;
        digits = std::to_string(n);
    } else if (value.is_string()) {
        digits = value.get<std::string>();
        if (digits.empty() || digits.size() > 80 ||
            !std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c) != 0; })) {
            return std::nullopt;
        }
    } else {
        return std::nullopt;  // a float has already lost digits
    }
    size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? std::string("0") : digits.substr(first);
}

// The "insc"."file" of a "data" object, when it has one.
std::optional<InscriptionFile> read_insc_file(const Json* data)
{
    const Json* insc = data ? core::json_object(*data, "insc") : nullptr;
    const Json* file = insc ? core::json_object(*insc, "file") : nullptr;
    if (!file) return std::nullopt;
    InscriptionFile f;
    f.type = core::json_string(*file, "type");
    f.size = std::max<int64_t>(core::json_int64(*file, "size"), 0);
    f.hash = core::json_string(*file, "hash");
    return f;
}

std::optional<Txo> parse_txo(const Json& entry)
{
    if (!entry.is_object()) return std::nullopt;
    Txo txo;
    if (!read_location(entry, txo.txid, txo.vout, txo.outpoint)) return std::nullopt;
    const Json* sats = core::json_member(entry, "satoshis");
    if (!sats) sats = core::json_member(entry, "value");
    auto amount = sats && sats->is_number_integer() ? core::json_number_as_int64(*sats) : std::nullopt;
    if (!amount || *amount < 0) return std::nullopt;
    txo.sats = *amount;
    auto owner = string_or_null(entry, "owner");
    if (!owner || !read_spend(entry, txo.spend)) return std::nullopt;
    txo.owner = *owner;
    txo.height = std::max<int64_t>(core::json_int64(entry, "height"), 0);
    if (const Json* origin = core::json_object(entry, "origin")) {
        auto outpoint = core::json_string(*origin, "outpoint");
        if (is_outpoint_text(outpoint)) txo.origin = core::ascii_lower(outpoint);
        txo.origin_file = read_insc_file(core::json_object(*origin, "data"));
    }
    if (const Json* data = core::json_object(entry, "data")) {
        txo.data = *data;
        const Json* insc = core::json_object(*data, "insc");
        const Json* bsv20 = core::json_object(*data, "bsv20");
        const Json* bsv21 = core::json_object(*data, "bsv21");
        txo.has_insc = insc != nullptr;
        txo.has_bsv20 = bsv20 != nullptr;
        txo.has_bsv21 = bsv21 != nullptr;
        txo.file = read_insc_file(data);
        if (const Json* token = bsv20 ? bsv20 : bsv21) {
            txo.token = read_token_data(*token);
            if (!txo.token) return std::nullopt;
        }
    }
    return txo;
}

std::optional<TokenTxo> parse_token_txo(const Json& entry)
{
    if (!entry.is_object()) return std::nullopt;
    TokenTxo t;
    if (!read_location(entry, t.txid, t.vout, t.outpoint)) return std::nullopt;
    auto owner = string_or_null(entry, "owner");
    const Json* amt = core::json_member(entry, "amt");
    auto amount = amt ? token_amount_text(*amt) : std::nullopt;
    if (!owner || !read_spend(entry, t.spend) || !amount) return std::nullopt;
    t.owner = *owner;
    t.amt = *amount;
    t.id = core::json_string(entry, "id");
    t.tick = core::json_string(entry, "tick");
    t.op = core::json_string(entry, "op");
    auto status = core::json_int64_opt(entry, "status");
    t.status = status && *status >= -1 && *status <= 1 ? static_cast<int>(*status) : 0;
    t.height = std::max<int64_t>(core::json_int64(entry, "height"), 0);
    t.listing = core::json_bool_opt(entry, "listing").value_or(false);
    return t;
}

std::optional<TokenInfo> parse_token_info(const Json& answer)
{
    if (!answer.is_object()) return std::nullopt;
    TokenInfo info;
    info.id = core::json_string(answer, "id");
    info.sym = core::json_string(answer, "sym");
    info.icon = core::json_string(answer, "icon");
    info.name = core::json_string(answer, "name");
    if (const Json* amt = core::json_member(answer, "amt"); amt && !amt->is_null()) {
        auto text = token_amount_text(*amt);
        if (!text) return std::nullopt;
        info.amt = *text;
    }
    if (const Json* data = core::json_object(answer, "data")) {
        if (const Json* insc = core::json_object(*data, "insc")) {
            if (const Json* json = core::json_object(*insc, "json")) info.deploy_json = *json;
        }
    }
    // Decimals: a number at the top, or the deploy inscription's text (always text there).
    std::optional<int64_t> dec = core::json_int64_opt(answer, "dec");
    if (!dec && info.deploy_json.is_object()) {
        auto text = core::json_string(info.deploy_json, "dec");
        if (!text.empty() && text.size() <= 2 &&
            std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; })) {
            dec = std::stoi(text);
        }
    }
    if (dec && *dec >= 0 && *dec <= 18) info.dec = static_cast<int>(*dec);
    return info;
}

OrdinalsClient::OrdinalsClient(std::string api_base, std::string content_base, Http& http)
    : m_api(std::move(api_base)), m_content(std::move(content_base)), m_http(http)
{
}

Result<std::vector<Txo>> OrdinalsClient::unspent_txos(std::string_view address, TxoSelection selection,
                                                      int timeout_seconds) const
{
    const std::string url = m_api + "/txos/address/" + url_escape(address) + "/unspent?bsv20=" +
        (selection == TxoSelection::Tokens ? "true" : "false");
    return fetch_list<Txo>(m_http, url, true, timeout_seconds, parse_txo, "the unspent outputs answer is malformed");
}

Result<Txo> OrdinalsClient::txo(const tx::Txid& txid, uint32_t vout, int timeout_seconds) const
{
    JsonReply reply = m_http.get_json(m_api + "/txos/" + txid.hex() + "_" + std::to_string(vout), timeout_seconds);
    if (!reply.ok) return Result<Txo>::failed(Failure::Request, reply.error, reply.status);
    auto txo = parse_txo(reply.json);
    if (!txo) return Result<Txo>::failed(Failure::Answer, "the output answer is malformed", reply.status);
    return Result<Txo>::success(std::move(*txo), reply.status);
}

Result<std::vector<TokenTxo>> OrdinalsClient::token_unspent(std::string_view address, int timeout_seconds) const
{
    return fetch_list<TokenTxo>(m_http, m_api + "/bsv20/" + url_escape(address) + "/unspent", true, timeout_seconds,
                                parse_token_txo, TOKEN_LIST_MALFORMED);
}

Result<std::vector<TokenTxo>> OrdinalsClient::token_outputs(std::string_view address, std::string_view token_id,
                                                            int timeout_seconds) const
{
    if (!is_outpoint_text(token_id)) return Result<std::vector<TokenTxo>>::failed(Failure::Input, "not a token id");
    return fetch_list<TokenTxo>(m_http, m_api + "/bsv20/" + url_escape(address) + "/id/" + core::ascii_lower(token_id), false,
                                timeout_seconds, parse_token_txo, TOKEN_LIST_MALFORMED);
}

Result<TokenInfo> OrdinalsClient::token(std::string_view token_id, int timeout_seconds) const
{
    if (!is_outpoint_text(token_id)) return Result<TokenInfo>::failed(Failure::Input, "not a token id");
    JsonReply reply = m_http.get_json(m_api + "/bsv20/id/" + core::ascii_lower(token_id), timeout_seconds);
    if (!reply.ok) return Result<TokenInfo>::failed(Failure::Request, reply.error, reply.status);
    auto info = parse_token_info(reply.json);
    if (!info) return Result<TokenInfo>::failed(Failure::Answer, "the token answer is malformed", reply.status);
    return Result<TokenInfo>::success(std::move(*info), reply.status);
}

Result<Content> OrdinalsClient::fetch_content(const std::string& url, int timeout_seconds) const
{
    HttpReply reply = m_http.get(url, GetOptions{timeout_seconds, false, MAX_CONTENT_BODY});
    if (!reply.ok) return Result<Content>::failed(Failure::Request, reply.error, reply.status);
    return Result<Content>::success(Content{std::move(reply.body), std::move(reply.content_type)}, reply.status);
}

Result<Content> OrdinalsClient::content(std::string_view key, int timeout_seconds) const
{
    if (!is_outpoint_text(key) && !core::is_hex64(key)) return Result<Content>::failed(Failure::Input, "not an outpoint");
    return fetch_content(m_content + "/content/" + core::ascii_lower(key), timeout_seconds);
}

Result<Content> OrdinalsClient::files_inscription(std::string_view key, int timeout_seconds) const
{
    if (!is_outpoint_text(key) && !core::is_hex64(key)) return Result<Content>::failed(Failure::Input, "not an outpoint");
    return fetch_content(m_api + "/files/inscriptions/" + core::ascii_lower(key), timeout_seconds);
}

} // namespace net
