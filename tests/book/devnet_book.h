// The book against the local simulator: posts paid into it as real transactions, services
// pointed at it, and an HTTP layer that records every request and can stand in for chosen
// answers (a fault on one page of the index, a shortened transaction).
#pragma once

#include <atomic>
#include <string>

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

// Services pointed at the simulator, over the given HTTP, keeping answers in caches.
inline book::BookServices devnet_services(const testsupport::Devnet& devnet, net::Http& http, book::Caches& caches)
{
    auto config = std::make_shared<net::ServiceConfig>(net::ServiceConfig{
        .woc_api = devnet.woc(), .ordinals_api = devnet.ordinals(), .ordinals_content = devnet.content(), .arc = devnet.arc(),
        .registry = devnet.registry()});
    return {.config = config, .http = &http, .caches = &caches, .oracle_address = std::string(net::BOOK_ORACLE_ADDRESS),
            .house_fee_address = std::string(net::HOUSE_FEE_ADDRESS)};
}

// The simulator, and book services pointed at it over an HTTP layer that records every request
// and answers through the real client, unless the test answers chosen requests itself
// (set_handler) or changes what the service answered (set_rewrite).
class BookDevnetTest : public testsupport::DevnetTest {
protected:
    void SetUp() override
    {
        DevnetTest::SetUp();
        ASSERT_TRUE(m_devnet);
        m_http.pass_through();
        m_services = devnet_services(devnet(), m_http, m_caches);
    }

    testsupport::FakeHttp m_http;
    book::Caches m_caches;
    book::BookServices m_services;
};

inline core::Bytes p2pkh_lock(std::string_view address)
{
    return tx::p2pkh_script(core::hash160_from_address(address).value());
}

// Pays the post into the simulator's chain (a trusted import) in the transaction a publisher
// makes, spending an input of its own (a counter makes it unique): the house fee for a listing,
// 1 sat to the oracle, the post, change. Returns its txid.
inline std::string publish(const testsupport::Devnet& devnet, const Json& post)
{
    static std::atomic<uint64_t> nonce{1};
    const uint64_t n = nonce.fetch_add(1);
    tx::RawTx raw{.inputs = {{.script_sig = {0x51}}}};
    for (int i = 0; i < 8; ++i) raw.inputs[0].prev_hash[i] = static_cast<uint8_t>(n >> (8 * i));
    raw.inputs[0].prev_hash[31] = 0x5a;
    if (post.value("type", "") == "ag_list") raw.outputs.push_back({1'000'000, p2pkh_lock(net::HOUSE_FEE_ADDRESS)});
    raw.outputs.push_back({1, p2pkh_lock(net::BOOK_ORACLE_ADDRESS)});
    raw.outputs.push_back({0, tx::data_carrier_script(core::as_bytes(post.dump()))});
    raw.outputs.push_back({5000, p2pkh_lock(booktest::OTHER_ADDRESS)});
    return devnet.import_tx(core::hex_encode(tx::serialize_raw_tx(raw)));
}

} // namespace booktest
