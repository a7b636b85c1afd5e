#include <functional>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

#include "core/base58.h"
#include "core/hex.h"
#include "net/json_reply.h"
#include "tests/support/fake_http.h"
#include "tests/wallet/wallet_fixture.h"
#include "tx/bsv20.h"
#include "tx/inscription.h"
#include "wallet/balance.h"
#include "wallet/lots.h"
#include "wallet/lots_cache.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_lock.h"
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

nlohmann::json token_txo(const std::string& txid, uint32_t vout, const std::string& amt, const std::string& owner)
{
    const std::string outpoint = txid + "_" + std::to_string(vout);
    return {{"txid", txid}, {"vout", vout}, {"outpoint", outpoint}, {"satoshis", 1}, {"owner", owner},
            {"spend", ""}, {"height", 900}, {"origin", {{"outpoint", outpoint}}},
            {"data", {{"insc", {{"file", {{"type", "application/bsv-20"}}}}},
                      {"bsv20", {{"id", TOKEN}, {"op", "transfer"}, {"amt", amt}}}}}};
}

nlohmann::json file_txo(const std::string& txid, uint32_t vout, const std::string& type, const std::string& owner,
                        int64_t sats = 1, const std::string& spend = "")
{
    const std::string outpoint = txid + "_" + std::to_string(vout);
    return {{"txid", txid}, {"vout", vout}, {"outpoint", outpoint}, {"satoshis", sats}, {"owner", owner},
            {"spend", spend}, {"height", 0}, {"origin", {{"outpoint", outpoint}}},
            {"data", {{"insc", {{"file", {{"type", type}}}}}}}};
}

bool has(const std::string& url, const std::string& part)
{
    return url.find(part) != std::string::npos;
}

class LotsTest : public wallettest::WalletDirTest {
protected:
    void SetUp() override
    {
        WalletDirTest::SetUp();
        write_registry({{"w1", hd_wallet(ABANDON_MNEMONIC)}, {"w2", hd_wallet(wallettest::LEGAL_MNEMONIC)}});
        wallet::register_app(ws(), "/opt/agoran", "Agoran");
        ASSERT_TRUE(wallet::bind_wallet(ws(), "w1"));
        wallet::WalletLock lock(ws());
        ASSERT_TRUE(wallet::wallet_load(ws()));
        m_ord = wallet::ordinals_key(ws())->address;
    }

    // The code the scan failed with; nullopt when it listed the lots.
    std::optional<wallet::WalletCode> scan(FakeHttp& http, std::vector<wallet::TvPursaOrdRow>& rows, bool include_hidden = false)
    {
        net::WocClient woc("http://woc", http);
        net::OrdinalsClient ordinals("http://gp/api", "http://gp", http);
        return wallettest::failure_of(wallet::tv_pursa_list_ordinals(ws(), rows, true, include_hidden, wallet::LotServices{woc, ordinals}));
    }

    std::string m_ord;
};

TEST_F(LotsTest, TokenHeldInThreeOutputsIsOneLotWithTheSummedAmount)
{
    FakeHttp http(by_url([&](const std::string& url) -> Answer {
        if (has(url, "/txos/address/" + m_ord + "/unspent?bsv20=true"))
            return std::pair{200L, nlohmann::json::array({token_txo(T3, 0, "5", m_ord), token_txo(T1, 2, "10", m_ord),
                                                          token_txo(T2, 1, "999999999999999999999999999985", m_ord)})
                                       .dump()};
        if (has(url, "/txos/address/")) return std::pair{200L, std::string("[]")};
        if (has(url, "/bsv20/id/" + TOKEN))
            return std::pair{200L, nlohmann::json({{"id", TOKEN}, {"sym", "GLD"}, {"icon", T1 + "_0"}, {"dec", 2}}).dump()};
        return std::nullopt;
    }));
    std::vector<wallet::TvPursaOrdRow> rows;
    ASSERT_EQ(scan(http, rows), std::nullopt);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].token_id, TOKEN);
    EXPECT_EQ(rows[0].amt, "1000000000000000000000000000000");
    EXPECT_EQ(rows[0].outpoints, (std::vector<std::string>{T1 + "_2", T2 + "_1", T3 + "_0"}));
    EXPECT_EQ(rows[0].name, "GLD");
    EXPECT_EQ(rows[0].dec, "2");
    EXPECT_EQ(rows[0].icon, T1 + "_0");
    EXPECT_EQ(rows[0].address, m_ord);
    EXPECT_FALSE(rows[0].is_picture());
    // The owned list tracks each output, saved in the wallet file; the snapshot lists them.
    const auto doc = read_json(wallet_rel("w1"));
    ASSERT_EQ(doc["ord_owned"].size(), 3u);
    EXPECT_EQ(doc["ord_owned"][0]["token_id"], TOKEN);
    auto snapshot = wallet::read_lot_snapshot("w1");
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(snapshot->lots.size(), 3u);
    EXPECT_EQ(snapshot->token_ids, std::vector<std::string>{TOKEN});
    // Every watch address was asked: identity, receive, 1 ordinals, 5 ordinals change.
    size_t asked = 0;
    for (const auto& r : http.requests()) asked += has(r.url, "bsv20=false");
    EXPECT_EQ(asked, 8u);
}

