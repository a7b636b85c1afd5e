// Speed of the simulator as the program's own HTTP client sees it (libcurl, one handle per
// request): transaction JSON fetches and oracle index pages, on 1 and 8 client threads (the
// book loader's fan-out), and the time from submitting a transaction to seeing it.
//   build/bench/devnet_bench --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include "core/base58.h"
#include "core/hash.h"
#include "core/hex.h"
#include "core/key.h"
#include "devnet/server.h"
#include "net/http_client.h"
#include "net/market_addresses.h"
#include "tx/push.h"
#include "tx/raw_tx.h"
#include "tx/script.h"
#include "tx/serialize.h"
#include "tx/sighash.h"

namespace {

constexpr int BOOK_SIZE = 4000;     // transactions paying the book oracle
constexpr int SPENDABLE = 3000;     // pre-signed spends for the submit benchmark

struct Bench {
    std::unique_ptr<devnet::DevnetServer> server;
    std::string base;
    std::vector<std::string> book;             // txids in the oracle index
    std::vector<std::string> spends;           // raw hex of signed, not yet submitted spends
    std::atomic<size_t> next_spend{0};
};

// One in-process simulator for every benchmark, filled once.
Bench& bench()
{
    static Bench* b = [] {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        auto* s = new Bench();
        devnet::ServerOptions options;
        options.book_oracle = std::string(net::BOOK_ORACLE_ADDRESS);
        options.report_oracle = std::string(net::REPORT_ORACLE_ADDRESS);
        s->server = std::make_unique<devnet::DevnetServer>(options);
        std::string error;
        if (!s->server->start(error)) std::abort();
        s->base = s->server->base_url();
        devnet::Chain& chain = s->server->chain();

        // The book: transactions shaped like posts (an oracle output, a data output, change).
        auto oracle = core::hash160_from_address(net::BOOK_ORACLE_ADDRESS).value();
        std::string post(400, 'p');
        for (int i = 0; i < BOOK_SIZE; ++i) {
            tx::RawTx t;
            tx::RawTxInput in;
            in.prev_index = 0xFFFFFFFF;
            core::Bytes nonce = core::hex_decode(core::hex_encode(core::sha256(core::as_bytes(std::to_string(i))))).value();
            tx::append_push(in.script_sig, nonce);
            t.inputs.push_back(in);
            t.outputs.push_back({1, tx::p2pkh_script(oracle)});
            t.outputs.push_back({0, tx::data_carrier_script(core::as_bytes(post))});
            t.outputs.push_back({5000, tx::p2pkh_script(oracle)});
            auto j = chain.import_trusted(tx::serialize_raw_tx(t));
            s->book.push_back(j.txid);
        }
        chain.mine(1);

        // Coins for the submit benchmark, each spend signed in advance.
        std::string priv = core::hex_encode(core::sha256(core::as_bytes("bench key")));
        std::string pub = core::pubkey_from_privkey(priv).value();
        core::Bytes pub_bytes = core::hex_decode(pub).value();
        core::Hash160 hash = core::hash160(pub_bytes);
        tx::RawTx fund;
        tx::RawTxInput in;
        in.prev_index = 0xFFFFFFFF;
        tx::append_push(in.script_sig, core::as_bytes("bench funding"));
        fund.inputs.push_back(in);
        for (int i = 0; i < SPENDABLE; ++i) fund.outputs.push_back({10000, tx::p2pkh_script(hash)});
        core::Bytes fund_raw = tx::serialize_raw_tx(fund);
        std::string fund_txid = chain.import_trusted(fund_raw).txid;
        chain.mine(1);
        for (int i = 0; i < SPENDABLE; ++i) {
            tx::RawTx t;
            tx::RawTxInput spend;
            spend.prev_hash = tx::txid_to_wire(fund_txid).value();
            spend.prev_index = static_cast<uint32_t>(i);
            t.inputs.push_back(spend);
            t.outputs.push_back({9000, tx::p2pkh_script(hash)});
            auto digest = tx::forkid_digest(t, 0, tx::p2pkh_script(hash), 10000, 0x41).value();
            core::Bytes sig = core::ecdsa_sign_der(priv, digest).value();
            sig.push_back(0x41);
            tx::append_push(t.inputs[0].script_sig, sig);
            tx::append_push(t.inputs[0].script_sig, pub_bytes);
            s->spends.push_back(core::hex_encode(tx::serialize_raw_tx(t)));
        }
        return s;
    }();
    return *b;
}

void BM_TxJson(benchmark::State& state)
{
    Bench& b = bench();
    size_t i = static_cast<size_t>(state.thread_index()) * 997;
    for (auto _ : state) {
        net::Json json;
        const std::string& txid = b.book[i++ % b.book.size()];
        if (!net::get_json(b.base + "/woc/v1/bsv/main/tx/" + txid, json, 10)) state.SkipWithError("fetch failed");
        benchmark::DoNotOptimize(json);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TxJson)->Threads(1)->Threads(8)->UseRealTime();

void BM_OiTxJson(benchmark::State& state)
{
    Bench& b = bench();
    size_t i = static_cast<size_t>(state.thread_index()) * 991;
    for (auto _ : state) {
        net::Json json;
        if (!net::get_json(b.base + "/registry/oi/tx/" + b.book[i++ % b.book.size()], json, 10)) state.SkipWithError("fetch failed");
        benchmark::DoNotOptimize(json);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OiTxJson)->Threads(8)->UseRealTime();

void BM_OiPage2000(benchmark::State& state)
{
    Bench& b = bench();
    for (auto _ : state) {
        net::Json json;
        if (!net::get_json(b.base + "/registry/oi/oracle/agoran/txids?limit=2000&offset=2000", json, 12)) {
            state.SkipWithError("page failed");
        }
        benchmark::DoNotOptimize(json);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OiPage2000)->Threads(1)->Threads(8)->UseRealTime();

// POST /tx/raw, then poll /tx/{txid}/hex until it answers (the broadcaster's confirmation).
void BM_SubmitToVisible(benchmark::State& state)
{
    Bench& b = bench();
    for (auto _ : state) {
        size_t n = b.next_spend++;
        if (n >= b.spends.size()) {
            state.SkipWithError("out of pre-signed spends");
            break;
        }
        std::string response, error;
        if (!net::http_post_json(b.base + "/woc/v1/bsv/main/tx/raw", "{\"txhex\":\"" + b.spends[n] + "\"}", response, error, 10)) {
            state.SkipWithError(error.c_str());
            break;
        }
        std::string txid = response.substr(1, 64);
        std::string body;
        while (!net::http_get(b.base + "/woc/v1/bsv/main/tx/" + txid + "/hex", body, error, 10)) {
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SubmitToVisible)->Iterations(1000)->UseRealTime();

} // namespace
