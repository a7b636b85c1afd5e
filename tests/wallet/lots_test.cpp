#include <functional>
#include <mutex>

#include <gtest/gtest.h>

#include "core/base58.h"
#include "core/hex.h"
#include "tests/support/fake_http.h"
#include "tests/wallet/wallet_fixture.h"
#include "tx/inscription.h"
#include "wallet/balance.h"
#include "wallet/lots.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_state.h"

namespace {

using wallettest::ABANDON_MNEMONIC;

const std::string T1 = std::string(64, '1');
const std::string T2 = std::string(64, '2');
const std::string T3 = std::string(64, '3');
const std::string TOKEN = std::string(64, 'a') + "_0";
const std::string PNG = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(24, '\x07');

// Canned services: the test gives (status, body) for a URL; everything else is a 404.
using Answer = std::optional<std::pair<long, std::string>>;
using testsupport::FakeHttp;

FakeHttp::Handler by_url(std::function<Answer(const std::string&)> answer)
{
    return [answer](const std::string&, const std::string& url, const std::string&) {
        auto a = answer(url);
        return a ? FakeHttp::reply(a->first, a->second) : FakeHttp::reply(404, R"({"message": "Not Found"})");
    };
}

Answer ok(const nlohmann::json& body)
{
    return std::pair{200L, body.dump()};
}

bool has(const std::string& url, const std::string& part)
{
    return url.find(part) != std::string::npos;
}

nlohmann::json txo(const std::string& txid, uint32_t vout, const std::string& owner, nlohmann::json data, int64_t sats = 1,
                   const std::string& spend = "")
{
    const std::string outpoint = txid + "_" + std::to_string(vout);
    return {{"txid", txid}, {"vout", vout}, {"outpoint", outpoint}, {"satoshis", sats}, {"owner", owner}, {"spend", spend},
            {"height", 900}, {"origin", {{"outpoint", outpoint}}}, {"data", std::move(data)}};
}

nlohmann::json file_data(const std::string& type)
{
    return {{"insc", {{"file", {{"type", type}}}}}};
}

nlohmann::json token_data(const std::string& amt)
{
    nlohmann::json data = file_data("application/bsv-20");
    data["bsv20"] = {{"id", TOKEN}, {"op", "transfer"}, {"amt", amt}};
    return data;
}

class LotsTest : public wallettest::WalletDirTest {
protected:
    void SetUp() override
    {
        WalletDirTest::SetUp();
        write_registry({{"w1", hd_wallet(ABANDON_MNEMONIC)}, {"w2", hd_wallet(wallettest::LEGAL_MNEMONIC)}});
        wallet::register_app(ws(), "/opt/agoran", "Agoran");
        ASSERT_TRUE(wallet::bind_wallet(ws(), "w1"));
        ASSERT_TRUE(wallet::wallet_load(ws()));
        m_ord = wallet::ordinals_key(ws())->address;
    }

    // The code the scan failed with; nullopt when it listed the lots (in m_rows).
    std::optional<wallet::WalletCode> scan(FakeHttp& http, bool include_hidden = false)
    {
        net::WocClient woc("http://woc", http);
        net::OrdinalsClient ordinals("http://gp/api", "http://gp", http);
        return wallettest::failure_of(wallet::tv_pursa_list_ordinals(ws(), m_rows, true, include_hidden, wallet::LotServices{woc, ordinals}));
    }

    // An index whose ordinals address holds these outputs (pictures when files, tokens when
    // tokens) and every other watch address nothing.
    FakeHttp::Handler index_with(nlohmann::json files, nlohmann::json tokens = nlohmann::json::array(),
                                 std::function<Answer(const std::string&)> other = {})
    {
        return by_url([=, this](const std::string& url) -> Answer {
            if (has(url, "/txos/address/" + m_ord + "/unspent?bsv20=false")) return ok(files);
            if (has(url, "/txos/address/" + m_ord + "/unspent?bsv20=true")) return ok(tokens);
            if (has(url, "/txos/address/")) return ok(nlohmann::json::array());
            return other ? other(url) : std::nullopt;
        });
    }

