// Reading what a refused broadcast says about its coins.
#include <gtest/gtest.h>

#include "funding/failure_class.h"

namespace {

using funding::BroadcastFailure;
using funding::classify_broadcast_failure;

TEST(FailureClass, InputsGone)
{
    for (const char* text : {"error: broadcast failed: HTTP 400 – Missing inputs", "missing inputs", "ARC: MISSINGORSPENT",
                             "error: broadcast failed: missingorspent",
                             "error: HTTP 460 – arc error 460: failed to get parent transactions"}) {
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
    for (const char* text : {"", "error: broadcast failed: HTTP 500", "TX decode failed", "mempool conflict", "inputs missing"}) {
        EXPECT_EQ(classify_broadcast_failure(text), BroadcastFailure::Other) << text;
    }
}

} // namespace
