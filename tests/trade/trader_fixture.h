// One trader in this process: a fresh data directory pointed at a fresh simulator, a session over
// it (with caches of its own), an HD wallet made by the Pursa stand-in with a published paymail
// name, bound to this process and funded.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/support/devnet_fixture.h"
#include "tests/support/temp_dir.h"
#include "trade/error.h"
#include "trade/market_session.h"
#include "tx/transaction.h"

namespace tradetest {

class TraderTest : public testsupport::DevnetTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates, names, binds and funds the wallet ("" when a step failed, with a test failure).
    std::string open_wallet(const std::string& name, const std::vector<int64_t>& coins);

    // The simulator's raw transaction, parsed.
    std::optional<tx::Transaction> raw_tx(const std::string& txid);

    trade::MarketSession& session() { return *m_session; }

    std::string m_receive;   // the wallet's receive address
    std::string m_ordinals;  // its ordinals address
    testsupport::TempDir m_root;
    std::unique_ptr<trade::MarketSession> m_session;
};

// The txid sent; "" when the routine failed.
std::string txid_of(const trade::TradeResult<trade::Sent>& result);

// The offer built; "" with a test failure when it was refused.
std::string built(const trade::TradeResult<std::string>& offer);

// The code of the failure; nullopt when the routine succeeded.
template <typename T>
std::optional<trade::TradeCode> failure_of(const trade::TradeResult<T>& result)
{
    return result ? std::nullopt : std::optional<trade::TradeCode>(result.error().code);
}

} // namespace tradetest
