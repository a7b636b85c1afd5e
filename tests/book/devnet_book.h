// The book against the local simulator: posts paid into it as real transactions, services
// pointed at it, and an HTTP layer that records every request and can stand in for chosen
// answers (a fault on one page of the index, a shortened transaction).
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "book/services.h"
#include "core/base58.h"
#include "core/hex.h"
#include "net/http_client.h"
#include "net/json_reply.h"
#include "net/market_addresses.h"
#include "tests/book/post_factory.h"
#include "tests/support/devnet_fixture.h"
#include "tx/raw_tx.h"
#include "tx/script.h"
#include "tx/serialize.h"

namespace booktest {

// Forwards to the real client, records every URL, and lets a test answer chosen requests itself
// or change what the service answered (a lying or a busy service).
class RecordingHttp final : public net::Http {
public:
    // Returns an answer to use instead of asking the service, or nullopt to ask it. body is the
    // request's body ("" for a GET).
    using Override = std::function<std::optional<net::HttpReply>(const std::string& url, const std::string& body)>;
    // Changes an answer the service gave.
    using Rewrite = std::function<void(const std::string& url, net::HttpReply& reply)>;

    net::JsonReply get_json(const std::string& url, int timeout_seconds) override
    {
        net::GetOptions options;
        options.timeout_seconds = timeout_seconds;
        net::HttpReply reply = exchange(url, "", [&] { return m_real.get(url, options); });
        net::JsonReply json;
        json.status = reply.status;
        json.error = reply.error;
        std::optional<Json> doc = core::parse_json(reply.body);
        if (doc) json.json = std::move(*doc);
        json.ok = reply.ok && doc.has_value();
        return json;
    }
    net::HttpReply get(const std::string& url, const net::GetOptions& options) override
    {
        return exchange(url, "", [&] { return m_real.get(url, options); });
    }
    net::HttpReply post_json(const std::string& url, const std::string& body, const net::PostOptions& options) override
    {
        return exchange(url, body, [&] { return m_real.post_json(url, body, options); });
    }

    void set_override(Override o) { m_override = std::move(o); }
    void set_rewrite(Rewrite r) { m_rewrite = std::move(r); }

    std::vector<std::string> urls() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_urls;
    }
    // How many recorded URLs contain the text.
    size_t count(const std::string& part) const
    {
        size_t n = 0;
        for (const std::string& url : urls()) n += url.find(part) != std::string::npos;
        return n;
    }
    void clear()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_urls.clear();
    }

private:
    template <typename Ask>
    net::HttpReply exchange(const std::string& url, const std::string& body, Ask ask)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_urls.push_back(url);
        }
        if (m_override) {
            if (std::optional<net::HttpReply> canned = m_override(url, body)) return *canned;
        }
        net::HttpReply reply = ask();
        if (m_rewrite) m_rewrite(url, reply);
        return reply;
    }

    net::CurlHttp m_real;
    Override m_override;
    Rewrite m_rewrite;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_urls;
};

inline net::HttpReply failed_reply(long status = 503)
{
    net::HttpReply reply;
    reply.status = status;
    reply.error = "down";
    return reply;
}

inline net::HttpReply json_reply(const Json& body)
{
    net::HttpReply reply;
    reply.ok = true;
    reply.status = 200;
    reply.body = body.dump();
    return reply;
}

// Services pointed at the simulator, over the given HTTP.
inline book::BookServices devnet_services(const testsupport::Devnet& devnet, net::Http& http)
{
    auto config = std::make_shared<net::ServiceConfig>();
    config->woc_api = devnet.woc();
    config->ordinals_api = devnet.ordinals();
    config->ordinals_content = devnet.content();
    config->arc = devnet.arc();
    config->registry = devnet.registry();
    book::BookServices services;
    services.config = config;
    services.http = &http;
    services.oracle_address = std::string(net::BOOK_ORACLE_ADDRESS);
    services.house_fee_address = std::string(net::HOUSE_FEE_ADDRESS);
    return services;
}

inline core::Bytes p2pkh_lock(std::string_view address)
{
    return tx::p2pkh_script(core::hash160_from_address(address).value());
}

inline core::Bytes carrier(const Json& post)
{
    return tx::data_carrier_script(core::as_bytes(post.dump()));
}

// The raw transaction a publisher makes for the post, spending an input of its own (nonce
// makes it unique): the house fee for a listing when asked, 1 sat to the oracle, the post.
inline core::Bytes post_tx_raw(const Json& post, uint64_t nonce, bool with_fee = true)
{
    tx::RawTx raw;
    tx::RawTxInput input;
    for (int i = 0; i < 8; ++i) input.prev_hash[i] = static_cast<uint8_t>(nonce >> (8 * i));
    input.prev_hash[31] = 0x5a;
    input.prev_index = 0;
    input.script_sig = {0x51};
    raw.inputs.push_back(input);
    if (with_fee && post.value("type", "") == "ag_list") {
        raw.outputs.push_back({1'000'000, p2pkh_lock(net::HOUSE_FEE_ADDRESS)});
    }
    raw.outputs.push_back({1, p2pkh_lock(net::BOOK_ORACLE_ADDRESS)});
    raw.outputs.push_back({0, carrier(post)});
    raw.outputs.push_back({5000, p2pkh_lock(booktest::OTHER_ADDRESS)});
    return tx::serialize_raw_tx(raw);
}

// Pays the post into the simulator's chain (a trusted import). Returns its txid.
inline std::string publish(const testsupport::Devnet& devnet, const Json& post, bool with_fee = true)
{
    static std::atomic<uint64_t> nonce{1};
    return devnet.import_tx(core::hex_encode(post_tx_raw(post, nonce.fetch_add(1), with_fee)));
}

// Pays the post with a txid that sorts before `before` (tries nonces until one does).
inline std::string publish_sorting_before(const testsupport::Devnet& devnet, const Json& post, const std::string& before)
{
    static std::atomic<uint64_t> nonce{1'000'000};
    for (;;) {
        core::Bytes raw = post_tx_raw(post, nonce.fetch_add(1));
        if (tx::tx_id(raw) < before) return devnet.import_tx(core::hex_encode(raw));
    }
}

} // namespace booktest
