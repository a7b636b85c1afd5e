// Speed of the seller's offer check (run for every offer the seller's list shows) and of sealing
// and opening a report.
#include <benchmark/benchmark.h>

#include "core/base58.h"
#include "core/hash.h"
#include "core/hex.h"
#include "core/key.h"
#include "trade/offer_rules.h"
#include "trade/report_cipher.h"
#include "tx/bsv20.h"
#include "tx/inscription.h"
#include "tx/script.h"

namespace {

core::Hash160 hash_of(const std::string& name)
{
    return core::hash160(core::as_bytes(name));
}

tx::TxOutput transfer(const core::Hash160& to, const std::string& token, const std::string& amt)
{
    std::string body = tx::bsv20_transfer_json(token, amt, "Ten", "", "TEN", "0");
    return {1, tx::inscription_script(to, tx::BSV20_CONTENT_TYPE, core::as_bytes(body))};
}

// A partial token offer with a buyer paying from several coins.
void BM_CheckTokenOffer(benchmark::State& state)
{
    const std::string token = std::string(64, 'a') + "_0";
    const auto seller_pay = hash_of("pay"), seller_ord = hash_of("ord"), buyer = hash_of("buyer");
    tx::Transaction offer;
    std::vector<std::optional<trade::Prevout>> prevouts;
    offer.inputs.resize(1 + static_cast<size_t>(state.range(0)));
    offer.inputs[0].txid = *tx::Txid::parse(std::string(64, 'c'));
    prevouts.push_back(trade::Prevout{1, transfer(seller_ord, token, "1000000").script});
    for (size_t i = 1; i < offer.inputs.size(); ++i) {
        offer.inputs[i].txid = *tx::Txid::parse(std::string(64, 'd'));
        offer.inputs[i].vout = static_cast<uint32_t>(i);
        offer.inputs[i].script_sig = core::Bytes(107, 0x01);
        prevouts.push_back(trade::Prevout{10'000, tx::p2pkh_script(buyer)});
    }
    offer.outputs = {{300'000, tx::p2pkh_script(seller_pay)}, transfer(buyer, token, "300000"),
                     transfer(seller_ord, token, "700000"), {5'000, tx::p2pkh_script(buyer)}};
    trade::ListingTerms terms{book::ListingKind::Token, token, {offer.inputs[0].txid, 0}, "1000000", 1'000'000, core::address_from_hash160(seller_pay), "1000000"};
    auto mine = [&](const core::Hash160& h) { return h == seller_pay || h == seller_ord; };
    for (auto _ : state) {
        auto check = trade::check_offer(offer, prevouts, terms, mine);
        if (!check.passes) state.SkipWithError(trade::error_text(check.error).c_str());
        benchmark::DoNotOptimize(check);
    }
}
BENCHMARK(BM_CheckTokenOffer)->Arg(1)->Arg(20);

const std::string ARCHITECT = "d9845ee2e9e92ddf65f4b9ff067a27f420d6f51664e4143ff6e5961919dbc6a6";
const std::string SENDER = "0c28fca386c7a227600b2fe50b7cae11ec86d3bf1fbe471be89827e19d72aa1d";

void BM_SealReport2000(benchmark::State& state)
{
    auto to = core::hex_decode(*core::pubkey_from_privkey(ARCHITECT)).value();
    auto from = core::hex_decode(SENDER).value();
    std::string text(2000, 'r');
    for (auto _ : state) benchmark::DoNotOptimize(trade::seal_report_text(text, to, from));
}
BENCHMARK(BM_SealReport2000);

void BM_OpenReport2000(benchmark::State& state)
{
    auto to = core::hex_decode(*core::pubkey_from_privkey(ARCHITECT)).value();
    auto from = core::hex_decode(SENDER).value();
    auto key = core::hex_decode(ARCHITECT).value();
    std::string sealed = *trade::seal_report_text(std::string(2000, 'r'), to, from);
    for (auto _ : state) benchmark::DoNotOptimize(trade::open_report_text(sealed, key));
}
BENCHMARK(BM_OpenReport2000);

} // namespace
