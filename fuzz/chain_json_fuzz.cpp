// The chain JSON readers of the endpoint clients (WhatsOnChain, the ordinals indexer, ARC, the
// registry host): every client call is answered with the fuzz input as its body, under a status
// the first byte picks, so each reader meets it through its client. Nothing may crash, and an
// accepted answer holds what its reader promises.
#include <array>

#include "core/hex.h"
#include "core/json_get.h"
#include "fuzz/fuzz_check.h"
#include "net/arc_client.h"
#include "net/chain_tx.h"
#include "net/http.h"
#include "net/http_client.h"
#include "net/json_reply.h"
#include "net/ordinals_client.h"
#include "net/registry_client.h"
#include "net/woc_client.h"
#include "tests/support/fake_http.h"

namespace {

const std::string TXID(64, 'a');
const tx::Txid ID = *tx::Txid::parse(TXID);
const std::string ADDRESS = "1BgGZ9tcN4rm9KBzDn7KprQz87SZ26SAMH";

void client_calls(unsigned call, net::Http& http)
{
    const net::WocClient woc("http://woc.invalid", http);
    const net::OrdinalsClient ord("http://ord.invalid", "http://content.invalid", http);
    const net::ArcClient arc("http://arc.invalid", http);
    const net::RegistryClient reg("http://registry.invalid", "registry.invalid", http);
    std::string error;
    switch (call % 22) {
    case 0: (void)woc.tx_json(ID); break;
    case 1: (void)woc.tx(ID); break;
    case 2: (void)woc.tx_hex(ID); break;
    case 3: (void)woc.spent(ID, 1); break;
    case 4: (void)woc.address_txids(ADDRESS, net::WocAddressList::History); break;
    case 5:
        if (auto utxos = woc.unspent(ADDRESS, net::WocUnspentList::All)) {
            for (const auto& u : *utxos) FUZZ_CHECK(core::is_hex64(u.txid.hex()));
        }
        break;
    case 6: (void)woc.unspent_any(ADDRESS); break;
    case 7: (void)woc.broadcast("00"); break;
    case 8: (void)woc.balances({ADDRESS, ADDRESS}); break;
    case 9: (void)ord.unspent_txos(ADDRESS, net::TxoSelection{}); break;
    case 10: (void)ord.txo(ID, 0); break;
    case 11: (void)ord.token_unspent(ADDRESS); break;
    case 12: (void)ord.token_outputs(ADDRESS, TXID + "_0"); break;
    case 13: (void)ord.token(TXID + "_0"); break;
    case 14: (void)ord.content(TXID + "_0"); break;
    case 15: (void)arc.submit("00"); break;
    case 16: (void)arc.status(ID); break;
    case 17: (void)arc.broadcast("00", ID, error); break;
    case 18: (void)reg.oracle_txids(ADDRESS, 100, 0); break;
    case 19: (void)reg.identity_status("02" + std::string(64, '1')); break;
    case 20: (void)reg.identity_key("alice"); break;
    default:
        (void)reg.oi_tx(ID);
        (void)woc.txs_hex({ID, ID});
        (void)reg.submit("00");
        (void)reg.architects();
        (void)reg.claim_paymail("{}");
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static constexpr std::array<long, 4> STATUSES = {200, 404, 400, 500};
    fuzz::Cursor in(data, size);
    const unsigned selector = in.take_byte();
    const std::string body(in.rest_text());
    // Every request gets the one answer, through the tests' canned client (caps and 404s as the real one).
    const net::HttpReply answer = testsupport::FakeHttp::reply(STATUSES[(selector >> 5) & 3], body);
    testsupport::FakeHttp http([&](const std::string&, const std::string&, const std::string&) { return answer; });
    client_calls(selector & 31, http);
    return 0;
}
