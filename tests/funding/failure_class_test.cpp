// Reading what a refused broadcast says about its coins, and the words the user reads for each
// failure of the funding layer.
#include <gtest/gtest.h>

#include "funding/error.h"
#include "funding/failure_class.h"

namespace {

using funding::BroadcastFailure;
using funding::classify_broadcast_failure;

TEST(FailureClass, InputsGone)
{
    for (const char* text : {"HTTP 400 – Missing inputs", "missing inputs", "ARC: MISSINGORSPENT", "missingorspent",
                             "HTTP 460 – arc error 460: failed to get parent transactions"}) {
        EXPECT_EQ(classify_broadcast_failure(text), BroadcastFailure::InputsGone) << text;
    }
}

TEST(FailureClass, Conflicts)
{
    for (const char* text : {"258: txn-mempool-conflict", "DOUBLE_SPEND_ATTEMPTED", "Double Spend detected",
                             "SEEN_IN_ORPHAN_MEMPOOL: x", "txn-already-in-mempool", "257: TXN-ALREADY-KNOWN"}) {
        EXPECT_EQ(classify_broadcast_failure(text), BroadcastFailure::Conflict) << text;
    }
}

TEST(FailureClass, EverythingElse)
{
    for (const char* text : {"", "HTTP 500", "TX decode failed", "mempool conflict", "inputs missing"}) {
        EXPECT_EQ(classify_broadcast_failure(text), BroadcastFailure::Other) << text;
    }
}

// The sentences are the product's: users, their scripts and the help pages know them word for word.
TEST(ErrorText, EveryFailureReadsAsBefore)
{
    using funding::FundingCode;
    using funding::FundingError;
    FundingError short_of(FundingCode::Insufficient);
    short_of.need = 5226;
    short_of.have = 4000;
    const std::string insufficient = "insufficient funds. Need 5226 sats, you have 4000 in your Pursa wallet.";
    const std::string share = "need a bit more BSV so the offer and the 1-sat hook do not share coins.";
    const std::vector<std::pair<FundingError, std::string>> rows = {
        {FundingCode::NoWallet, "no TavrinNode Pursa wallet. Use pursa create first."},
        {FundingCode::WalletLocked, "This wallet is locked. Open it in Pursa."},
        {FundingCode::NeedHdWallet, "need an HD Pursa wallet."},
        {FundingCode::NoHdWallet, "no wallet"},
        {FundingCode::WalletChanged, "wallet changed."},
        {FundingCode::ChangeAddressBad, "pursa address decode failed."},
        {FundingCode::ChangeOnHouse, "change would land on a house oracle."},
        {FundingCode::NothingToPay, "nothing to pay."},
        {FundingCode::InvalidOutput, "invalid inscription output."},
        {FundingCode::ForcedInputBad, "could not include inscription input."},
        {FundingCode::BuildFailed, "failed to build transaction."},
        {short_of, insufficient},
        {FundingCode::ShareCoins, share},
        {FundingError(FundingCode::ShareCoins, short_of), share + " (" + insufficient + ")"},
        {FundingCode::SigningFailed, "signing failed."},
        {FundingCode::NoBalance, "you have 0 in your Pursa wallet."},
        {FundingError(FundingCode::NoBalance, FundingError(FundingCode::BroadcastRefused, "HTTP 500")),
         "you have 0 in your Pursa wallet. (broadcast failed: HTTP 500)"},
        {FundingCode::BalanceNotSpendable,
         "Pursa can see the balance, but not a coin it can spend yet. Try again in a few seconds."},
        {FundingCode::NoSpendableCoin, "no coin of your Pursa wallet can be spent yet. Try again in a few seconds."},
        {FundingCode::RetriesExhausted, "broadcast failed after retry."},
        {FundingCode::MustSpendMissing,
         "your offer's coins are not in this wallet's coin lists yet, so the offer stays open. Try again in a minute."},
        {FundingCode::SerializeFailed, "serialize failed."},
        {FundingError(FundingCode::BroadcastRefused, "REJECTED: Missing inputs"), "broadcast failed: REJECTED: Missing inputs"},
        {FundingCode::NotTaken, "the network did not take that transaction. Nothing was sent."},
        {FundingCode::BadUtxo, "bad UTXO."},
        {FundingCode::AlreadyListed, "that UTXO is already listed."},
        {FundingCode::ReserveWriteFailed, "could not write Agoran reserve."},
        {FundingCode::NoReserveForUtxo, "no reserve for that UTXO."},
        {FundingCode::NoReserveForListing, "no reserve for that listing."},
        {FundingCode::BadRebind, "bad rebind."},
        {FundingCode::ReserveUpdateFailed, "could not update Agoran reserve."},
        {FundingCode::ReservesBusy, "another program is changing this wallet's listing reserves. Try again in a moment."},
    };
    for (const auto& [error, text] : rows) EXPECT_EQ(funding::error_text(error), text) << static_cast<int>(error.code);
}

} // namespace