TEST_F(LotsTest, OnlyUnspentOneSatPicturesBecomePictureLots)
{
    FakeHttp http(by_url([&](const std::string& url) -> Answer {
        if (has(url, "/txos/address/" + m_ord + "/unspent?bsv20=false"))
            return std::pair{200L, nlohmann::json::array({file_txo(T1, 0, "image/png", m_ord),
                                                          file_txo(T1, 1, "text/plain", m_ord),
                                                          file_txo(T1, 2, "image/png", m_ord, 2),
                                                          file_txo(T1, 3, "image/png", m_ord, 1, T3),
                                                          file_txo(T2, 0, "image/webp", m_ord)})
                                       .dump()};
        if (has(url, "/txos/address/")) return std::pair{200L, std::string("[]")};
        if (has(url, "/tx/" + T2 + "/0/spent")) return std::pair{200L, nlohmann::json({{"txid", T3}}).dump()};
        return std::nullopt;
    }));
    std::vector<wallet::TvPursaOrdRow> rows;
    ASSERT_EQ(scan(http, rows), std::nullopt);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(rows[0].is_picture());
    EXPECT_EQ(rows[0].origin, T1 + "_0");
    EXPECT_EQ(rows[0].type, "image/png");
    EXPECT_EQ(rows[0].satoshis, 1);
}

TEST_F(LotsTest, HiddenLotsStayOutUnlessAskedFor)
{
    write_json(wallet_rel("w1"), hd_wallet(ABANDON_MNEMONIC, {{"ord_owned", {{{"origin", T1 + "_0"}, {"hidden", true}}}}}));
    {
        wallet::WalletLock lock(ws());
        wallet::wallet_forget(ws());
    }
    FakeHttp http(by_url([&](const std::string& url) -> Answer {
        if (has(url, "/txos/address/" + m_ord + "/unspent?bsv20=false"))
            return std::pair{200L, nlohmann::json::array({file_txo(T1, 0, "image/png", m_ord)}).dump()};
        if (has(url, "/txos/address/")) return std::pair{200L, std::string("[]")};
        return std::nullopt;
    }));
    std::vector<wallet::TvPursaOrdRow> rows;
    ASSERT_EQ(scan(http, rows), std::nullopt);
    EXPECT_TRUE(rows.empty());
    ASSERT_EQ(scan(http, rows, true), std::nullopt);
    EXPECT_EQ(rows.size(), 1u);
    EXPECT_TRUE(read_json(wallet_rel("w1"))["ord_owned"][0]["hidden"].get<bool>());
}

TEST_F(LotsTest, IndexDownIsAnErrorOnlyWhenNoOtherSourceFoundARow)
{
    FakeHttp down(by_url([&](const std::string& url) -> Answer {
        if (has(url, "/txos/")) return std::pair{500L, std::string("{\"message\": \"down\"}")};
        return std::nullopt;
    }));
    std::vector<wallet::TvPursaOrdRow> rows;
    EXPECT_EQ(scan(down, rows), wallet::WalletCode::IndexUnavailable);
    EXPECT_TRUE(rows.empty());

    // A picture paid to the ordinals address a moment ago shows in its history.
    const auto hash = *core::hash160_from_address(m_ord);
    const std::string script = core::hex_encode(tx::inscription_script(hash, "image/png", core::as_bytes(PNG)));
    const nlohmann::json chain_tx = {
        {"txid", T2},
        {"vout", {{{"n", 0}, {"value", 0.00000001}, {"scriptPubKey", {{"hex", script}, {"addresses", {m_ord}}}}}}}};
    FakeHttp history(by_url([&](const std::string& url) -> Answer {
        if (has(url, "/txos/")) return std::pair{500L, std::string("{\"message\": \"down\"}")};
        if (has(url, "/address/" + m_ord + "/unconfirmed/history"))
            return std::pair{200L, nlohmann::json::array({{{"tx_hash", T2}}}).dump()};
        if (has(url, "/tx/" + T2) && !has(url, "spent")) return std::pair{200L, chain_tx.dump()};
        return std::nullopt;
    }));
    EXPECT_EQ(scan(history, rows), std::nullopt);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].origin, T2 + "_0");
    EXPECT_TRUE(rows[0].from_history);
    EXPECT_EQ(rows[0].type, "image/png");
}

