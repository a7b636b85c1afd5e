// The admin interface of the local services simulator (agoran-devnet), for programs that drive
// it: the Pursa stand-in's faucet, the demo, integration tests. JSON POSTs under base +
// "/admin"; every call fails soft with the simulator's own sentence.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/bytes.h"
#include "net/http.h"
#include "net/result.h"

namespace net {

class DevnetAdminClient {
public:
    // base: the simulator's URL line, "http://127.0.0.1:PORT".
    DevnetAdminClient(std::string base, Http& http);

    // Pays satoshis to a P2PKH address out of nothing; with mine, in a new block. The txid.
    [[nodiscard]] Result<std::string> fund(const std::string& address, int64_t satoshis, bool mine = false) const;
    // Deploys and mints a BSV-21 token to address (amount, decimals as decimal text). The id.
    [[nodiscard]] Result<std::string> mint(const std::string& address, const std::string& amount, const std::string& symbol,
                             const std::string& icon = "", const std::string& decimals = "") const;
    // Inscribes content on a 1-sat output to address. The origin ("txid_0").
    [[nodiscard]] Result<std::string> inscribe(const std::string& address, const std::string& content_type, core::ByteView content,
                                 bool envelope_first = false) const;
    // Takes a transaction as true without validating it (its parents need not exist). The txid.
    [[nodiscard]] Result<std::string> import_tx(const std::string& raw_hex) const;
    // Mines blocks (the mempool goes into the first). The new tip height.
    [[nodiscard]] Result<int64_t> mine(int blocks = 1) const;

    // Registry records. Each returns the simulator's answer object.
    [[nodiscard]] Result<Json> set_identity(const std::string& handle, const std::string& pubkey_hex) const;
    [[nodiscard]] Result<Json> freeze(const std::string& pubkey_hex, const std::string& note) const;
    [[nodiscard]] Result<Json> unfreeze(const std::string& pubkey_hex) const;
    [[nodiscard]] Result<Json> set_architects(const std::vector<std::string>& pubkeys_hex) const;
    [[nodiscard]] Result<Json> set_product_page(const std::string& text, const std::string& content_type = "") const;

    // Fault injection for one service ("woc", "ordinals", "arc", "registry", "product"):
    // settings members "down", "status", "body", "content_type", "delay_ms",
    // "rate_limit_next", "lose_next", "rewrite_from", "rewrite_to". Replaces that service's
    // earlier faults.
    [[nodiscard]] Result<Json> fault(const std::string& service, const Json& settings) const;
    [[nodiscard]] Result<Json> clear_faults() const;
    [[nodiscard]] Result<Json> set_fee_rate(int64_t sat_per_kb) const;
    [[nodiscard]] Result<Json> set_visibility_delay(int64_t milliseconds) const;

    // {"height", "mempool", "transactions", "fee_rate"}.
    [[nodiscard]] Result<Json> status() const;

private:
    [[nodiscard]] Result<Json> call(const std::string& path, const Json& body) const;
    Result<std::string> call_for_text(const std::string& path, const Json& body, const char* member) const;

    std::string m_base;
    Http& m_http;
};

} // namespace net
