// An ARC transaction processor: submit a raw transaction, ask its status. ARC may answer
// HTTP 200 for a transaction the network refused ("REJECTED", "DOUBLE_SPEND_ATTEMPTED",
// "SEEN_IN_ORPHAN_MEMPOOL"), so the status decides, never the HTTP code alone; its error
// answers (4xx) carry "detail" and "extraInfo", which become the error text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/http.h"
#include "net/result.h"
#include "tx/txid.h"

namespace net {

struct ArcAnswer {
    std::string tx_status;   // "txStatus"
    std::string extra_info;  // "extraInfo"
    std::string txid;        // "txid" as given (may be empty)
    std::vector<std::string> competing_txs;
    std::string block_hash;
    int64_t block_height = 0;
};

enum class ArcStatusClass { Accepted, Rejected, Other };

// "RECEIVED" .. "MINED" and "CONFIRMED" are accepted; "REJECTED", "DOUBLE_SPEND_ATTEMPTED" and
// "SEEN_IN_ORPHAN_MEMPOOL" rejected; anything else other.
ArcStatusClass arc_status_class(std::string_view tx_status);

// The members of a 200 answer; nullopt when it is not an object with a string "txStatus".
std::optional<ArcAnswer> parse_arc_answer(const Json& answer);

// The error sentence for a failing ARC answer: "HTTP <status> – <detail>: <extraInfo>" with the
// lines of extraInfo joined by "; ", or http_error_text when the body is not ARC's error shape.
std::string arc_error_text(long status, std::string_view body);

class ArcClient {
public:
    // base: the ARC base URL; requests go to base + "/v1/tx".
    ArcClient(std::string base, Http& http);

    // POST "/v1/tx" {"rawTx": raw_hex} (60 s, 2 tries).
    [[nodiscard]] Result<ArcAnswer> submit(std::string_view raw_hex) const;
    // GET "/v1/tx/{txid}".
    [[nodiscard]] Result<ArcAnswer> status(const tx::Txid& txid, int timeout_seconds = 15) const;

    // Submits and judges the answer: true when ARC accepted the transaction. Otherwise false
    // and error holds the reason: the request's error; "bad arc response"; the rejected
    // status followed by ": " and extraInfo; extraInfo when it reports missing inputs; "arc did
    // not return a txid" (also when it names another txid than expected_txid); "broadcast did
    // not confirm".
    bool broadcast(std::string_view raw_hex, const tx::Txid& expected_txid, std::string& error) const;

private:
    std::string m_base;
    Http& m_http;
};

} // namespace net
