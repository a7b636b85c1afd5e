// Speed of building, signing, reading and checking transactions: every payment signs its
// inputs, and the seller and the simulator read and check every offer.
#include <benchmark/benchmark.h>

#include "core/hash.h"
#include "core/hex.h"
#include "tx/parse.h"
#include "tx/script.h"
#include "tx/serialize.h"
#include "tx/sign.h"
#include "tx/unlock_check.h"

namespace {

const std::string PRIV = "d9845ee2e9e92ddf65f4b9ff067a27f420d6f51664e4143ff6e5961919dbc6a6";
const std::string PUB = "02ded4e1e697bc768d79dd3f5c95cd56f332fdcf483c2a36933ba6c81d29bcf8b4";

core::Hash160 key_hash()
{
    return core::hash160(core::hex_decode(PUB).value());
}

// A transaction of the program's shape with the given number of P2PKH inputs and outputs.
tx::Transaction payment(size_t inputs, size_t outputs)
{
    const core::Hash160 hash = key_hash();
    tx::Transaction t;
    for (size_t i = 0; i < inputs; ++i) {
        tx::TxInput in;
        in.txid = *tx::Txid::parse(core::hex_encode(core::sha256(core::as_bytes(std::to_string(i)))));
        in.vout = static_cast<uint32_t>(i);
        in.value = 100'000 + static_cast<core::Amount>(i);
        in.prev_script = tx::p2pkh_script(hash);
        in.pub_key_hash = hash;
        t.inputs.push_back(std::move(in));
    }
    for (size_t i = 0; i < outputs; ++i) t.outputs.push_back({static_cast<core::Amount>(1000 + i), tx::p2pkh_script(hash)});
    return t;
}

// A signed transaction, every input signed.
tx::Transaction signed_payment(size_t inputs, size_t outputs)
{
    tx::Transaction t = payment(inputs, outputs);
    for (size_t i = 0; i < inputs; ++i) {
        if (!tx::tx_sign_input(i, t.inputs, t.outputs, key_hash(), PRIV, PUB)) std::abort();
    }
    return t;
}

void BM_TxSignInput_2in3out(benchmark::State& state)
{
    tx::Transaction t = payment(2, 3);
    const core::Hash160 hash = key_hash();
    size_t index = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tx::tx_sign_input(index, t.inputs, t.outputs, hash, PRIV, PUB));
        index ^= 1;
    }
}
BENCHMARK(BM_TxSignInput_2in3out);

void BM_TxParse_10in(benchmark::State& state)
{
    tx::Transaction t = signed_payment(10, 3);
    const core::Bytes raw = tx::tx_serialize(t.inputs, t.outputs);
    for (auto _ : state) benchmark::DoNotOptimize(tx::tx_parse(raw));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * raw.size()));
}
BENCHMARK(BM_TxParse_10in);

void BM_TxSerialize_10in(benchmark::State& state)
{
    tx::Transaction t = signed_payment(10, 3);
    for (auto _ : state) benchmark::DoNotOptimize(tx::tx_serialize(t.inputs, t.outputs));
}
BENCHMARK(BM_TxSerialize_10in);

void BM_CheckP2pkhUnlock_2in3out(benchmark::State& state)
{
    tx::Transaction t = signed_payment(2, 3);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            tx::check_p2pkh_unlock(t.inputs, t.outputs, 0, t.inputs[0].prev_script, t.inputs[0].value));
    }
}
BENCHMARK(BM_CheckP2pkhUnlock_2in3out);

} // namespace
