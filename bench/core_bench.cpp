// Speed of the hashing and signature work every post and every transaction input goes through.
#include <benchmark/benchmark.h>

#include "core/hash.h"
#include "core/hex.h"
#include "core/key.h"
#include "core/message.h"

namespace {

const std::string PRIV = "d9845ee2e9e92ddf65f4b9ff067a27f420d6f51664e4143ff6e5961919dbc6a6";
const std::string PUB = "02ded4e1e697bc768d79dd3f5c95cd56f332fdcf483c2a36933ba6c81d29bcf8b4";
// A post-sized message: a signed listing is a few hundred bytes of compact JSON.
const std::string MESSAGE(300, 'p');


void BM_Sha256d_1KiB(benchmark::State& state)
{
    core::Bytes data(1024, 0xa5);
    for (auto _ : state) benchmark::DoNotOptimize(core::sha256d(data));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 1024);
}
BENCHMARK(BM_Sha256d_1KiB);

void BM_EcdsaSignDer(benchmark::State& state)
{
    core::Hash256 digest = core::sha256(core::as_bytes("input"));
    for (auto _ : state) {
        auto sig = core::ecdsa_sign_der(PRIV, digest);
        benchmark::DoNotOptimize(sig);
        ++digest[0];
    }
}
BENCHMARK(BM_EcdsaSignDer);

void BM_EcdsaVerifyDer(benchmark::State& state)
{
    core::Hash256 digest = core::sha256(core::as_bytes("input"));
    core::Bytes der = core::ecdsa_sign_der(PRIV, digest).value();
    core::Bytes pub = core::hex_decode(PUB).value();
    for (auto _ : state) benchmark::DoNotOptimize(core::verify_der(digest, der, pub, true));
}
BENCHMARK(BM_EcdsaVerifyDer);

void BM_SignMessageCompact(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(core::sign_message_compact(MESSAGE, PRIV));
}
BENCHMARK(BM_SignMessageCompact);

void BM_VerifyMessage(benchmark::State& state)
{
    std::string sig = core::sign_message_compact(MESSAGE, PRIV).value();
    for (auto _ : state) benchmark::DoNotOptimize(core::verify_message(MESSAGE, PUB, sig));
}
BENCHMARK(BM_VerifyMessage);

} // namespace
