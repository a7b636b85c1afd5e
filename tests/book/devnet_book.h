// The book against the local simulator: posts paid into it as real transactions, services
// pointed at it, and an HTTP layer that records every request and can stand in for chosen
// answers (a fault on one page of the index, a shortened transaction).
#pragma once

#include <atomic>
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
#include "tests/support/fake_http.h"
#include "tx/raw_tx.h"
#include "tx/script.h"
#include "tx/serialize.h"

namespace booktest {

// Records every request and answers through the real client, unless the test answers chosen
// requests itself (set_handler) or changes what the service answered (set_rewrite).
class RecordingHttp final : public testsupport::FakeHttp {
public:
    RecordingHttp() { pass_through(); }
    // Requests to a URL containing any of the parts fail as a busy service; others go through.
    void fail_where(std::vector<std::string> parts)
    {
        set_handler([parts = std::move(parts)](const std::string&, const std::string& url,
                                               const std::string&) -> std::optional<net::HttpReply> {
            for (const std::string& part : parts) {
                if (url.find(part) != std::string::npos) return reply(503, "down");
            }
            return std::nullopt;
        });
    }
};

// Services pointed at the simulator, over the given HTTP, keeping answers in caches.
inline book::BookServices devnet_services(const testsupport::Devnet& devnet, net::Http& http, book::Caches& caches)
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
    services.caches = &caches;
    services.oracle_address = std::string(net::BOOK_ORACLE_ADDRESS);
    services.house_fee_address = std::string(net::HOUSE_FEE_ADDRESS);
    return services;
}

// The simulator, and book services over a recording HTTP pointed at it.
class BookDevnetTest : public testsupport::DevnetTest {
protected:
    void SetUp() override
    {
        DevnetTest::SetUp();
        ASSERT_TRUE(m_devnet);
        m_services = devnet_services(devnet(), m_http, m_caches);
    }

    RecordingHttp m_http;
    book::Caches m_caches;
    book::BookServices m_services;
};

inline core::Bytes p2pkh_lock(std::string_view address)
{
    return tx::p2pkh_script(core::hash160_from_address(address).value());
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
    raw.outputs.push_back({0, tx::data_carrier_script(core::as_bytes(post.dump()))});
    raw.outputs.push_back({5000, p2pkh_lock(booktest::OTHER_ADDRESS)});
    return tx::serialize_raw_tx(raw);
}

// Pays the post into the simulator's chain (a trusted import). Returns its txid.
inline std::string publish(const testsupport::Devnet& devnet, const Json& post, bool with_fee = true)
{
    static std::atomic<uint64_t> nonce{1};
    return devnet.import_tx(core::hex_encode(post_tx_raw(post, nonce.fetch_add(1), with_fee)));
}

} // namespace booktest
