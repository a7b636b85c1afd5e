// WhatsOnChain: transactions, address histories and unspent outputs, spent checks, balances
// and the broadcast fallback. Paths follow the live service: raw hex is "/tx/{txid}/hex", the
// decoded transaction "/tx/{txid}", the spent check "/tx/{txid}/{vout}/spent".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/bytes.h"
#include "net/chain_tx.h"
#include "net/http.h"
#include "net/result.h"

namespace net {

// The most txids one bulk request may name.
inline constexpr size_t WOC_BULK_TXIDS = 20;

// The address lists the book reads txids from, in the order it tries them.
enum class WocAddressList { UnconfirmedHistory, Unspent, ConfirmedHistory, History };

// The unspent-output lists: "/unspent/all" (confirmed and unconfirmed), the legacy
// "/unspent", "/unconfirmed/unspent" and "/confirmed/unspent".
enum class WocUnspentList { All, Legacy, Unconfirmed, Confirmed };

struct WocUtxo {
    tx::Txid txid;
    uint32_t vout = 0;
    core::Amount sats = 0;  // "value": integer satoshis in these lists
    int64_t height = 0;     // 0 when unconfirmed
    bool spent_in_mempool = false;  // a confirmed output already spent by an unconfirmed one
    std::string script_hex;         // given for unconfirmed entries only
};

struct SpentCheck {
    enum class State {
        Unspent,          // 404: the output exists and is not spent
        Spent,            // spender_txid spends it
        UnknownOutpoint,  // 400: the service does not know the output
    };
    State state = State::Unspent;
    tx::Txid spender_txid;
    bool spender_confirmed = false;
};

struct AddressBalance {
    std::string address;
    core::Amount confirmed = 0;
    core::Amount unconfirmed = 0;
};

class WocClient {
public:
    // base: the API base, e.g. "https://api.whatsonchain.com/v1/bsv/main".
    WocClient(std::string base, Http& http);

    // "/tx/{txid}" as JSON, whole (the book keeps it), by the plain JSON GET.
    [[nodiscard]] Result<Json> tx_json(const tx::Txid& txid, int timeout_seconds = 10) const;
    // "/tx/{txid}", typed. Output values are BSV floats there, read exactly.
    [[nodiscard]] Result<ChainTx> tx(const tx::Txid& txid, int timeout_seconds = 10, const Deadline& deadline = {}) const;
    // "/tx/{txid}/hex": the raw transaction as lower-case hex.
    [[nodiscard]] Result<std::string> tx_hex(const tx::Txid& txid, int timeout_seconds = 10, const Deadline& deadline = {}) const;
    // POST "/txs/hex" {"txids": [...]}, at most WOC_BULK_TXIDS ids (Failure::Input beyond):
    // the entries of the answer that carry a txid and hex, each with the block the entry names
    // (position Unknown when it names none). Ids the service does not know are missing.
    [[nodiscard]] Result<std::vector<RawTxAnswer>> txs_hex(const std::vector<tx::Txid>& txids, const Deadline& deadline = {},
                                             int timeout_seconds = 30) const;
    // "/tx/{txid}/{vout}/spent".
    [[nodiscard]] Result<SpentCheck> spent(const tx::Txid& txid, uint32_t vout, int timeout_seconds = 10) const;

    // The txids of an address list: entries are strings, or objects with "tx_hash" or "txid";
    // the list is the answer itself or its "result" member.
    [[nodiscard]] Result<std::vector<tx::Txid>> address_txids(std::string_view address, WocAddressList list,
                                                   int timeout_seconds = 8, const Deadline& deadline = {}) const;

    // The unspent outputs of an address from one list. Malformed entries are left out; pages
    // announced by "nextPageToken" are followed.
    [[nodiscard]] Result<std::vector<WocUtxo>> unspent(std::string_view address, WocUnspentList list,
                                         int timeout_seconds = 10) const;
    // "/unspent/all", then "/unspent", then "/unconfirmed/unspent": the first list that
    // answers. When none answers the error is "no utxos".
    [[nodiscard]] Result<std::vector<WocUtxo>> unspent_any(std::string_view address, int timeout_seconds = 10) const;

    // POST "/tx/raw" {"txhex": raw_hex} (60 s, 2 tries). The value is the answer text; the
    // error of a refusal carries the node's message.
    [[nodiscard]] Result<std::string> broadcast(std::string_view raw_hex) const;

    // POST "/addresses/balance", 20 addresses per request. One entry per address answered.
    [[nodiscard]] Result<std::vector<AddressBalance>> balances(const std::vector<std::string>& addresses,
                                                 int timeout_seconds = 15) const;

    [[nodiscard]] const std::string& base() const { return m_base; }

private:
    [[nodiscard]] std::string address_url(std::string_view address, std::string_view tail) const;

    std::string m_base;
    Http& m_http;
};

// The entries of an unspent list answer (bare array, or a wrapper whose "result" is an array
// or null). nullopt when the answer is neither.
std::optional<std::vector<WocUtxo>> parse_woc_unspent(const Json& answer);

// The txids of a history or unspent answer, in order; entries that name no txid are skipped.
std::optional<std::vector<tx::Txid>> parse_woc_txids(const Json& answer);

} // namespace net
