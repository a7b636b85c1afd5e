#include "trade/offer_complete.h"

#include <algorithm>

#include "book/post.h"
#include "core/base58.h"
#include "core/hex.h"
#include "funding/broadcast.h"
#include "funding/chain_clients.h"
#include "funding/reserves.h"
#include "trade/chain_lookup.h"
#include "trade/dialog_checks.h"
#include "trade/listing_record.h"
#include "trade/market_session.h"
#include "trade/wallet_now.h"
#include "trade/result_text.h"
#include "tx/outpoint.h"
#include "tx/parse.h"
#include "tx/sign.h"
#include "tx/spendable_lock.h"
#include "tx/unlock_check.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_lock.h"
#include "wallet/wallet_state.h"

namespace trade {
namespace {

constexpr size_t MIN_OFFER_DIGITS = 80;
const TradeError NEED_HD{funding::FundingError(funding::FundingCode::NeedHdWallet)};

std::string offer_digits(std::string_view text)
{
    std::string digits;
    for (char c : text) {
        if (core::is_hex_digit(c)) digits.push_back(static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c));
    }
    return digits;
}

// The offer parsed, or why not.
struct ParsedOffer {
    std::optional<tx::Transaction> tx;
    TradeError error;
};

ParsedOffer read_offer(std::string_view text)
{
    std::string digits = offer_digits(text);
    if (digits.size() < MIN_OFFER_DIGITS || digits.size() % 2 != 0) return {std::nullopt, TradeCode::NoSignedBytes};
    auto raw = core::hex_decode(digits);
    auto parsed = raw ? tx::tx_parse(*raw) : std::nullopt;
    if (!parsed) return {std::nullopt, TradeCode::OfferUnparsed};
    return {std::move(parsed), {}};
}

struct LoadedPrevouts {
    std::vector<std::optional<Prevout>> prevouts;
    std::optional<TradeError> error;  // the first loader failure
};

LoadedPrevouts load_prevouts(MarketSession& session, const tx::Transaction& offer)
{
    LoadedPrevouts out;
    out.prevouts.resize(offer.inputs.size());
    for (size_t i = 0; i < offer.inputs.size(); ++i) {
        LoadedOutput loaded = load_output(session, offer.inputs[i].txid, offer.inputs[i].vout);
        out.prevouts[i] = std::move(loaded.prevout);
        if (!out.prevouts[i] && !out.error) out.error = TradeError(TradeCode::ChainLoad, loaded.error);
    }
    return out;
}

OfferCheck refused_check(TradeError error)
{
    OfferCheck check;
    check.error = std::move(error);
    return check;
}

// The first 1-satoshi output that carries a token amount and pays this wallet: what is left of
// a token lot after a partial sale.
void find_leftover(wallet::WalletSession& wallet, const tx::Transaction& done, const tx::Txid& txid, Completion& out)
{
    for (size_t n = 0; n < done.outputs.size(); ++n) {
        const auto& output = done.outputs[n];
        if (output.value != 1) continue;
        auto body = output_bsv20(output.script);
        auto lock = tx::find_spendable_lock(output.script);
        if (!body || body->amt.empty() || !lock || !wallet_owns_hash(wallet, lock->owner)) continue;
        out.leftover_outpoint = tx::Outpoint{txid, static_cast<uint32_t>(n)};
        out.leftover_units = body->amt;
        return;
    }
}

// This wallet's record of the listing the book names, when the book shows its terms.
struct RecordCheck {
    std::optional<funding::Reserve> reserve;
    TradeError error;
};

RecordCheck check_record(MarketSession& session, const book::Listing& listing)
{
    SellerRecord record = seller_record(session, listing.id);
    if (!record.reserve) return {std::nullopt, record.error};
    std::string changed = terms_the_book_changed(listing, *record.reserve);
    if (!changed.empty()) {
        return {std::nullopt, TradeError(TradeCode::TermsChanged, changed)};
    }
    return {std::move(record.reserve), {}};
}

// A picture is signed away only from the output that holds its inscription: the inscription's
// own output, or one the ordinals index names as holding that origin.
std::optional<TradeError> picture_holding(MarketSession& session, const funding::Reserve& reserve)
{
    const TradeError not_held(TradeCode::PictureNotHeld);
    if (book::listing_kind_of(reserve.record.kind) != book::ListingKind::Picture || tx::parse_outpoint(reserve.origin) == reserve.utxo) return {};
    wallet::WalletUnlock unlock(session.wallet());
    auto txo = funding::chain_clients(session.funding()).ordinals.txo(reserve.utxo.txid, reserve.utxo.vout);
    if (!txo) return TradeError(TradeCode::PictureUnconfirmed);
    if (reserve.origin.empty() || item_key(txo->origin) != item_key(reserve.origin))
        return not_held;
    return {};
}

OfferCheck judge(MarketSession& session, const tx::Transaction& offer, const LoadedPrevouts& loaded, const funding::Reserve& reserve)
{
    OfferCheck check = check_offer(offer, loaded.prevouts, record_terms(reserve), [&](const core::Hash160& hash) { return wallet_owns_hash(session.wallet(), hash); });
    if (!check.passes) return check;
    std::optional<TradeError> refusal = picture_holding(session, reserve);
    check.passes = !refusal;
    if (refusal) check.error = *refusal;
    return check;
}

// The record after a sale this wallet built: on the lot left over, with the units still for sale
// and their price; gone when the listing sold out. Units left over from a listing of part of a
// lot are the seller's to list again, not held for a sold listing.
void record_sale(wallet::WalletSession& wallet, const funding::Reserve& reserve, const OfferCheck& check, const Completion& done)
{
    const funding::ListingRecord& before = reserve.record;
    FillRemainder rest = fill_remainder(book::parse_decimal_u64(before.units_left).value_or(0),
                                        book::parse_decimal_u64(check.qty).value_or(0), before.price_left);
    if (rest.qty > 0 && done.leftover_outpoint && reserve.listing) {
        funding::ListingRecord after = before;
        after.lot_units = done.leftover_units;
        after.units_left = std::to_string(rest.qty);
        after.price_left = rest.price_sats.value_or(0);
        if (funding::reserve_rebind(wallet, *reserve.listing, *done.leftover_outpoint, after)) return;
    }
    if (reserve.listing) (void)funding::reserve_remove_listing(wallet, *reserve.listing);
}

} // namespace

