#include "tests/trade/trader_fixture.h"

#include "core/base58.h"
#include "core/hex.h"
#include "net/service_config.h"
#include "pursa/services.h"
#include "pursa/vault.h"
#include "tx/parse.h"
#include "wallet/app_binding.h"
#include "wallet/wallet_file.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_lock.h"

namespace tradetest {

void TraderTest::SetUp()
{
    testsupport::DevnetTest::SetUp();
    ASSERT_TRUE(m_devnet);
    auto data = m_root.use_as_data_root();
    ASSERT_TRUE(devnet().write_services(data));
    m_session = std::make_unique<trade::MarketSession>(net::load_services_file());
}

void TraderTest::TearDown()
{
    m_session.reset();
}

std::string TraderTest::open_wallet(const std::string& name, const std::vector<int64_t>& coins)
{
    pursa::VaultResult<std::string> created = pursa::create_hd_wallet(name);
    if (!created) {
        ADD_FAILURE() << created.error().sentence;
        return {};
    }
    const std::string id = *created;
    if (auto named = pursa::name_wallet(id, name, pursa::publish_paymail); !named) {
        ADD_FAILURE() << named.error().sentence;
        return {};
    }
    wallet::register_app(session().wallet(), "trade-test", "Agoran");
    m_receive = pursa::receive_address(id);
    {
        wallet::WalletLock lock(session().wallet());
        auto ord = wallet::wallet_load(session().wallet()) ? wallet::ordinals_address(session().wallet()) : wallet::OrdinalsAddress{};
        if (ord.hash) m_ordinals = core::address_from_hash160(*ord.hash);
    }
    if (m_receive.empty() || m_ordinals.empty()) {
        ADD_FAILURE() << "the wallet did not load";
        return {};
    }
    for (int64_t sats : coins) {
        if (devnet().fund(m_receive, sats).empty()) return {};
    }
    return id;
}

std::optional<tx::Transaction> TraderTest::raw_tx(const std::string& txid)
{
    auto reply = devnet().get("/woc/v1/bsv/main/tx/" + txid + "/hex");
    std::string hex = reply.body;
    while (!hex.empty() && (hex.back() == '\n' || hex.back() == '"')) hex.pop_back();
    if (!hex.empty() && hex.front() == '"') hex.erase(0, 1);
    auto raw = core::hex_decode(hex);
    return raw ? tx::tx_parse(*raw) : std::nullopt;
}

std::string built(const trade::TradeResult<std::string>& offer)
{
    EXPECT_TRUE(offer) << (offer ? std::string() : trade::error_text(offer.error()));
    return offer ? *offer : std::string();
}

std::string txid_of(const trade::TradeResult<trade::Sent>& result)
{
    return result ? result->txid : std::string();
}

} // namespace tradetest