TEST_F(LotsTest, WalletSwitchDuringTheScanSavesNothingAndReportsIt)
{
    const std::string w1_before = read_text(wallet_rel("w1"));
    const std::string w2_before = read_text(wallet_rel("w2"));
    std::once_flag switched;
    FakeHttp http(by_url([&](const std::string& url) -> Answer {
        if (has(url, "/txos/address/")) {
            std::call_once(switched, [&] { (void)wallet::bind_wallet(ws(), "w2"); });
            if (has(url, m_ord + "/unspent?bsv20=false"))
                return std::pair{200L, nlohmann::json::array({file_txo(T1, 0, "image/png", m_ord)}).dump()};
            return std::pair{200L, std::string("[]")};
        }
        return std::nullopt;
    }));
    std::vector<wallet::TvPursaOrdRow> rows;
    EXPECT_EQ(scan(http, rows), wallet::WalletCode::WalletChanged);
    EXPECT_TRUE(rows.empty());
    EXPECT_EQ(read_text(wallet_rel("w2")), w2_before) << "the old wallet's ordinals must not land in the new wallet";
    EXPECT_EQ(read_text(wallet_rel("w1")), w1_before);
}

TEST_F(LotsTest, InboxEntriesJoinTheOwnedListOnce)
{
    const auto hash = *core::hash160_from_address(m_ord);
    write_json("ord_inbox/" + core::hex_encode(hash) + ".json",
               nlohmann::json::array({{{"origin", T3 + "_4"}, {"type", "image/png"}, {"name", "Sunset"}},
                                      {{"origin", "not an origin"}},
                                      {{"origin", T3 + "_5"}, {"amt", "7"}, {"id", TOKEN}}}));
    FakeHttp http(by_url([&](const std::string& url) -> Answer {
        if (has(url, "/txos/address/")) return std::pair{200L, std::string("[]")};
        return std::nullopt;
    }));
    std::vector<wallet::TvPursaOrdRow> rows;
    ASSERT_EQ(scan(http, rows), std::nullopt);
    auto doc = read_json(wallet_rel("w1"));
    ASSERT_EQ(doc["ord_owned"].size(), 2u);
    EXPECT_EQ(doc["ord_owned"][0]["name"], "Sunset");
    EXPECT_EQ(doc["ord_owned"][0]["address"], m_ord);
    EXPECT_EQ(doc["ord_owned"][1]["token_id"], TOKEN);
    EXPECT_EQ(doc["ord_owned"][1]["amt"], "7");
    EXPECT_FALSE(exists("ord_inbox/" + core::hex_encode(hash) + ".json"));
    ASSERT_EQ(scan(http, rows), std::nullopt);
    EXPECT_EQ(read_json(wallet_rel("w1"))["ord_owned"].size(), 2u);
}

TEST_F(LotsTest, NoWalletNoScan)
{
    wallet::unbind_wallet(ws());
    FakeHttp http(by_url([](const std::string&) { return std::nullopt; }));
    std::vector<wallet::TvPursaOrdRow> rows(2);
    EXPECT_EQ(scan(http, rows), wallet::WalletCode::NoWallet);
    EXPECT_TRUE(rows.empty());
    EXPECT_TRUE(http.requests().empty());
}

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
}

