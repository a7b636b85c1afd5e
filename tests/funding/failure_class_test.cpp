// Reading what a refused broadcast says about its coins, and the words the user reads for each
// failure of the funding layer.
#include <gtest/gtest.h>

#include "funding/error.h"
#include "funding/failure_class.h"

namespace {

using funding::BroadcastFailure;
using funding::classify_broadcast_failure;

TEST(FailureClass, RefusalTextsByWhatTheySayOfTheCoins)
{
    const std::vector<std::pair<const char*, BroadcastFailure>> rows = {
        {"HTTP 400 – Missing inputs", BroadcastFailure::InputsGone},
        {"ARC: MISSINGORSPENT", BroadcastFailure::InputsGone},
        {"missingorspent", BroadcastFailure::InputsGone},
        {"HTTP 460 – arc error 460: failed to get parent transactions", BroadcastFailure::InputsGone},
        {"258: txn-mempool-conflict", BroadcastFailure::Conflict},
        {"DOUBLE_SPEND_ATTEMPTED", BroadcastFailure::Conflict},
        {"Double Spend detected", BroadcastFailure::Conflict},
        {"SEEN_IN_ORPHAN_MEMPOOL: x", BroadcastFailure::Conflict},
        {"txn-already-in-mempool", BroadcastFailure::Conflict},
        {"257: TXN-ALREADY-KNOWN", BroadcastFailure::Conflict},
        {"", BroadcastFailure::Other},
        {"TX decode failed", BroadcastFailure::Other},
        {"mempool conflict", BroadcastFailure::Other},
        {"inputs missing", BroadcastFailure::Other},
    };
    for (const auto& [text, kind] : rows) EXPECT_EQ(classify_broadcast_failure(text), kind) << text;
}

// A failure's sentence carries what varies (the amounts of a shortfall, a service's answer) and
// the failure it follows from.
TEST(ErrorText, DetailsAndCausesAreWorded)
{
    using funding::FundingCode;
    using funding::FundingError;
    FundingError short_of(FundingCode::Insufficient);
    short_of.need = 5226;
    short_of.have = 4000;
    const std::string insufficient = "insufficient funds. Need 5226 sats, you have 4000 in your Pursa wallet.";
    const std::vector<std::pair<FundingError, std::string>> rows = {
        {short_of, insufficient},
        {FundingError(FundingCode::ShareCoins, short_of),
         "need a bit more BSV so the offer and the 1-sat hook do not share coins. (" + insufficient + ")"},
        {FundingError(FundingCode::NoBalance, FundingError(FundingCode::BroadcastRefused, "HTTP 500")),
         "you have 0 in your Pursa wallet. (broadcast failed: HTTP 500)"},
        {FundingCode::NotTaken, "the network did not take that transaction. Nothing was sent."},
    };
    for (const auto& [error, text] : rows) EXPECT_EQ(funding::error_text(error), text) << static_cast<int>(error.code);
}

} // namespace
