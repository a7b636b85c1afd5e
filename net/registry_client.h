// The registry host: the oracle index of the book, its transaction submit, identity keys by
// handle, the architects list, frozen identities and paymail names.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "net/chain_tx.h"
#include "net/http.h"
#include "net/result.h"
#include "tx/txid.h"

namespace net {

struct IdentityStatus {
    bool frozen = false;
    std::string frozen_note;
};

// A page of an index's txid list: the txids it names, and how many entries it held (entries that
// are not txids are counted but not kept, so that a full page is told from the list's end).
struct TxidPage {
    std::vector<tx::Txid> txids;
    size_t entries = 0;
};

struct OiSubmitAnswer {
    std::string text;  // the answer as sent
    bool ok = false;   // a JSON object whose "ok" is true
};

class RegistryClient {
public:
    // base: e.g. "https://" + domain; domain: the paymail domain of handles.
    RegistryClient(std::string base, std::string domain, Http& http);

    // "/oi/oracle/{oracle}/txids?limit=..&offset=.." (12 s): the elements of "txids" that are
    // txids (Txid::parse). An answer that is not JSON or has no "txids" array fails with
    // Failure::Answer.
    [[nodiscard]] Result<TxidPage> oracle_txids(std::string_view oracle, int limit, int offset, int timeout_seconds = 12,
                                                const Deadline& deadline = {}) const;
    // "/oi/tx/{txid}" (4 s): the raw transaction the answer carries in "hex", with the txid it
    // names and the block it names (Unconfirmed when none). An answer without them fails with
    // Failure::Answer.
    [[nodiscard]] Result<RawTxAnswer> oi_tx(const tx::Txid& txid, int timeout_seconds = 4, const Deadline& deadline = {}) const;
    // POST "/oi/submit" {"txhex": raw_hex} (2 s, one try).
    [[nodiscard]] Result<OiSubmitAnswer> submit(std::string_view raw_hex) const;

    // "/api/paymail/architects" (12 s): "pubkeys", lower-cased; other elements are left out.
    [[nodiscard]] Result<std::vector<std::string>> architects(int timeout_seconds = 12) const;
    // "/api/paymail/identity/{pubkey}" (12 s): "frozen" and "frozenNote".
    [[nodiscard]] Result<IdentityStatus> identity_status(std::string_view pubkey_hex, int timeout_seconds = 12) const;
    // "/api/bsvalias/id/{handle}@{domain}": "pubkey" or "publicKey", lower-cased hex.
    [[nodiscard]] Result<std::string> identity_key(std::string_view handle, int timeout_seconds = 12, const Deadline& deadline = {}) const;
    // POST "/api/paymail/claim" with the caller's JSON body: the answer text.
    [[nodiscard]] Result<std::string> claim_paymail(const std::string& body_json, int timeout_seconds = 15) const;

    [[nodiscard]] const std::string& domain() const { return m_domain; }

private:
    [[nodiscard]] Result<TxidPage> txid_list(const JsonReply& reply) const;
    // The GET with options, its body parsed: ok for a 2xx answer, whose json is null when it is
    // not JSON.
    [[nodiscard]] JsonReply json_get(const std::string& url, const GetOptions& options) const;

    std::string m_base;
    std::string m_domain;
    Http& m_http;
};

} // namespace net
