#include "trade/offer_build.h"

#include <algorithm>
#include <optional>

#include "book/post.h"
#include "core/base58.h"
#include "core/hex.h"
#include "funding/chain_clients.h"
#include "funding/coin_state.h"
#include "funding/fund.h"
#include "funding/gather.h"
#include "funding/pay.h"
#include "funding/refresh.h"
#include "trade/chain_lookup.h"
#include "trade/decimal_text.h"
#include "trade/market_session.h"
#include "trade/offer_rules.h"
#include "trade/wallet_now.h"
#include "tx/bsv20.h"
#include "tx/inscription.h"
#include "tx/outpoint.h"
#include "tx/script.h"
#include "tx/serialize.h"
#include "tx/sign.h"
#include "tx/spendable_lock.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_state.h"

namespace trade {
namespace {

constexpr int FUNDING_ROUNDS = 3;
// The coin split off for the post when the wallet's coins are too few, and what the split
// itself may cost beyond it.
constexpr core::Amount SPLIT_COIN_SATS = 2000;
constexpr core::Amount SPLIT_MARGIN_SATS = 500;
// The least a coin left for the post may hold (the post carries the whole offer), and how many
// of the smallest such coins are tried.
constexpr core::Amount POST_COIN_SATS = 1000;
constexpr size_t POST_COIN_TRIES = 4;

const TradeError NEED_HD{funding::FundingError(funding::FundingCode::NeedHdWallet)};
const TradeError WALLET_CHANGED{funding::FundingError(funding::FundingCode::WalletChanged)};

std::string normalized_origin(std::string_view text)
{
    std::string out = core::ascii_lower(core::trim_ascii_space(text));
    std::replace(out.begin(), out.end(), ':', '_');
    return out;
}

// What the chain and the ordinals index say about the listing output.
struct ListedLot {
    SpentState spent = SpentState::Unknown;
    LoadedOutput output;
    std::optional<tx::Bsv20Body> body;
};

ListedLot look_up_listing(MarketSession& session, const tx::Outpoint& outpoint)
{
    ListedLot lot;
    lot.spent = output_spent_state(session, outpoint.txid, outpoint.vout);
    if (lot.spent == SpentState::Spent) return lot;
    lot.output = load_output(session, outpoint.txid, outpoint.vout);
    if (lot.output.prevout) lot.body = output_bsv20(lot.output.prevout->script);
    return lot;
}

// The ordinals index must confirm what the listing claims before the buyer pays for it: the
// picture's inscription in that very output, or valid tokens of that id, enough of them.
std::optional<TradeError> prove_listing(MarketSession& session, const tx::Outpoint& outpoint, const Prevout& listed, bool token_lot,
                                        const std::string& token_id, const std::string& quantity, const std::string& origin)
{
    wallet::WalletUnlock unlock(session.wallet());
    funding::ChainClients clients = funding::chain_clients(session.funding());
    if (!token_lot) {
        auto txo = clients.ordinals.txo(outpoint.txid, outpoint.vout);
        if (!txo) return TradeError(TradeCode::IndexUnknownLot);
        if (txo->spent()) return TradeError(TradeCode::LotMoved);
        if (origin.empty() || normalized_origin(txo->origin) != normalized_origin(origin))
            return TradeError(TradeCode::LotNotPicture);
        return {};
    }
    auto lock = tx::find_spendable_lock(listed.script);
    if (!lock) return TradeError(TradeCode::LotNotTokenTransfer);
    auto outputs = clients.ordinals.token_outputs(core::address_from_hash160(lock->owner), token_id);
    if (!outputs) return TradeError(TradeCode::IndexTokensUnknown);
    const std::string outpoint_text = tx::format_outpoint(outpoint);
    for (const auto& t : *outputs) {
        if (tx::format_outpoint(t.txid, t.vout) != outpoint_text) continue;
        if (t.status == 1 && normalized_origin(t.id) == normalized_origin(token_id) && !t.spend &&
            compare_decimal(normalize_decimal(t.amt), quantity) >= 0)
            return {};
    }
    return TradeError(TradeCode::LotLacksTokens, quantity);
}

// The names a transfer inscription carries besides the token id and amount, when the
// ordinals index knows them.
struct TokenNames {
    std::string name;
    std::string icon;
    std::string sym;
    std::string dec;
};

TokenNames token_names(MarketSession& session, const std::string& token_id)
{
    TokenNames names;
    wallet::WalletUnlock unlock(session.wallet());
    auto info = funding::chain_clients(session.funding()).ordinals.token(token_id);
    if (!info) return names;
    names.name = info->name;
    names.icon = info->icon;
    names.sym = info->sym;
    if (info->dec) names.dec = std::to_string(*info->dec);
    return names;
}

tx::TxOutput transfer_output(const core::Hash160& owner, const std::string& token_id, const std::string& amount,
                             const TokenNames& names)
{
    std::string body = tx::bsv20_transfer_json(token_id, amount, names.name, names.icon, names.sym, names.dec);
    return {1, tx::inscription_script(owner, tx::BSV20_CONTENT_TYPE, core::as_bytes(body))};
}

// Funds the offer so that a coin of at least POST_COIN_SATS is left for the post that carries
// it: the smallest such coins are tried, each kept out in turn. Not ok when none can be.
funding::Funded fund_leaving_a_post_coin(const tx::TxInput& listing_input, const std::vector<tx::TxInput>& coins,
                                         const std::vector<tx::TxOutput>& outputs, const core::Hash160& change)
{
    std::vector<size_t> order(coins.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return coins[a].value < coins[b].value; });
    funding::Funded funded;
    size_t tried = 0;
    for (size_t kept : order) {
        if (coins[kept].value < POST_COIN_SATS) continue;
        if (tried++ == POST_COIN_TRIES) break;
        std::vector<tx::TxInput> candidates{listing_input};
        for (size_t i = 0; i < coins.size(); ++i) {
            if (i != kept) candidates.push_back(coins[i]);
        }
        funded = funding::fund_transaction(candidates, outputs, change, 1);
        if (funded.ok) return funded;
    }
    funded.ok = false;
    return funded;
}

} // namespace