TEST_F(LotsTest, BalanceRefreshRaisesTheShownIndexOnAUsedAddress)
{
    std::string address3, identity;
    {
        wallet::WalletLock lock(ws());
        address3 = wallet::account_key(ws(), 1, 3)->address;
        identity = ws().state().identity_address;
    }
    int posts = 0;
    FakeHttp http(by_url([&](const std::string& url) -> Answer {
        if (!has(url, "/addresses/balance")) return std::nullopt;
        ++posts;
        return std::pair{200L, nlohmann::json::array({{{"address", address3}, {"balance", {{"confirmed", 7000}, {"unconfirmed", 0}}}},
                                                      {{"address", identity}, {"balance", {{"confirmed", 400}, {"unconfirmed", 100}}}}})
                                   .dump()};
    }));
    net::WocClient woc("http://woc", http);
    wallet::WalletSession& session = ws();
    EXPECT_FALSE(wallet::cached_balance(session).known);
    ASSERT_TRUE(wallet::refresh_wallet_balance(session, woc));
    EXPECT_EQ(posts, 3) << "a batch with the hit, an empty batch, then the balance";
    const auto balance = wallet::cached_balance(session);
    EXPECT_TRUE(balance.known);
    EXPECT_EQ(balance.sats, 7500);
    {
        wallet::WalletLock lock(ws());
        EXPECT_EQ(ws().state().shown, 3u);
        EXPECT_EQ(ws().state().recv_address, address3);
    }
    const auto doc = read_json(wallet_rel("w1"));
    EXPECT_EQ(doc["show"], 3);
    EXPECT_EQ(doc["recv"][1], 3);
    EXPECT_EQ(doc["address"], address3);
    const auto history = read_json("tx_hist/w1_face.json");
    ASSERT_EQ(history["points"].size(), 1u);
    EXPECT_EQ(history["points"][0]["sats"], 7500);

    // The cursor moved on: the next refresh scans from where this one stopped.
    posts = 0;
    ASSERT_TRUE(wallet::refresh_wallet_balance(session, woc));
    EXPECT_EQ(posts, 2);
    EXPECT_EQ(read_json("tx_hist/w1_face.json")["points"].size(), 1u) << "an unchanged balance adds no point";

    FakeHttp down(by_url([](const std::string&) { return std::pair{500L, std::string("{}")}; }));
    net::WocClient woc_down("http://woc", down);
    EXPECT_EQ(wallettest::failure_of(wallet::refresh_wallet_balance(session, woc_down)), wallet::WalletCode::BalanceUnreadable);
    EXPECT_EQ(wallet::cached_balance(session).sats, 7500) << "a failed refresh keeps the last balance";
}

TEST(LotRows, TokenRowsCombinePicturesStay)
{
    auto token_row = [](const std::string& txid, uint32_t vout, const std::string& amt, int64_t height) {
        wallet::TvPursaOrdRow r;
        r.txid = txid;
        r.vout = vout;
        r.origin = txid + "_" + std::to_string(vout);
        r.token_id = "tok_0";
        r.type = "bsv-20";
        r.amt = amt;
        r.height = height;
        r.outpoints = {r.origin};
        return r;
    };
    wallet::TvPursaOrdRow picture;
    picture.origin = "pp_0";
    picture.type = "image/png";
    std::vector<wallet::TvPursaOrdRow> rows = {token_row("cc", 1, "5", 10), picture, token_row("aa", 2, "10", 0),
                                               token_row("bb", 0, "", 12), picture};
    rows[2].name = "Gold";
    auto lots = wallet::combine_lot_rows(rows);
    ASSERT_EQ(lots.size(), 3u);
    EXPECT_EQ(lots[0].amt, "15");
    EXPECT_EQ(lots[0].name, "Gold");
    EXPECT_EQ(lots[0].height, 0) << "one unmined output makes the lot unmined";
    EXPECT_EQ(lots[0].outpoints, (std::vector<std::string>{"aa_2", "bb_0", "cc_1"}));
    EXPECT_EQ(lots[0].outputs, 3);
    EXPECT_TRUE(lots[1].is_picture());
    EXPECT_TRUE(lots[2].is_picture());
}

TEST(ContentSniffing, ByFirstBytes)
{
    EXPECT_EQ(wallet::sniff_content_type(PNG), "image/png");
    EXPECT_EQ(wallet::sniff_content_type(std::string("\xFF\xD8\xFF", 3)), "image/jpeg");
    EXPECT_EQ(wallet::sniff_content_type("RIFF0000WEBPVP8 "), "image/webp");
    EXPECT_EQ(wallet::sniff_content_type("GIF89a"), "image/gif");
    EXPECT_EQ(wallet::sniff_content_type("RIFF"), "image/webp");
    EXPECT_EQ(wallet::sniff_content_type(std::string("\x89P", 2)), "application/octet-stream");
    EXPECT_EQ(wallet::sniff_content_type("GI"), "application/octet-stream");
    EXPECT_EQ(wallet::sniff_content_type(""), "application/octet-stream");
}

} // namespace
