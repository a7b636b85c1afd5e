// The GorillaPool ordinals API: 1Sat outputs, BSV-20/21 token outputs and details, and the
// content base for inscription bodies. Follows the live service: unspent outputs come either
// without token outputs ("?bsv20=false") or only those ("?bsv20=true"); token data sits under
// "bsv20"; "/bsv20/{address}/unspent" takes an address; misses are HTTP 404 or 500 with a
// JSON {"message"}; token amounts are read as exact decimal text, never as a double.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/bytes.h"
#include "core/json_get.h"
#include "net/http.h"
#include "net/result.h"
#include "tx/txid.h"

namespace net {

// The file of an inscription ("data"."insc"."file").
struct InscriptionFile {
    std::string type;  // content type as inscribed
    int64_t size = 0;
    std::string hash;  // as the service gives it (base64 of the SHA-256)
};

// A token operation carried by an output ("data"."bsv20").
struct TokenData {
    std::string op;   // "deploy+mint", "transfer", "burn", ...
    std::string amt;  // raw units, decimal digits without leading zeros
    std::string id;   // token id (txid_vout) for BSV-21; empty for BSV-20 v1
    std::string tick; // BSV-20 v1 ticker; empty for BSV-21
};

// One output of "/txos/...".
struct Txo {
    tx::Txid txid;
    uint32_t vout = 0;
    std::string outpoint;  // txid + "_" + vout
    core::Amount sats = 0;
    std::string owner;   // address, empty when the indexer found none
    std::optional<tx::Txid> spend;  // the spending transaction; none while unspent
    std::string origin;  // origin outpoint of its inscription, empty when none
    int64_t height = 0;  // 0 while unmined
    bool has_insc = false;
    bool has_bsv20 = false;
    bool has_bsv21 = false;
    std::optional<InscriptionFile> file;
    // The file of its origin's inscription ("origin"."data"."insc"."file"): an inscription that
    // moved on carries no "data" of its own, and this is still what it is.
    std::optional<InscriptionFile> origin_file;
    std::optional<TokenData> token;
    Json data;  // the whole "data" object (null when none), for readers of other members

    [[nodiscard]] bool spent() const { return spend.has_value(); }
};

// One token output of "/bsv20/{address}/unspent" or "/bsv20/{address}/id/{id}".
struct TokenTxo {
    tx::Txid txid;
    uint32_t vout = 0;
    std::string outpoint;
    std::string owner;
    std::string id;    // token id
    std::string tick;  // v1 only
    std::string op;
    std::string amt;   // raw units, decimal digits
    int status = 0;    // -1 invalid, 0 pending, 1 valid
    std::optional<tx::Txid> spend;  // none while unspent
    int64_t height = 0;
    bool listing = false;
};

// "/bsv20/id/{id}": token details.
struct TokenInfo {
    std::string id;
    std::string sym;
    std::string icon;
    std::string name;        // not sent by the live service; read when present
    std::optional<int> dec;  // decimals
    std::string amt;         // supply, raw units
    Json deploy_json;        // "data"."insc"."json" (the deploy inscription), null when absent
};

// Raw inscription bytes and the content type the service announced.
struct Content {
    std::string bytes;
    std::string content_type;
};

enum class TxoSelection {
    NonToken,  // "?bsv20=false": every unspent output except token outputs
    Tokens,    // "?bsv20=true": token outputs only
};

class OrdinalsClient {
public:
    // api_base ends in "/api"; content_base serves "/content/{outpoint}".
    OrdinalsClient(std::string api_base, std::string content_base, Http& http);

    // "/txos/address/{address}/unspent?bsv20=...", every page (100 per page).
    [[nodiscard]] Result<std::vector<Txo>> unspent_txos(std::string_view address, TxoSelection selection,
                                          int timeout_seconds = 15) const;
    // "/txos/{txid}_{vout}" by the plain JSON GET. A 404 fails with status 404.
    [[nodiscard]] Result<Txo> txo(const tx::Txid& txid, uint32_t vout, int timeout_seconds = 12) const;

    // "/bsv20/{address}/unspent", every page.
    [[nodiscard]] Result<std::vector<TokenTxo>> token_unspent(std::string_view address, int timeout_seconds = 15) const;
    // "/bsv20/{address}/id/{token_id}": the valid unspent outputs of one token.
    [[nodiscard]] Result<std::vector<TokenTxo>> token_outputs(std::string_view address, std::string_view token_id,
                                                int timeout_seconds = 15) const;
    // "/bsv20/id/{token_id}" by the plain JSON GET.
    [[nodiscard]] Result<TokenInfo> token(std::string_view token_id, int timeout_seconds = 8) const;

    // Content base "/content/{key}" (key: outpoint, or a bare txid); body up to
    // MAX_CONTENT_BODY. A JSON 404 is a failure with status 404.
    [[nodiscard]] Result<Content> content(std::string_view key, int timeout_seconds = 45) const;
    // API "/files/inscriptions/{key}": the older address of the same bytes.
    [[nodiscard]] Result<Content> files_inscription(std::string_view key, int timeout_seconds = 45) const;

private:
    [[nodiscard]] Result<Content> fetch_content(const std::string& url, int timeout_seconds) const;

    std::string m_api;
    std::string m_content;
    Http& m_http;
};

// Parsers of single answers (null/absent members read as empty).
std::optional<Txo> parse_txo(const Json& entry);
std::optional<TokenTxo> parse_token_txo(const Json& entry);
std::optional<TokenInfo> parse_token_info(const Json& answer);

// A token amount given as a JSON unsigned integer or as decimal text, as canonical decimal
// digits. nullopt for negatives, fractions, floats and anything else.
std::optional<std::string> token_amount_text(const Json& value);

// True for a "txid_vout" outpoint with a 64-hex txid and a decimal index.
bool is_outpoint_text(std::string_view text);

} // namespace net