std::optional<tx::Transaction> parse_offer_text(std::string_view offer_text)
{
    return read_offer(offer_text).tx;
}

OfferCheck evaluate_offer(MarketSession& session, std::string_view offer_text, const book::Listing& listing)
{
    ParsedOffer offer = read_offer(offer_text);
    if (!offer.tx) return refused_check(offer.error);
    RecordCheck record = check_record(session, listing);
    if (!record.reserve) return refused_check(record.error);
    return judge(session, *offer.tx, load_prevouts(session, *offer.tx), *record.reserve);
}

Completion complete_offer(MarketSession& session, std::string_view offer_text, const book::Listing& listing)
{
    Completion out;
    ParsedOffer offer = read_offer(offer_text);
    if (!offer.tx) {
        out.result = offer.error;
        return out;
    }
    tx::Transaction& t = *offer.tx;

    std::optional<core::Hash160> main_hash;
    std::string key;
    {
        wallet::WalletLock lock(session.wallet());
        if (!hd_wallet_bound(session.wallet())) {
            out.result = NEED_HD;
            return out;
        }
        main_hash = core::hash160_from_address(session.wallet().state().recv_address);
        if (!main_hash) {
            out.result = TradeError(TradeCode::MainAddressBad);
            return out;
        }
        if (core::ascii_lower(listing.pubkey) != wallet_identity_key(session.wallet())) {
            out.result = TradeError(TradeCode::NotYourListing);
            return out;
        }
        key = bound_wallet_key(session.wallet());
    }
    RecordCheck record = check_record(session, listing);
    if (!record.reserve) {
        out.result = record.error;
        return out;
    }
    out.terms = record_terms(*record.reserve);

    bool reserved_spent = false;
    bool buyer_spent = false;
    LoadedPrevouts loaded;
    for (const auto& in : t.inputs) {
        if (output_spent_state(session, in.txid, in.vout) != SpentState::Spent) continue;
        (in.script_sig.empty() ? reserved_spent : buyer_spent) = true;
    }
    if (!reserved_spent && !buyer_spent) loaded = load_prevouts(session, t);
    std::optional<TradeError> dead;
    if (reserved_spent && buyer_spent) dead = TradeError(TradeCode::SaleDone);
    else if (reserved_spent) dead = TradeError(TradeCode::ReservedLotSpent);
    else if (buyer_spent) dead = TradeError(TradeCode::BuyerSpent);
    else dead = loaded.error;
    if (dead) {
        out.result = *dead;
        return out;
    }

    out.check = judge(session, t, loaded, *record.reserve);
    if (!out.check.passes) {
        out.result = out.check.error;
        return out;
    }
    for (size_t i = 0; i < t.inputs.size(); ++i) {
        if (i == out.check.listing_input) continue;
        const Prevout& spent = *loaded.prevouts[i];
        if (tx::check_p2pkh_unlock(t.inputs, t.outputs, i, spent.script, spent.value) != tx::UnlockCheck::valid) {
            out.result = bad_signature_error(i);
            return out;
        }
    }

    const size_t li = out.check.listing_input;
    const Prevout& listed = *loaded.prevouts[li];
    auto owner = tx::find_spendable_lock(listed.script);
    tx::Txid txid;
    {
        wallet::WalletLock lock(session.wallet());
        if (!hd_wallet_bound(session.wallet())) {
            out.result = NEED_HD;
            return out;
        }
        if (bound_wallet_key(session.wallet()) != key) {
            out.result = TradeError(funding::FundingCode::WalletChanged);
            return out;
        }
        auto seller_key = owner ? wallet::key_for_address(session.wallet(), core::address_from_hash160(owner->owner)) : std::nullopt;
        if (!seller_key) {
            out.result = TradeError(TradeCode::SellerInputNotHeld);
            return out;
        }
        t.inputs[li].value = listed.value;
        t.inputs[li].prev_script = listed.script;
        t.inputs[li].pub_key_hash = owner->owner;
        if (!tx::tx_sign_input(li, t.inputs, t.outputs, owner->owner, seller_key->priv_hex.view(), seller_key->pub_hex)) {
            out.result = TradeError(TradeCode::SellerSignFailed);
            return out;
        }
        if (std::any_of(t.inputs.begin(), t.inputs.end(), [](const tx::TxInput& in) { return in.script_sig.empty(); })) {
            out.result = TradeError(TradeCode::SignatureMissing);
            return out;
        }
        auto sent = funding::broadcast_tx(session.funding(), t.inputs, t.outputs, main_hash, txid);
        if (!sent) {
            out.result = TradeError(sent.error());
            return out;
        }
        out.result = sent_of(*sent);
    }

    find_leftover(session.wallet(), t, txid, out);
    record_sale(session.wallet(), *record.reserve, out.check, out);
    return out;
}

bool offer_spends_listing(std::string_view offer_text, const tx::Outpoint& listing_outpoint)
{
    auto offer = parse_offer_text(offer_text);
    if (!offer) return false;
    return std::any_of(offer->inputs.begin(), offer->inputs.end(), [&](const tx::TxInput& in) {
        return in.script_sig.empty() && tx::Outpoint{in.txid, in.vout} == listing_outpoint;
    });
}

bool buyer_coins_spent(MarketSession& session, std::string_view offer_text)
{
    auto offer = parse_offer_text(offer_text);
    if (!offer) return false;
    return std::any_of(offer->inputs.begin(), offer->inputs.end(), [&](const tx::TxInput& in) {
        return !in.script_sig.empty() && output_spent_state(session, in.txid, in.vout) == SpentState::Spent;
    });
}

} // namespace trade
