// Why a routine of the funding layer did not do what it was asked: a code, and what varies from
// one failure to the next. error_text gives the words the user reads for it.
#pragma once

#include <memory>
#include <string>

#include "core/bytes.h"
#include "core/result.h"

namespace funding {

enum class FundingCode {
    // The bound wallet
    NoWallet,        // nothing bound, or bound but not loadable
    WalletLocked,    // bound, but locked in Pursa
    NeedHdWallet,    // bound, but not an HD wallet
    NoHdWallet,      // the coin lists found no HD wallet to refresh
    WalletChanged,   // another wallet (or none) is bound since the routine began
    // Change
    ChangeAddressBad,  // the wallet's own address does not decode
    ChangeOnHouse,     // every candidate address is one of the market's own
    // Choosing inputs
    NothingToPay,
    InvalidOutput,     // a negative or too large value, an empty script
    ForcedInputBad,    // a coin that must be spent is not a usable input
    BuildFailed,
    Insufficient,      // need and have say how much
    ShareCoins,        // a held-back coin would be needed; cause: the shortfall, when known
    // Paying
    SigningFailed,
    NoBalance,            // the wallet holds nothing; cause: the last failure, when any
    BalanceNotSpendable,  // a balance is known, but no coin of it could be gathered
    NoSpendableCoin,
    RetriesExhausted,     // every attempt's broadcast was refused
    MustSpendMissing,     // none of the coins the payment must spend could be gathered
    // Broadcasting
    SerializeFailed,
    BroadcastRefused,  // detail: the service's own answer
    NotTaken,          // no service took the transaction, none said why
    // Listing reserves
    AlreadyListed,
    ReserveWriteFailed,
    NoReserveForUtxo,
    NoReserveForListing,
    ReserveUpdateFailed,
    ReservesBusy,  // another program holds the reserve file's lock
};

struct FundingError {
    FundingCode code = FundingCode::NothingToPay;
    std::string detail;          // a service's own answer (BroadcastRefused)
    core::Amount need = 0;       // Insufficient: satoshis the outputs and the fee take
    core::Amount have = 0;       // Insufficient: satoshis of the inputs chosen
    std::shared_ptr<const FundingError> cause;  // the failure this one follows from, if any

    FundingError() = default;
    FundingError(FundingCode c, std::string d = {}) : code(c), detail(std::move(d)) {}
    FundingError(FundingCode c, const FundingError& why) : code(c), cause(std::make_shared<const FundingError>(why)) {}
};

template <typename T>
using FundingResult = core::Result<T, FundingError>;

// The sentence the user reads for the error, without the error prefix the programs put before it.
// Safe from any thread.
std::string error_text(const FundingError& error);

} // namespace funding
