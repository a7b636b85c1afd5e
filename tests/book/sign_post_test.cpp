#include "book/sign_post.h"

#include <gtest/gtest.h>

#include "book/identity.h"
#include "book/post_blob.h"
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
};

// No wallet, or a key the registry does not publish, signs nothing. Otherwise the envelope is
// completed and verifies; a numeric time is kept, any other replaced; two posts never share a
// signature (the second would be dropped as a replay): later times through one set of caches,
// and a fresh nonce when the times are the same.
TEST_F(SignPostTest, CompletesTheEnvelopeWithFreshTimesAndNoncesOrSignsNothing)
{
    Json post = cancel_post();
    book::BookResult<void> refused = book::sign_post(post, m_services);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, book::BookCode::NoHandle);
    EXPECT_FALSE(post.contains("sig"));
    bind_single_wallet(hd_wallet(wallettest::ABANDON_MNEMONIC, Json{{"paymail", "carol"}}));
    refused = book::sign_post(post, m_services);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, book::BookCode::SignatureUnverified);
    EXPECT_EQ(refused.error().detail, m_services.config->registry_domain);

    m_devnet->set_identity("carol", abandon_identity_key());
    post = cancel_post();
    ASSERT_TRUE(book::sign_post(post, m_services).ok());
    EXPECT_EQ(post["actor"], "carol");
    EXPECT_EQ(post["paymail"], "carol@" + m_services.config->registry_domain);
    EXPECT_EQ(post["pubkey"], abandon_identity_key());
    EXPECT_GT(post["ts"].get<int64_t>(), 1'600'000'000);
    EXPECT_EQ(post["id"].get<std::string>().size(), 32u);
    EXPECT_EQ(post["blob"], book::post_blob(post));
    EXPECT_TRUE(book::verify_post(post, [&](std::string_view h) { return book::identity_key_of(h, m_services); }));

    Json second = cancel_post();
    second["ts"] = "1234";
    ASSERT_TRUE(book::sign_post(second, m_services).ok());
    EXPECT_LT(post["ts"].get<int64_t>(), second["ts"].get<int64_t>());
    Json again = cancel_post(), twin = cancel_post();
    again["ts"] = twin["ts"] = 1234;
    ASSERT_TRUE(book::sign_post(again, m_services).ok());
    ASSERT_TRUE(book::sign_post(twin, m_services).ok());
    EXPECT_EQ(again["ts"].get<int64_t>() + twin["ts"].get<int64_t>(), 2468);
    EXPECT_NE(again["id"], twin["id"]);
    EXPECT_NE(again["sig"], twin["sig"]);
}

} // namespace
