// Choosing inputs among many small coins: the funding step of every payment.
#include <benchmark/benchmark.h>

#include "funding/fund.h"
#include "tx/script.h"

namespace {

std::vector<tx::TxInput> coins(size_t n, core::Amount each)
{
    std::vector<tx::TxInput> out(n);
    for (size_t i = 0; i < n; ++i) {
        out[i].txid = *tx::Txid::parse(std::string(64, "0123456789abcdef"[i % 16]));
        out[i].vout = static_cast<uint32_t>(i);
        out[i].value = each;
    }
    return out;
}

void BM_FundFromSmallCoins(benchmark::State& state)
{
    const size_t n = static_cast<size_t>(state.range(0));
    auto candidates = coins(n, 1000);
    core::Hash160 h{};
    // Needs nearly every coin: the worst case of the one-at-a-time selection.
    std::vector<tx::TxOutput> outs{{static_cast<core::Amount>(n) * 1000 * 8 / 10, tx::p2pkh_script(h)}};
    for (auto _ : state) benchmark::DoNotOptimize(funding::fund_transaction(candidates, outs, h, 0));
}
BENCHMARK(BM_FundFromSmallCoins)->Arg(10)->Arg(100)->Arg(400);

} // namespace

