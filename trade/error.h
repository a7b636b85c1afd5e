// Why a trade routine did not do what it was asked: a code, and what varies from one failure to
// the next; a failure of the book, funding or wallet layer travels inside, unchanged. error_text gives
// the words the user reads for it; trade/result_text.h puts them in the programs' result texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "book/error.h"
#include "core/result.h"
#include "funding/error.h"
#include "tx/txid.h"
#include "wallet/error.h"

namespace trade {

enum class TradeCode {
    Funding,  // funding: the funding layer's failure
    Wallet,   // wallet: the wallet layer's failure
    Book,     // book: the book layer's failure (a load, a post's signature)
    Refused,  // detail: why a program refused, in its own words (nothing in trade/ makes one)
    Stopped,  // detail: what went wrong where nothing else says (a stray exception's text)
    // Every trade dialog's first checks
    ConnectFirst,
    PublishName,  // detail: the registry's paymail domain
    // What the user typed in a dialog
    PriceBad,
    NoteBad,
    QtyAtLeastOne,
    QtyWhole,
    QtyHeld,
    QtyOverListing,
    QtyPaysNothing,
    // Listing a lot
    ListFrozen,
    PickLot,
    // Offering on a listing
    SelectLiveListing,  // nothing live selected when the dialog opens
    PickLiveListing,    // the listing is gone or closed when the offer is posted
    OwnListing,
    LotGone,  // book: why the listed output is not there
    BuyFrozen,
    ListingDatedAhead,  // at: the first moment an offer on it may be posted
    // Cancelling a listing
    NotYourListingNoOffer,
    ListingClosed,
    // The Complete button's checks
    OfferNotSigned,
    BuyerCoinsGone,
    // Posting
    NotConnected,
    SignFailed,  // the post to sign is not a JSON object
    PostTooLarge,
    EmptyPayload,
    OracleAddressBad,
    HouseAddressBad,
    // Building an offer
    PayDust,
    SellerPayAddressBad,
    MainAddressBad,
    BuyerOrdinals,  // detail: the wallet's sentence for its ordinals address
    SellerOrdAddressBad,
    LotMoved,
    ChainLoad,  // detail: the chain lookup's sentence
    LotNotTokenTransfer,
    NoQuantity,
    ListingHasOnly,  // detail: the units the listed lot holds
    LotOtherToken,
    PictureWhole,
    IndexUnknownLot,
    LotNotPicture,
    IndexTokensUnknown,
    LotLacksTokens,  // detail: the units bought
    NeedBsv,
    OfferLeavesLot,
    BuyerSignFailed,
    SellerInputSigned,
    // The seller's check of an offer
    ForeignTransfer,
    NoTokensHeld,
    HeldOtherToken,
    UnitsNotListed,
    OneBuyerOutput,
    TakesMoreThanHeld,
    TakesMoreThanListed,
    UnsoldNotReturned,  // detail: the units that must come back
    InputsNotLoaded,
    PictureStaysHere,
    PictureNotToBuyer,
    PictureBurned,
    PayAddressBad,
    NothingLeft,
    NotListingInput,
    NothingToSign,
    SignsMoreThanLot,
    ListedNotLoaded,
    NotPictureOutput,
    TooFewLots,
    Underpaid,  // paid_sats, due_sats
    // Completing an offer
    NoSignedBytes,
    OfferUnparsed,
    TermsChanged,  // detail: the terms the book shows otherwise ("price, quantity")
    PictureNotHeld,
    PictureUnconfirmed,
    NotYourListing,
    SaleDone,
    ReservedLotSpent,
    BuyerSpent,
    BuyerSignatureBad,  // input: the input whose signature fails
    SellerInputNotHeld,
    SellerSignFailed,
    SignatureMissing,
    // The seller's record of a listing
    NoRecord,
    RecordPartlySold,
    ListingTxNotLoaded,
    // Withdrawing an offer
    PickOpenOffer,
    CoinsUnanswered,
    // Reports
    ReportNoHandle,
    ReportTextBad,
    MessageKeysMissing,
    ArchitectKeyMissing,
    EncryptFailed,
    EmptyReportPayload,
    ReportFeeAddressBad,
    ReportOracleBad,
};

struct TradeError {
    TradeCode code = TradeCode::Stopped;
    std::string detail;  // see the code
    uint64_t paid_sats = 0;  // Underpaid
    uint64_t due_sats = 0;   // Underpaid
    size_t input = 0;        // BuyerSignatureBad
    int64_t at = 0;          // ListingDatedAhead (unix seconds)
    std::optional<funding::FundingError> funding;  // Funding
    std::optional<wallet::WalletError> wallet;     // Wallet
    std::optional<book::BookError> book;           // Book, LotGone

    TradeError() = default;
    TradeError(TradeCode c, std::string d = {}) : code(c), detail(std::move(d)) {}
    TradeError(funding::FundingError e) : code(TradeCode::Funding), funding(std::move(e)) {}
    TradeError(funding::FundingCode c) : TradeError(funding::FundingError(c)) {}
    TradeError(wallet::WalletError e) : code(TradeCode::Wallet), wallet(std::move(e)) {}
    TradeError(book::BookError e) : code(TradeCode::Book), book(std::move(e)) {}

    // Whether this is the funding (book) layer's failure with that code.
    [[nodiscard]] bool is(funding::FundingCode c) const { return funding && funding->code == c; }
    [[nodiscard]] bool is(book::BookCode c) const { return book && book->code == c; }
};

// Underpaid: an offer that pays paid_sats where due_sats are due.
TradeError underpaid_error(uint64_t paid_sats, uint64_t due_sats);
// BuyerSignatureBad: the buyer's signature on that input does not verify.
TradeError bad_signature_error(size_t input);
// LotGone: the listed output is not there, for the book's reason.
TradeError lot_gone_error(book::BookError why);
// ListingDatedAhead: an offer on the listing may be posted from that moment.
TradeError dated_ahead_error(int64_t from);

template <typename T>
using TradeResult = core::Result<T, TradeError>;

// What a routine that sends a transaction hands back.
struct Sent {
    tx::Txid txid;
    bool confirmed = true;   // WhatsOnChain shows it; else a service took it and it does not yet
    // A completion only: the sale went through, but its "ag_fill" post did not.
    std::optional<TradeError> fill_failed;
};

// The sentence the user reads for the error, without the error prefix the programs put before it.
// Safe from any thread.
std::string error_text(const TradeError& error);

} // namespace trade