    std::string m_ord;
    std::vector<wallet::TvPursaOrdRow> m_rows;
};

TEST_F(LotsTest, TokenHeldInThreeOutputsIsOneLotWithTheSummedAmount)
{
    FakeHttp http(index_with(nlohmann::json::array(),
                             {txo(T3, 0, m_ord, token_data("5")), txo(T1, 2, m_ord, token_data("10")),
                              txo(T2, 1, m_ord, token_data("999999999999999999999999999985"))},
                             [](const std::string& url) -> Answer {
                                 if (has(url, "/bsv20/id/" + TOKEN)) return ok({{"id", TOKEN}, {"sym", "GLD"}, {"icon", T1 + "_0"}, {"dec", 2}});
                                 return std::nullopt;
                             }));
    ASSERT_EQ(scan(http), std::nullopt);
    ASSERT_EQ(m_rows.size(), 1u);
    EXPECT_EQ(std::tie(m_rows[0].token_id, m_rows[0].amt, m_rows[0].name, m_rows[0].dec),
              std::make_tuple(TOKEN, std::string("1000000000000000000000000000000"), std::string("GLD"), std::string("2")));
    EXPECT_EQ(m_rows[0].outpoints, (std::vector<tx::Outpoint>{{*tx::Txid::parse(T1), 2}, {*tx::Txid::parse(T2), 1}, {*tx::Txid::parse(T3), 0}}));
    // The owned list tracks each output, saved in the wallet file.
    const auto doc = read_json(wallet_rel("w1"));
    ASSERT_EQ(doc["ord_owned"].size(), 3u);
    EXPECT_EQ(doc["ord_owned"][0]["token_id"], TOKEN);
    // Every watch address was asked: identity, receive, 1 ordinals, 5 ordinals change.
    EXPECT_EQ(http.count("bsv20=false"), 8u);
}

// Only unspent 1-sat image outputs are pictures: not text, not 2 sats, not spent (by the index
// or by WhatsOnChain). A lot the wallet hides stays out unless asked for.
TEST_F(LotsTest, OnlyUnspentOneSatPicturesBecomePictureLots)
{
    write_json(wallet_rel("w1"), hd_wallet(ABANDON_MNEMONIC, {{"ord_owned", {{{"origin", T1 + "_4"}, {"hidden", true}}}}}));
    wallet::wallet_forget(ws());
    FakeHttp http(index_with({txo(T1, 0, m_ord, file_data("image/png")), txo(T1, 1, m_ord, file_data("text/plain")),
                              txo(T1, 2, m_ord, file_data("image/png"), 2), txo(T1, 3, m_ord, file_data("image/png"), 1, T3),
                              txo(T2, 0, m_ord, file_data("image/webp")), txo(T1, 4, m_ord, file_data("image/png"))},
                             nlohmann::json::array(), [](const std::string& url) -> Answer {
                                 if (has(url, "/tx/" + T2 + "/0/spent")) return ok({{"txid", T3}});
                                 return std::nullopt;
                             }));
    ASSERT_EQ(scan(http), std::nullopt);
    ASSERT_EQ(m_rows.size(), 1u);
    EXPECT_TRUE(m_rows[0].is_picture());
    EXPECT_EQ(m_rows[0].origin, T1 + "_0");
    EXPECT_EQ(m_rows[0].type, "image/png");
    ASSERT_EQ(scan(http, true), std::nullopt);
    EXPECT_EQ(m_rows.size(), 2u);
}

TEST_F(LotsTest, IndexDownIsAnErrorOnlyWhenNoOtherSourceFoundARow)
{
    std::function<Answer(const std::string&)> history = [](const std::string&) { return Answer(); };
    FakeHttp http(by_url([&](const std::string& url) -> Answer {
        if (has(url, "/txos/")) return std::pair{500L, std::string("{\"message\": \"down\"}")};
        return history(url);
    }));
    EXPECT_EQ(scan(http), wallet::WalletCode::IndexUnavailable);
    EXPECT_TRUE(m_rows.empty());

    // A picture paid to the ordinals address a moment ago shows in its history.
    const auto hash = *core::hash160_from_address(m_ord);
    const std::string script = core::hex_encode(tx::inscription_script(hash, "image/png", core::as_bytes(PNG)));
    history = [&](const std::string& url) -> Answer {
        if (has(url, "/address/" + m_ord + "/unconfirmed/history")) return ok(nlohmann::json::array({{{"tx_hash", T2}}}));
        if (has(url, "/tx/" + T2) && !has(url, "spent")) {
            return ok({{"txid", T2},
                       {"vout", {{{"n", 0}, {"value", 0.00000001}, {"scriptPubKey", {{"hex", script}, {"addresses", {m_ord}}}}}}}});
        }
        return std::nullopt;
    };
    EXPECT_EQ(scan(http), std::nullopt);
    ASSERT_EQ(m_rows.size(), 1u);
    EXPECT_EQ(m_rows[0].origin, T2 + "_0");
    EXPECT_TRUE(m_rows[0].from_history);
}

// The scan's ordinals must never land in the file of a wallet bound meanwhile.
TEST_F(LotsTest, WalletSwitchDuringTheScanSavesNothingAndReportsIt)
{
    const std::string w1_before = read_text(wallet_rel("w1"));
    const std::string w2_before = read_text(wallet_rel("w2"));
    std::once_flag switched;
    FakeHttp http(by_url([&](const std::string& url) -> Answer {
        if (!has(url, "/txos/address/")) return std::nullopt;
        std::call_once(switched, [&] { (void)wallet::bind_wallet(ws(), "w2"); });
        return ok(has(url, m_ord + "/unspent?bsv20=false") ? nlohmann::json::array({txo(T1, 0, m_ord, file_data("image/png"))})
                                                          : nlohmann::json::array());
    }));
    EXPECT_EQ(scan(http), wallet::WalletCode::WalletChanged);
    EXPECT_TRUE(m_rows.empty());
    EXPECT_EQ(read_text(wallet_rel("w2")), w2_before);
    EXPECT_EQ(read_text(wallet_rel("w1")), w1_before);

    wallet::unbind_wallet(ws());
    m_rows.resize(2);
    FakeHttp nothing(by_url([](const std::string&) { return std::nullopt; }));
    EXPECT_EQ(scan(nothing), wallet::WalletCode::NoWallet);
    EXPECT_TRUE(m_rows.empty());
    EXPECT_TRUE(nothing.requests().empty());
}

// Lots another program sent to this wallet wait in its inbox: each valid one joins the owned
// list once and the inbox goes.
TEST_F(LotsTest, InboxEntriesJoinTheOwnedListOnce)
{
    const std::string inbox = "ord_inbox/" + core::hex_encode(*core::hash160_from_address(m_ord)) + ".json";
    write_json(inbox, nlohmann::json::array({{{"origin", T3 + "_4"}, {"type", "image/png"}, {"name", "Sunset"}},
                                             {{"origin", "not an origin"}},
                                             {{"origin", T3 + "_5"}, {"amt", "7"}, {"id", TOKEN}}}));
    FakeHttp http(index_with(nlohmann::json::array()));
    ASSERT_EQ(scan(http), std::nullopt);
    auto owned = read_json(wallet_rel("w1"))["ord_owned"];
    ASSERT_EQ(owned.size(), 2u);
    EXPECT_EQ(owned[0]["name"], "Sunset");
    EXPECT_EQ(owned[0]["address"], m_ord);
    EXPECT_EQ(owned[1]["token_id"], TOKEN);
    EXPECT_EQ(owned[1]["amt"], "7");
    EXPECT_FALSE(exists(inbox));
    ASSERT_EQ(scan(http), std::nullopt);
    EXPECT_EQ(read_json(wallet_rel("w1"))["ord_owned"].size(), 2u);
}

// The content of an inscription: from the content host, else the index's file; its type sniffed
// from its first bytes. Nothing but an outpoint is ever asked for.
TEST_F(LotsTest, InscriptionContentFallsBackAndSniffsTheType)
{
    FakeHttp http(by_url([&](const std::string& url) -> Answer {
        if (url == "http://gp/content/" + T1 + "_0") return std::pair{200L, std::string("{\"error\": \"gone\"}")};
        if (url == "http://gp/api/files/inscriptions/" + T1 + "_0") return std::pair{200L, PNG};
        if (url == "http://gp/content/" + T2 + "_0") return std::pair{200L, std::string("GIF89a....")};
        return std::nullopt;
    }));
    net::OrdinalsClient ordinals("http://gp/api", "http://gp", http);
    std::string bytes, type;
    ASSERT_TRUE(wallet::fetch_inscription_content(T1 + "_0", bytes, type, ordinals));
    EXPECT_EQ(bytes, PNG);
    EXPECT_EQ(type, "image/png");
    ASSERT_TRUE(wallet::fetch_inscription_content(T2, bytes, type, ordinals)) << "a bare txid reads as txid_0";
    EXPECT_EQ(type, "image/gif");
    EXPECT_FALSE(wallet::fetch_inscription_content(T3 + "_0", bytes, type, ordinals));
    EXPECT_FALSE(wallet::fetch_inscription_content("../../etc/passwd", bytes, type, ordinals));
    EXPECT_EQ(wallet::sniff_content_type(std::string("\xFF\xD8\xFF", 3)), "image/jpeg");
    EXPECT_EQ(wallet::sniff_content_type("RIFF0000WEBPVP8 "), "image/webp");
    EXPECT_EQ(wallet::sniff_content_type("GI"), "application/octet-stream");
}

// The balance refresh scans receive addresses in batches from its cursor: a used address raises
// the shown index, saved in the wallet file; a failed refresh keeps the last balance.
TEST_F(LotsTest, BalanceRefreshRaisesTheShownIndexOnAUsedAddress)
{
    const std::string address3 = wallet::account_key(ws(), 1, 3)->address;
    const std::string identity = ws().state().identity_address;
    int posts = 0;
    FakeHttp http(by_url([&](const std::string& url) -> Answer {
        if (!has(url, "/addresses/balance")) return std::nullopt;
        ++posts;
        return ok({{{"address", address3}, {"balance", {{"confirmed", 7000}, {"unconfirmed", 0}}}},
                   {{"address", identity}, {"balance", {{"confirmed", 400}, {"unconfirmed", 100}}}}});
    }));
    net::WocClient woc("http://woc", http);
    EXPECT_FALSE(wallet::cached_balance(ws()).known);
    ASSERT_TRUE(wallet::refresh_wallet_balance(ws(), woc));
    EXPECT_EQ(posts, 3) << "a batch with the hit, an empty batch, then the balance";
    EXPECT_EQ(wallet::cached_balance(ws()).sats, 7500);
    const auto doc = read_json(wallet_rel("w1"));
    EXPECT_EQ(doc["show"], 3);
    EXPECT_EQ(doc["recv"][1], 3);
    EXPECT_EQ(doc["address"], address3);
    EXPECT_EQ(read_json("tx_hist/w1_face.json")["points"][0]["sats"], 7500);

    posts = 0;
    ASSERT_TRUE(wallet::refresh_wallet_balance(ws(), woc));
    EXPECT_EQ(posts, 2) << "the cursor moved on";
    EXPECT_EQ(read_json("tx_hist/w1_face.json")["points"].size(), 1u) << "an unchanged balance adds no point";

    FakeHttp down(by_url([](const std::string&) { return std::pair{500L, std::string("{}")}; }));
    net::WocClient woc_down("http://woc", down);
    EXPECT_EQ(wallettest::failure_of(wallet::refresh_wallet_balance(ws(), woc_down)), wallet::WalletCode::BalanceUnreadable);
    EXPECT_EQ(wallet::cached_balance(ws()).sats, 7500);
}

} // namespace