TradeResult<std::string> build_offer(MarketSession& session, const OfferRequest& request)
{
    // The wallet lock is held for wallet work only, never across the chain queries.
    if (!hd_wallet_bound(session.wallet())) return NEED_HD;
    if (request.price < 1) return TradeError(TradeCode::PayDust);

    auto seller_pay = core::hash160_from_address(request.seller_pay_addr);
    if (!seller_pay) return TradeError(TradeCode::SellerPayAddressBad);
    std::optional<core::Hash160> main_hash;
    wallet::OrdinalsAddress buyer_ord;
    {
        wallet::WalletLock lock(session.wallet());
        main_hash = core::hash160_from_address(session.wallet().state().recv_address);
        if (!main_hash) return TradeError(TradeCode::MainAddressBad);
        buyer_ord = wallet::ordinals_address(session.wallet());
    }
    if (!buyer_ord.hash) return TradeError(TradeCode::BuyerOrdinals, buyer_ord.error);
    auto seller_ord = core::hash160_from_address(request.seller_ord_addr);
    if (!seller_ord) return TradeError(TradeCode::SellerOrdAddressBad);

    const tx::Outpoint& outpoint = request.listing_utxo;
    const std::string key = bound_wallet_key(session.wallet());

    ListedLot lot = look_up_listing(session, outpoint);
    if (lot.spent == SpentState::Spent) return TradeError(TradeCode::LotMoved);
    if (!lot.output.prevout) return TradeError(TradeCode::ChainLoad, lot.output.error);
    const Prevout& listed = *lot.output.prevout;

    const bool token_lot = lot.body && !lot.body->amt.empty() && request.listing_kind != book::ListingKind::Picture;
    if (request.listing_kind == book::ListingKind::Token && !token_lot) return TradeError(TradeCode::LotNotTokenTransfer);
    if (!hd_wallet_bound(session.wallet())) return NEED_HD;
    if (bound_wallet_key(session.wallet()) != key) return WALLET_CHANGED;

    std::vector<tx::TxOutput> outputs;
    std::string token_id;
    std::string quantity;
    if (token_lot) {
        // A deploy+mint output names no id: it is its own token, whatever the listing claims.
        token_id = lot.body->id;
        if (token_id.empty()) token_id = lot.body->op == "deploy+mint" ? tx::format_outpoint(outpoint) : request.listing_origin;
        quantity = normalize_decimal(request.quantity);
        std::string held = normalize_decimal(lot.body->amt);
        if (quantity.empty() || quantity == "0") return TradeError(TradeCode::NoQuantity);
        if (compare_decimal(quantity, held) > 0) return TradeError(TradeCode::ListingHasOnly, held);
        if (!request.listing_origin.empty() && normalized_origin(request.listing_origin) != normalized_origin(token_id))
            return TradeError(TradeCode::LotOtherToken);
        std::string left = subtract_decimal(held, quantity);
        TokenNames names = token_names(session, token_id);
        outputs.push_back({request.price, tx::p2pkh_script(*seller_pay)});
        outputs.push_back(transfer_output(*buyer_ord.hash, token_id, quantity, names));
        if (left != "0") outputs.push_back(transfer_output(*seller_ord, token_id, left, names));
    } else {
        const std::string& q = request.quantity;
        if (!(q.empty() || q == "1" || q == "all" || q == "ALL")) return TradeError(TradeCode::PictureWhole);
        quantity = "1";
        outputs.push_back({1, tx::p2pkh_script(*buyer_ord.hash)});
        outputs.push_back({request.price, tx::p2pkh_script(*seller_pay)});
    }

    if (auto refusal = prove_listing(session, outpoint, listed, token_lot, token_id, quantity, request.listing_origin))
        return *refusal;
    wallet::WalletLock lock(session.wallet());
    if (!hd_wallet_bound(session.wallet())) return NEED_HD;
    if (bound_wallet_key(session.wallet()) != key) return WALLET_CHANGED;

    tx::TxInput listing_input;
    listing_input.txid = outpoint.txid;
    listing_input.vout = outpoint.vout;
    listing_input.value = listed.value;
    listing_input.prev_script = listed.script;
    if (auto owner = tx::find_spendable_lock(listed.script)) listing_input.pub_key_hash = owner->owner;

    funding::Funded funded;
    bool split = false;
    for (int round = 0; round < FUNDING_ROUNDS; ++round) {
        const bool last_round = round == FUNDING_ROUNDS - 1;
        if (auto refreshed = funding::refresh_coins(session.funding()); !refreshed) return TradeError(refreshed.error());
        funding::Gathered coins = funding::gather_coins(session.funding(), {});
        if (!coins.any()) return TradeError(TradeCode::NeedBsv);
        funded = fund_leaving_a_post_coin(listing_input, coins.coins, outputs, *main_hash);
        if (funded.ok) break;
        std::vector<tx::TxInput> candidates{listing_input};
        candidates.insert(candidates.end(), coins.coins.begin(), coins.coins.end());
        funding::Funded all = funding::fund_transaction(candidates, outputs, *main_hash, 1);
        if (all.ok && !split && coins.total >= all.fee + request.price + SPLIT_COIN_SATS + SPLIT_MARGIN_SATS) {
            // Enough money, but in too few coins to leave one for the post: split a small coin
            // off once, then fund the offer from the rest.
            split = true;
            auto paid = funding::pay_outputs(session.funding(), {{SPLIT_COIN_SATS, tx::p2pkh_script(*main_hash)}});
            if (!paid) return TradeError(paid.error());
            if (!hd_wallet_bound(session.wallet())) return NEED_HD;
            if (bound_wallet_key(session.wallet()) != key) return WALLET_CHANGED;
            continue;
        }
        if (all.ok) return TradeError(funding::FundingCode::ShareCoins);
        if (last_round) return TradeError(all.error);
        funding::mark_lists_stale(session.funding());
    }
    if (!funded.ok) return TradeError(funded.error);

    if (funded.inputs.empty() || funded.inputs[0].txid != outpoint.txid || funded.inputs[0].vout != outpoint.vout)
        return TradeError(TradeCode::OfferLeavesLot);
    for (size_t i = 0; i < funded.inputs.size(); ++i) {
        const tx::TxInput& in = funded.inputs[i];
        if (in.priv_key_hex.empty()) continue;
        if (!tx::tx_sign_input(i, funded.inputs, funded.outputs, in.pub_key_hash, in.priv_key_hex.view(), in.pub_key_hex))
            return TradeError(TradeCode::BuyerSignFailed);
    }
    if (!funded.inputs[0].script_sig.empty()) return TradeError(TradeCode::SellerInputSigned);
    core::Bytes raw = tx::tx_serialize(funded.inputs, funded.outputs);
    if (raw.empty()) return TradeError(funding::FundingCode::SerializeFailed);
    return core::hex_encode(raw);
}

} // namespace trade
