#include "book/sign_post.h"

#include <gtest/gtest.h>

#include "book/identity.h"
#include "book/post_blob.h"
#include "core/market_clock.h"
#include "tests/book/devnet_book.h"
#include "tests/support/test_data.h"
#include "tests/wallet/wallet_fixture.h"

namespace {

using book::Json;

// The identity key (m/44'/236'/100'/0/0) of the "abandon ... about" wallet.
std::string abandon_identity_key()
{
    Json vectors = testsupport::read_json_vector("bip32-paths.json");
    for (const Json& wallet : vectors["wallets"]) {
        if (wallet["mnemonic"] != wallettest::ABANDON_MNEMONIC) continue;
        for (const Json& path : wallet["paths"]) {
            if (path["path"] == "m/44'/236'/100'/0/0") return path["public_key_hex"];
        }
    }
    ADD_FAILURE() << "no identity key in the vectors";
    return {};
}

// A bound wallet named "carol" against the simulator.
class SignPostTest : public wallettest::WalletDirTest {
protected:
    void SetUp() override
    {
        WalletDirTest::SetUp();
        m_devnet = testsupport::Devnet::start();
        ASSERT_TRUE(m_devnet);
        m_services = booktest::devnet_services(*m_devnet, m_http, m_caches);
        m_services.wallet = &ws();
        m_key = abandon_identity_key();
    }

    void bind_carol(bool registered = true)
    {
        bind_single_wallet(hd_wallet(wallettest::ABANDON_MNEMONIC, Json{{"paymail", "carol"}}));
        if (registered) m_devnet->set_identity("carol", m_key);
    }

    Json cancel_post() const
    {
        return Json{{"protocol", "TV-Agoran"}, {"location", "agoran"}, {"type", "ag_cancel"},
                    {"handle", "carol"}, {"listing", booktest::txid_of(0x10)}};
    }

    std::unique_ptr<testsupport::Devnet> m_devnet;
    booktest::RecordingHttp m_http;
    book::Caches m_caches;
    book::BookServices m_services;
    std::string m_key;
};

// The envelope completed and verifying; a numeric time kept, any other replaced; two posts never
// share a signature (the second would be dropped as a replay): later times through one set of
// caches, and a fresh nonce when the times are the same.
TEST_F(SignPostTest, CompletesTheEnvelopeWithFreshTimesAndNonces)
{
    bind_carol();
    Json post = cancel_post();
    ASSERT_TRUE(book::sign_post(post, m_services).ok());
    EXPECT_EQ(post["actor"], "carol");
    EXPECT_EQ(post["paymail"], "carol@" + m_services.config->registry_domain);
    EXPECT_EQ(post["pubkey"], m_key);
    EXPECT_EQ(post["sig"].get<std::string>().size(), 88u);
    EXPECT_GT(post["ts"].get<int64_t>(), 1'600'000'000);
    EXPECT_EQ(post["id"].get<std::string>().size(), 32u);
    EXPECT_EQ(post["blob"], book::post_blob(post));
    EXPECT_NE(post["blob"].get<std::string>().find(booktest::txid_of(0x10)), std::string::npos);
    EXPECT_TRUE(book::verify_post(post, [&](std::string_view h) { return book::identity_key_of(h, m_services); }));

    Json second = cancel_post();
    second["ts"] = "1234";
    ASSERT_TRUE(book::sign_post(second, m_services).ok());
    EXPECT_LT(post["ts"].get<int64_t>(), second["ts"].get<int64_t>());
    EXPECT_NE(post["sig"], second["sig"]);

    Json again = cancel_post();
    Json twin = cancel_post();
    again["ts"] = twin["ts"] = 1234;
    ASSERT_TRUE(book::sign_post(again, m_services).ok());
    ASSERT_TRUE(book::sign_post(twin, m_services).ok());
    EXPECT_EQ(again["ts"], 1234);
    EXPECT_EQ(twin["ts"], 1234);
    EXPECT_NE(again["id"], twin["id"]);
    EXPECT_NE(again["sig"], twin["sig"]);
}

TEST_F(SignPostTest, NoWalletOrAnUnpublishedKeySignsNothing)
{
    Json post = cancel_post();
    book::BookResult<void> signed_post = book::sign_post(post, m_services);
    ASSERT_FALSE(signed_post.ok());
    EXPECT_EQ(signed_post.error().code, book::BookCode::NoHandle);
    EXPECT_FALSE(post.contains("sig"));

    bind_carol(/*registered=*/false);
    signed_post = book::sign_post(post, m_services);
    ASSERT_FALSE(signed_post.ok());
    EXPECT_EQ(signed_post.error().code, book::BookCode::SignatureUnverified);
    EXPECT_EQ(signed_post.error().detail, m_services.config->registry_domain);
}

TEST_F(SignPostTest, AFixedMarketTimeStampsThePostsNeverTheSameSecondTwice)
{
    core::MarketClock clock;
    m_services.clock = &clock;
    bind_carol();
    const int64_t at = clock.now() + 40 * 86'400;
    clock.fix(at);
    Json first = cancel_post(), second = cancel_post();
    ASSERT_TRUE(book::sign_post(first, m_services).ok());
    ASSERT_TRUE(book::sign_post(second, m_services).ok());
    EXPECT_EQ(first["ts"], at);
    EXPECT_EQ(second["ts"], at + 1);
}

} // namespace
