#include "funding/error.h"

namespace funding {

namespace {

const char* fixed_text(FundingCode code)
{
    switch (code) {
    case FundingCode::NoWallet: return "no TavrinNode Pursa wallet. Use pursa create first.";
    case FundingCode::WalletLocked: return "This wallet is locked. Open it in Pursa.";
    case FundingCode::NeedHdWallet: return "need an HD Pursa wallet.";
    case FundingCode::NoHdWallet: return "no wallet";
    case FundingCode::WalletChanged: return "wallet changed.";
    case FundingCode::ChangeAddressBad: return "pursa address decode failed.";
    case FundingCode::ChangeOnHouse: return "change would land on a house oracle.";
    case FundingCode::NothingToPay: return "nothing to pay.";
    case FundingCode::InvalidOutput: return "invalid inscription output.";
    case FundingCode::ForcedInputBad: return "could not include inscription input.";
    case FundingCode::BuildFailed: return "failed to build transaction.";
    case FundingCode::Insufficient: return "insufficient funds.";
    case FundingCode::ShareCoins: return "need a bit more BSV so the offer and the 1-sat hook do not share coins.";
    case FundingCode::SigningFailed: return "signing failed.";
    case FundingCode::NoBalance: return "you have 0 in your Pursa wallet.";
    case FundingCode::BalanceNotSpendable:
        return "Pursa can see the balance, but not a coin it can spend yet. Try again in a few seconds.";
    case FundingCode::NoSpendableCoin: return "no coin of your Pursa wallet can be spent yet. Try again in a few seconds.";
    case FundingCode::RetriesExhausted: return "broadcast failed after retry.";
    case FundingCode::MustSpendMissing:
        return "your offer's coins are not in this wallet's coin lists yet, so the offer stays open. Try again in a minute.";
    case FundingCode::SerializeFailed: return "serialize failed.";
    case FundingCode::BroadcastRefused: return "broadcast failed:";
    case FundingCode::NotTaken: return "the network did not take that transaction. Nothing was sent.";
    case FundingCode::AlreadyListed: return "that UTXO is already listed.";
    case FundingCode::ReserveWriteFailed: return "could not write Agoran reserve.";
    case FundingCode::NoReserveForUtxo: return "no reserve for that UTXO.";
    case FundingCode::NoReserveForListing: return "no reserve for that listing.";
    case FundingCode::ReserveUpdateFailed: return "could not update Agoran reserve.";
    case FundingCode::ReservesBusy:
        return "another program is changing this wallet's listing reserves. Try again in a moment.";
    }
    return "funding failed.";
}

} // namespace

std::string error_text(const FundingError& error)
{
    std::string text = fixed_text(error.code);
    if (error.code == FundingCode::Insufficient) {
        text += " Need " + std::to_string(error.need) + " sats, you have " + std::to_string(error.have) +
                " in your Pursa wallet.";
    }
    if (error.code == FundingCode::BroadcastRefused) text += " " + error.detail;
    if (error.cause) text += " (" + error_text(*error.cause) + ")";
    return text;
}

} // namespace funding
