#include "trade/offer_rules.h"

#include "book/post.h"
#include "core/amount.h"
#include "core/base58.h"
#include "trade/dialog_checks.h"
#include "tx/outpoint.h"
#include "tx/script.h"
#include "tx/spendable_lock.h"

namespace trade {
namespace {

std::string normalized_outpoint(std::string_view text)
{
    auto parsed = tx::parse_outpoint(text);
    return parsed ? tx::format_outpoint(*parsed) : std::string();
}

} // namespace

std::string item_key(std::string_view text)
{
    std::string outpoint = normalized_outpoint(text);
    return outpoint.empty() ? core::ascii_lower(text) : outpoint;
}

namespace {

OfferCheck refuse(OfferCheck check, TradeError error)
{
    check.passes = false;
    check.error = std::move(error);
    return check;
}

// The token rules. Fills qty and units_left; returns the refusal, if any.
std::optional<TradeError> check_tokens(const tx::Transaction& offer, const Prevout& listed, const ListingTerms& terms, uint64_t total,
                                       const OwnsHash& is_mine, OfferCheck& check)
{
    auto body = output_bsv20(listed.script);
    // A deploy+mint output is its own token: its id is its outpoint.
    std::string token_id = body ? item_key(body->id) : std::string();
    if (body && token_id.empty() && body->op == "deploy+mint") token_id = tx::format_outpoint(terms.utxo);
    auto held = token_id.empty() ? std::nullopt : book::parse_decimal_u64(body->amt);
    if (!held || *held == 0) return TradeError(TradeCode::NoTokensHeld);
    if (!terms.origin.empty() && item_key(terms.origin) != token_id)
        return TradeError(TradeCode::HeldOtherToken);
    if (!terms.lot_units.empty() && book::parse_decimal_u64(terms.lot_units) != held)
        return TradeError(TradeCode::UnitsNotListed);

    std::vector<uint64_t> to_buyer;
    std::vector<uint64_t> to_seller;
    for (const auto& output : offer.outputs) {
        auto moved = output_bsv20(output.script);
        if (!moved || !moved->is_token()) continue;
        auto amount = book::parse_decimal_u64(moved->amt);
        auto lock = tx::find_spendable_lock(output.script);
        if (item_key(moved->id) != token_id || moved->op != "transfer" || !amount ||
            *amount == 0 || !lock)
            return TradeError(TradeCode::ForeignTransfer);
        (is_mine(lock->owner) ? to_seller : to_buyer).push_back(*amount);
    }
    if (to_buyer.size() != 1) return TradeError(TradeCode::OneBuyerOutput);
    uint64_t q = to_buyer.front();
    check.qty = std::to_string(q);
    if (q > *held) return TradeError(TradeCode::TakesMoreThanHeld);
    if (q > total) return TradeError(TradeCode::TakesMoreThanListed);
    uint64_t left = *held - q;
    check.units_left = std::to_string(left);
    if (left == 0 && !to_seller.empty()) return TradeError(TradeCode::ForeignTransfer);
    if (left > 0 && (to_seller.size() != 1 || to_seller.front() != left))
        return TradeError(TradeCode::UnsoldNotReturned, std::to_string(left));
    return {};
}

// The picture rule: the listing output's first satoshi, assigned first in first out, must land
// in a 1-satoshi output that pays someone else.
std::optional<TradeError> check_picture(const tx::Transaction& offer, const std::vector<std::optional<Prevout>>& prevouts,
                                        size_t listing_input, const OwnsHash& is_mine)
{
    core::Amount position = 0;
    for (size_t i = 0; i < listing_input; ++i) {
        if (!prevouts[i]) return TradeError(TradeCode::InputsNotLoaded);
        position += prevouts[i]->value;
    }
    core::Amount start = 0;
    for (const auto& output : offer.outputs) {
        if (position < start + output.value) {
            auto lock = tx::find_spendable_lock(output.script);
            if (lock && is_mine(lock->owner)) return TradeError(TradeCode::PictureStaysHere);
            if (output.value != 1 || !lock)
                return TradeError(TradeCode::PictureNotToBuyer);
            return {};
        }
        start += output.value;
    }
    return TradeError(TradeCode::PictureBurned);
}

} // namespace

std::optional<tx::Envelope> output_envelope(core::ByteView script)
{
    auto lock = tx::find_spendable_lock(script);
    if (!lock) return std::nullopt;
    switch (lock->form) {
    case tx::LockForm::plain:
        return std::nullopt;
    case tx::LockForm::lock_then_envelope:
        return tx::parse_envelope(script, tx::P2PKH_SCRIPT_SIZE);
    case tx::LockForm::envelope_then_lock:
        return tx::parse_envelope(script, 0);
    }
    return std::nullopt;
}

std::optional<tx::Bsv20Body> output_bsv20(core::ByteView script)
{
    auto envelope = output_envelope(script);
    if (!envelope || envelope->content_type != tx::BSV20_CONTENT_TYPE) return std::nullopt;
    return tx::parse_bsv20(std::string_view(reinterpret_cast<const char*>(envelope->body.data()), envelope->body.size()));
}

OfferCheck check_offer(const tx::Transaction& offer, const std::vector<std::optional<Prevout>>& prevouts,
                       const ListingTerms& terms, const OwnsHash& is_mine)
{
    OfferCheck check;
    check.units_left = "0";
    auto pay_hash = core::hash160_from_address(terms.pay_addr);
    if (!pay_hash) return refuse(check, TradeCode::PayAddressBad);
    auto total = book::parse_decimal_u64(terms.qty);
    if (!total || *total == 0) return refuse(check, TradeCode::NothingLeft);

    std::optional<size_t> listing_input;
    for (size_t i = 0; i < offer.inputs.size(); ++i) {
        if (tx::Outpoint{offer.inputs[i].txid, offer.inputs[i].vout} == terms.utxo) listing_input = i;
    }
    if (!listing_input) return refuse(check, TradeCode::NotListingInput);
    check.listing_input = *listing_input;
    if (!offer.inputs[*listing_input].script_sig.empty())
        return refuse(check, TradeCode::NothingToSign);
    for (size_t i = 0; i < offer.inputs.size(); ++i) {
        if (i != *listing_input && offer.inputs[i].script_sig.empty())
            return refuse(check, TradeCode::SignsMoreThanLot);
    }
    if (prevouts.size() != offer.inputs.size() || !prevouts[*listing_input])
        return refuse(check, TradeCode::ListedNotLoaded);

    std::optional<TradeError> item_error;
    if (terms.kind == book::ListingKind::Picture) {
        check.qty = "1";
        item_error = prevouts[*listing_input]->value != 1 ? TradeError(TradeCode::NotPictureOutput)
                                                          : check_picture(offer, prevouts, *listing_input, is_mine);
    } else {
        item_error = check_tokens(offer, *prevouts[*listing_input], terms, *total, is_mine, check);
    }
    if (item_error) return refuse(check, *item_error);

    uint64_t taken = book::parse_decimal_u64(check.qty).value_or(0);
    const bool whole = terms.kind == book::ListingKind::Picture || taken == *total;
    check.due_sats = whole ? terms.price_sats : pro_rata(taken, terms.price_sats, *total);
    // Lots worth less than a satoshi at the listed price would go for nothing.
    if (check.due_sats == 0) return refuse(check, TradeCode::TooFewLots);
    const core::Bytes pay_script = tx::p2pkh_script(*pay_hash);
    for (const auto& output : offer.outputs) {
        if (output.script == pay_script && output.value > 0) check.paid_sats += static_cast<uint64_t>(output.value);
    }
    if (check.paid_sats < check.due_sats) {
        return refuse(check, underpaid_error(check.paid_sats, check.due_sats));
    }
    check.passes = true;
    return check;
}

} // namespace trade
