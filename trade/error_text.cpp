#include "core/amount.h"
#include "core/market_clock.h"
#include "trade/error.h"

namespace trade {

namespace {

// The words of a code whose sentence never varies; nullptr for the others.
const char* fixed_text(TradeCode code)
{
    switch (code) {
    case TradeCode::SignFailed: return "could not sign";
    case TradeCode::ConnectFirst: return "Connect a Pursa wallet first.";
    case TradeCode::PriceBad: return "Enter a price in BSV (total for the qty).";
    case TradeCode::NoteBad: return "Add a short note (1\u2013140 characters).";
    case TradeCode::QtyAtLeastOne: return "Qty must be at least 1.";
    case TradeCode::QtyWhole: return "Qty must be a whole number.";
    case TradeCode::QtyHeld: return "Qty must be at least 1 and no more than you hold of this lot.";
    case TradeCode::QtyOverListing: return "Qty is more than the listing.";
    case TradeCode::QtyPaysNothing: return "That qty would pay 0 satoshis at this price. Take more lots.";
    case TradeCode::ListFrozen: return "This identity is frozen. No list.";
    case TradeCode::PickLot: return "Pick a lot from this wallet.";
    case TradeCode::SelectLiveListing: return "Select a live listing.";
    case TradeCode::PickLiveListing: return "Pick a live listing.";
    case TradeCode::OwnListing: return "That is your listing. Cancel it if you want it down.";
    case TradeCode::BuyFrozen: return "Frozen identity. No buy.";
    case TradeCode::NotYourListingNoOffer: return "That listing is not yours, and you have no open offer on it.";
    case TradeCode::ListingClosed: return "That listing is already closed.";
    case TradeCode::OfferNotSigned: return "That offer has no signed bytes. Ask the buyer to post again.";
    case TradeCode::BuyerCoinsGone: return "The buyer spent those coins. Ask them to post a new offer.";
    case TradeCode::NotConnected: return "Pursa wallet not connected. Create or Restore in Pursa, then Connect in the app.";
    case TradeCode::PostTooLarge: return "This post is too large for the book. Use fewer coins.";
    case TradeCode::EmptyPayload: return "empty Agoran payload.";
    case TradeCode::OracleAddressBad: return "Agoran oracle decode failed.";
    case TradeCode::HouseAddressBad: return "Agoran house address decode failed.";
    case TradeCode::PayDust: return "pay amount is dust.";
    case TradeCode::SellerPayAddressBad: return "seller payment address is not a 1\u2026 longcode.";
    case TradeCode::MainAddressBad: return "messenger address decode failed.";
    case TradeCode::SellerOrdAddressBad: return "seller ordinals address is not a 1\u2026 longcode.";
    case TradeCode::LotMoved: return "the listed lot was already moved or sold.";
    case TradeCode::LotNotTokenTransfer: return "the listed lot is not a BSV-21 token transfer.";
    case TradeCode::NoQuantity: return "enter how many tokens to buy.";
    case TradeCode::LotOtherToken: return "the listed lot holds another token than the listing names.";
    case TradeCode::PictureWhole: return "pictures sell as the whole inscription.";
    case TradeCode::IndexUnknownLot: return "the ordinals index does not know the listed lot yet. Wait a few seconds.";
    case TradeCode::LotNotPicture: return "the listed lot does not hold the listed picture.";
    case TradeCode::IndexTokensUnknown: return "the ordinals index could not confirm the listed tokens yet. Wait a few seconds.";
    case TradeCode::NeedBsv: return "need BSV for the price and miner fee.";
    case TradeCode::OfferLeavesLot: return "the offer leaves out the seller's lot.";
    case TradeCode::BuyerSignFailed: return "could not sign the buyer inputs.";
    case TradeCode::SellerInputSigned: return "seller input must stay unsigned.";
    case TradeCode::ForeignTransfer: return "the offer carries a token transfer this sale does not make.";
    case TradeCode::NoTokensHeld: return "the listed output holds no tokens.";
    case TradeCode::HeldOtherToken: return "the listed output holds another token than the listing.";
    case TradeCode::UnitsNotListed: return "the listed output does not hold the units this wallet listed.";
    case TradeCode::OneBuyerOutput: return "the offer must send the bought tokens to exactly one buyer output.";
    case TradeCode::TakesMoreThanHeld: return "the offer takes more tokens than the listed output holds.";
    case TradeCode::TakesMoreThanListed: return "the offer takes more than the listing offers.";
    case TradeCode::InputsNotLoaded: return "could not load the offer's inputs from the chain yet. Wait a few seconds.";
    case TradeCode::PictureStaysHere: return "the offer would leave the picture with this wallet.";
    case TradeCode::PictureNotToBuyer: return "the offer does not put the picture in a 1-satoshi output of the buyer.";
    case TradeCode::PictureBurned: return "the offer would burn the picture as fee.";
    case TradeCode::PayAddressBad: return "the listing's payment address is not valid.";
    case TradeCode::NothingLeft: return "this listing has nothing left to sell.";
    case TradeCode::NotListingInput: return "that offer does not spend the reserved lot of the listing.";
    case TradeCode::NothingToSign: return "nothing left for this wallet to sign.";
    case TradeCode::SignsMoreThanLot: return "the offer asks this wallet to sign more than the listed lot.";
    case TradeCode::ListedNotLoaded: return "could not load the listed output from the chain yet. Wait a few seconds.";
    case TradeCode::NotPictureOutput: return "the listed output is not the 1-satoshi output of a picture.";
    case TradeCode::TooFewLots: return "the offer takes too few lots to cost anything at the listed price.";
    case TradeCode::NoSignedBytes: return "that offer has no signed bytes.";
    case TradeCode::OfferUnparsed: return "could not parse the offer transaction.";
    case TradeCode::PictureNotHeld: return "the listed output does not hold the listed picture.";
    case TradeCode::PictureUnconfirmed: return "the ordinals index could not confirm the listed picture yet. Wait a few seconds.";
    case TradeCode::NotYourListing: return "that listing is not yours.";
    case TradeCode::SaleDone: return "this sale already went through.";
    case TradeCode::ReservedLotSpent: return "the reserved lot was already spent. This offer is dead.";
    case TradeCode::BuyerSpent: return "the buyer spent those coins. Ask them to post a new offer.";
    case TradeCode::SellerInputNotHeld: return "this wallet does not hold the unsigned seller input.";
    case TradeCode::SellerSignFailed: return "could not sign the seller input.";
    case TradeCode::SignatureMissing: return "offer is still missing a signature.";
    case TradeCode::NoRecord: return "this wallet has no record of publishing that listing, so it signs nothing for it.";
    case TradeCode::RecordPartlySold:
        return "that listing was published before this wallet kept records of its listings, and part of it has "
               "sold since. Cancel it and list the rest again.";
    case TradeCode::ListingTxNotLoaded: return "could not load that listing's transaction from the chain yet. Wait a few seconds.";
    case TradeCode::PickOpenOffer: return "Pick one of your open offers.";
    case TradeCode::CoinsUnanswered:
        return "WhatsOnChain could not say whether your offer's coins are still unspent, so the offer stays open. "
               "Try again in a minute.";
    case TradeCode::ReportNoHandle: return "Connect Pursa and publish a paymail first.";
    case TradeCode::ReportTextBad: return "Write a report (max 2000 characters).";
    case TradeCode::MessageKeysMissing: return "could not load Pursa encryption keys.";
    case TradeCode::ArchitectKeyMissing: return "could not find the architect's key at the registry.";
    case TradeCode::EncryptFailed: return "Could not encrypt.";
    case TradeCode::EmptyReportPayload: return "empty report payload.";
    case TradeCode::ReportFeeAddressBad: return "report fee address decode failed.";
    case TradeCode::ReportOracleBad: return "report oracle decode failed.";
    default: return nullptr;
    }
}

} // namespace

TradeError underpaid_error(uint64_t paid_sats, uint64_t due_sats)
{
    TradeError error(TradeCode::Underpaid);
    error.paid_sats = paid_sats;
    error.due_sats = due_sats;
    return error;
}

TradeError bad_signature_error(size_t input)
{
    TradeError error(TradeCode::BuyerSignatureBad);
    error.input = input;
    return error;
}

TradeError lot_gone_error(book::BookError why)
{
    TradeError error(TradeCode::LotGone);
    error.book = std::move(why);
    return error;
}

TradeError dated_ahead_error(int64_t from)
{
    TradeError error(TradeCode::ListingDatedAhead);
    error.at = from;
    return error;
}

std::string error_text(const TradeError& error)
{
    if (const char* fixed = fixed_text(error.code)) return fixed;
    switch (error.code) {
    case TradeCode::Funding: return error.funding ? funding::error_text(*error.funding) : "funding failed.";
    case TradeCode::Wallet: return error.wallet ? wallet::error_text(*error.wallet) : "wallet failed.";
    case TradeCode::Book: return error.book ? book::error_text(*error.book) : "could not load the book.";
    case TradeCode::PublishName: return "Publish a @" + error.detail + " name in Pursa first.";
    case TradeCode::LotGone: return "That lot is gone. " + (error.book ? book::error_text(*error.book) : std::string());
    case TradeCode::ListingDatedAhead:
        return "That listing is dated ahead of this computer's clock. You can offer on it from " + core::utc_minute_text(error.at) +
               " UTC.";
    case TradeCode::ListingHasOnly: return "that listing only has " + error.detail + " left.";
    case TradeCode::LotLacksTokens: return "the listed lot does not hold " + error.detail + " valid tokens of the listed token.";
    case TradeCode::UnsoldNotReturned: return "the offer does not return the " + error.detail + " unsold units to this wallet.";
    case TradeCode::Underpaid:
        return "the offer pays " + core::format_bsv_sats(error.paid_sats) + " BSV, but the listing asks " +
               core::format_bsv_sats(error.due_sats) + " BSV for that.";
    case TradeCode::TermsChanged:
        return "the book shows other terms for this listing than this wallet published (" + error.detail +
               "). Nothing was signed. Reload the book and try again.";
    case TradeCode::BuyerSignatureBad:
        return "the buyer's signature on input " + std::to_string(error.input) + " does not verify.";
    default: return error.detail.empty() ? "something went wrong." : error.detail;
    }
}

} // namespace trade
