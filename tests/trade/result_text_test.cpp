#include "trade/result_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using book::BookCode;
using book::BookError;
using trade::TradeCode;
using trade::TradeError;

// The words users read, byte for byte: the fixed sentences the routines' tests name by code, each
// sentence that carries what varies, and the failures of the layers below passed through.
TEST(TradeResultText, EachFailureReadsAsItAlwaysHas)
{
    const std::vector<std::pair<TradeError, std::string>> rows = {
        {TradeCode::NotConnected, "Pursa wallet not connected. Create or Restore in Pursa, then Connect in the app."},
        {TradeCode::SignFailed, "could not sign"}, {TradeCode::PostTooLarge, "This post is too large for the book. Use fewer coins."},
        {TradeCode::EmptyPayload, "empty Agoran payload."}, {TradeCode::PayDust, "pay amount is dust."},
        {TradeCode::SellerPayAddressBad, "seller payment address is not a 1\u2026 longcode."},
        {TradeCode::SellerOrdAddressBad, "seller ordinals address is not a 1\u2026 longcode."},
        {{TradeCode::ListingHasOnly, "9"}, "that listing only has 9 left."},
        {TradeCode::NoQuantity, "enter how many tokens to buy."},
        {TradeCode::LotOtherToken, "the listed lot holds another token than the listing names."},
        {TradeCode::PictureWhole, "pictures sell as the whole inscription."},
        {{TradeCode::LotLacksTokens, "3"}, "the listed lot does not hold 3 valid tokens of the listed token."},
        {{TradeCode::UnsoldNotReturned, "7"}, "the offer does not return the 7 unsold units to this wallet."},
        {trade::underpaid_error(999, 1000), "the offer pays 0.00000999 BSV, but the listing asks 0.00001000 BSV for that."},
        {TradeCode::NoSignedBytes, "that offer has no signed bytes."}, {TradeCode::OfferUnparsed, "could not parse the offer transaction."},
        {{TradeCode::TermsChanged, "price, quantity"},
         "the book shows other terms for this listing than this wallet published (price, quantity). Nothing was signed. "
         "Reload the book and try again."},
        {TradeCode::NotYourListing, "that listing is not yours."},
        {trade::bad_signature_error(1), "the buyer's signature on input 1 does not verify."},
        {TradeCode::PictureNotHeld, "the listed output does not hold the listed picture."},
        {TradeCode::NoRecord, "this wallet has no record of publishing that listing, so it signs nothing for it."},
        {TradeCode::RecordPartlySold,
         "that listing was published before this wallet kept records of its listings, and part of it has sold since. "
         "Cancel it and list the rest again."},
        {TradeCode::PickOpenOffer, "Pick one of your open offers."},
        {TradeCode::CoinsUnanswered,
         "WhatsOnChain could not say whether your offer's coins are still unspent, so the offer stays open. Try again in "
         "a minute."},
        {TradeCode::ReportNoHandle, "Connect Pursa and publish a paymail first."},
        {TradeCode::ReportTextBad, "Write a report (max 2000 characters)."}, {TradeCode::EmptyReportPayload, "empty report payload."},
        {TradeCode::ArchitectKeyMissing, "could not find the architect's key at the registry."},
        {TradeCode::ConnectFirst, "Connect a Pursa wallet first."},
        {{TradeCode::PublishName, "tavrin.example"}, "Publish a @tavrin.example name in Pursa first."},
        {TradeCode::PriceBad, "Enter a price in BSV (total for the qty)."}, {TradeCode::NoteBad, "Add a short note (1\u2013140 characters)."},
        {TradeCode::QtyAtLeastOne, "Qty must be at least 1."}, {TradeCode::QtyWhole, "Qty must be a whole number."},
        {TradeCode::QtyHeld, "Qty must be at least 1 and no more than you hold of this lot."},
        {TradeCode::QtyOverListing, "Qty is more than the listing."},
        {TradeCode::QtyPaysNothing, "That qty would pay 0 satoshis at this price. Take more lots."},
        {TradeCode::ListFrozen, "This identity is frozen. No list."}, {TradeCode::PickLot, "Pick a lot from this wallet."},
        {TradeCode::SelectLiveListing, "Select a live listing."}, {TradeCode::PickLiveListing, "Pick a live listing."},
        {TradeCode::OwnListing, "That is your listing. Cancel it if you want it down."},
        {trade::lot_gone_error(BookError(BookCode::OutputSpent)), "That lot is gone. It was moved or sold."},
        {TradeCode::BuyFrozen, "Frozen identity. No buy."},
        {trade::dated_ahead_error(1'738'332'300),
         "That listing is dated ahead of this computer's clock. You can offer on it from 2025-01-31 14:05 UTC."},
        {TradeCode::NotYourListingNoOffer, "That listing is not yours, and you have no open offer on it."},
        {TradeCode::ListingClosed, "That listing is already closed."},
        {TradeCode::OfferNotSigned, "That offer has no signed bytes. Ask the buyer to post again."},
        {TradeCode::BuyerCoinsGone, "The buyer spent those coins. Ask them to post a new offer."},
        {{TradeCode::Refused, "unknown move"}, "unknown move"}, {BookError(BookCode::IndexFailed), "OI agoran txids failed"},
        {BookError(BookCode::IndexNotTxids), "OI agoran returned no txids"}, {BookError(BookCode::LoadFailed), "could not load the book"},
        {BookError(BookCode::HistoryFailed), "could not load the history"}, {BookError(BookCode::CannotSign), "could not sign"},
        {BookError(BookCode::NoHandle), "Connect Pursa"},
        {BookError(BookCode::WalletSignFailed, "Pursa identity sign failed"), "Pursa identity sign failed"},
        {BookError(BookCode::SignatureUnverified, "tavrin.example"),
         "identity signature did not verify against tavrin.example PKI"},
        {BookError(BookCode::OutputInvalid), "Its output is not valid."},
        {BookError(BookCode::OutputUnknown), "The ordinals index does not know it."},
        {funding::FundingCode::NeedHdWallet, "need an HD Pursa wallet."},
        {wallet::WalletError(wallet::WalletCode::Denied), "connect denied in Pursa."},
        {wallet::WalletError(wallet::WalletCode::Locked), "This wallet is locked. Open it in Pursa."},
        {wallet::WalletError(wallet::WalletCode::NotApprovedInTime),
         "Pursa did not approve in time. Open Pursa.exe and try Connect again."},
        {wallet::WalletError(wallet::WalletCode::WalletChanged), "wallet changed."},
        {wallet::WalletError(wallet::WalletCode::IndexUnavailable),
         "1Sat index unavailable. 1-sat coins are held back from spend."},
    };
    for (const auto& [error, text] : rows) {
        EXPECT_EQ(trade::error_text(error), text) << static_cast<int>(error.code);
        EXPECT_EQ(trade::failure_text(error), "error: " + text);
    }
}

TEST(TradeResultText, WhatWasSentNamesItsTransaction)
{
    const std::string txid(64, 'a');
    const tx::Txid id = *tx::Txid::parse(txid);
    EXPECT_EQ(trade::result_text(trade::Sent{id, true, std::nullopt}), "success: " + txid);
    EXPECT_EQ(trade::result_text(trade::Sent{id, false, std::nullopt}),
              "success: " + txid + std::string(funding::SENT_UNCONFIRMED));
    const trade::Sent sold{id, true, TradeError(funding::FundingCode::NotTaken)};
    EXPECT_EQ(trade::follow_up_text(sold),
              "Book overlay: error: the network did not take that transaction. Nothing was sent.");
    EXPECT_EQ(trade::result_text(sold), "success: " + txid + "\n" + trade::follow_up_text(sold));
    EXPECT_EQ(trade::result_text(TradeError(TradeCode::PayDust)), "error: pay amount is dust.");
}

} // namespace
