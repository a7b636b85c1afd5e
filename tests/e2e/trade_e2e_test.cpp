// Two traders in data directories of their own, each command an agoran-cli process, against one
// simulator: a trade once through, and forgeries each side refuses at the program's boundary,
// with the exit codes and the sentences the program prints, checked in the simulator's own
// indexes. The trade rules themselves are tested in depth in process by the trade suite.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "book/post.h"
#include "core/base58.h"
#include "core/hex.h"
#include "core/market_clock.h"
#include "tests/e2e/trader.h"
#include "tx/outpoint.h"
#include "tx/script.h"
#include "tx/serialize.h"

namespace {

using e2e::Outcome;
using e2e::Trader;
using nlohmann::json;

class TradeEndToEnd : public testsupport::DevnetTest {
protected:
    void SetUp() override
    {
        testsupport::DevnetTest::SetUp();
        ASSERT_TRUE(m_devnet);
        alice = std::make_unique<Trader>("alice", devnet(), moments);
        bob = std::make_unique<Trader>("bob", devnet(), moments);
        ASSERT_TRUE(alice->open({3'000'000, 2'000'000}));
        ASSERT_TRUE(bob->open({3'000'000, 2'000'000}));
    }

    // Units of the token an address holds in valid unspent outputs, by outpoint.
    std::map<std::string, std::string> token_holdings(const std::string& address, const std::string& token_id)
    {
        std::map<std::string, std::string> out;
        json list = devnet().get("/ordinals/api/bsv20/" + address + "/id/" + token_id).json();
        for (const auto& t : list.is_array() ? list : json::array()) out[t.value("outpoint", "")] = t.value("amt", "");
        return out;
    }

    // Unspent outpoints of an address, as the simulator's WhatsOnChain lists them.
    std::set<std::string> coins_of(const std::string& address)
    {
        std::set<std::string> out;
        json list = devnet().get("/woc/v1/bsv/main/address/" + address + "/unspent/all").json();
        const json* items = list.is_object() && list.contains("result") ? &list["result"] : &list;
        for (const auto& u : items->is_array() ? *items : json::array()) {
            if (!u.value("isSpentInMempoolTx", false)) out.insert(u.value("tx_hash", "") + "_" + std::to_string(u.value("tx_pos", 0)));
        }
        return out;
    }

    // The program refused with exit status 1 and this sentence last.
    static void refused(const Outcome& r, const std::string& sentence)
    {
        EXPECT_EQ(r.code, 1) << r.out;
        EXPECT_EQ(r.last_line(), sentence) << r.out;
    }

    std::string reserves_text(const Trader& t)
    {
        std::ifstream file(t.data_dir() / "agoran" / ("reserves_" + t.wallet_id() + ".json"));
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    e2e::Moments moments;
    std::unique_ptr<Trader> alice;
    std::unique_ptr<Trader> bob;
};

// Three of a lot of ten sold (completed once, refused the second time) and checked in the
// indexes, the book and the seller's reserves. Then forgeries: the seller's signed listing
// copied into someone else's transaction at a price of one satoshi, and one-satoshi offers on
// the copy and on the listing itself, which the seller refuses without broadcasting; listings a
// buyer refuses before paying (a plain coin claimed as a picture, a transfer with no tokens
// behind it, a listing dated an hour ahead) or shows apart (another token under its ticker).
TEST_F(TradeEndToEnd, ABuyerAndASellerTradeOnceAndForgeriesAreRefused)
{
    std::string token = devnet().mint(alice->ordinals_address(), "10", "TEN");
    ASSERT_FALSE(token.empty());
    Outcome listed = alice->cli({"list", token, "--qty", "8", "--price", "0.01", "--note", "fresh from the mint"});
    ASSERT_EQ(listed.code, 0) << listed.out;
    const std::string listing = e2e::txid_of(listed.last_line());
    ASSERT_FALSE(listing.empty()) << listed.out;
    EXPECT_NE(reserves_text(*alice).find(listing), std::string::npos);

    Outcome bought = bob->cli({"buy", listing, "--qty", "3"});
    ASSERT_EQ(bought.code, 0) << bought.out;
    json offer = nullptr;
    json offers = alice->offers();
    for (const auto& o : offers.is_array() ? offers : json::array()) {
        if (o.value("listing", "") == listing) offer = o;
    }
    ASSERT_TRUE(offer.is_object()) << offers.dump();
    EXPECT_TRUE(offer["check"]["passes"].get<bool>()) << offer.dump();
    EXPECT_EQ(offer["check"]["due_sats"].get<uint64_t>(), 375'000u);
    Outcome done = alice->cli({"complete", offer.value("id", "")});
    ASSERT_EQ(done.code, 0) << done.out;
    const std::string sale = e2e::txid_of(done.last_line());
    refused(alice->cli({"complete", offer.value("id", "")}), "error: this sale already went through.");
    // None of Bob's change became Alice's pending change.
    std::ifstream change_file(alice->data_dir() / "ord_snap" / (alice->wallet_id() + "_change.json"));
    const json pending = json::parse(std::string(std::istreambuf_iterator<char>(change_file), {}), nullptr, false);
    ASSERT_TRUE(pending.is_object() && pending.contains("coins"));
    for (const auto& c : pending["coins"]) EXPECT_NE(c.value("addr", ""), bob->receive_address()) << c.dump();

    // Bob holds 3; Alice holds the other 7 in the sale's leftover output, now the reserve.
    auto bob_units = token_holdings(bob->ordinals_address(), token);
    ASSERT_EQ(bob_units.size(), 1u);
    EXPECT_EQ(bob_units.begin()->second, "3");
    const auto alice_units = token_holdings(alice->ordinals_address(), token);
    ASSERT_EQ(alice_units.size(), 1u);
    const std::string rest = alice_units.begin()->first;
    EXPECT_EQ(alice_units.begin()->second, "7");
    EXPECT_EQ(rest.substr(0, 64), sale);
    EXPECT_NE(reserves_text(*alice).find(rest), std::string::npos);

    // The fill is on the book: 5 left at 5/8 of the price, on the new output.
    json live = bob->listing(listing);
    ASSERT_TRUE(live.is_object());
    EXPECT_EQ(live["status"], "live");
    EXPECT_EQ(live["qty"], "5");
    EXPECT_EQ(live["price_sats"], 625'000);
    EXPECT_EQ(live["utxo"], rest);

    // The seller's forgeries: a copy of the listing at one satoshi, one-satoshi offers on it and
    // on the listing itself (also while the oracle index's first page fails).
    std::optional<json> post = book::read_post_from_tx(devnet().get("/woc/v1/bsv/main/tx/" + listing).json());
    ASSERT_TRUE(post && post->contains("blob")) << (post ? post->dump() : "no post");
    const std::set<std::string> alice_coins = coins_of(alice->receive_address());
    e2e::Forger mallory("mallory", devnet(), moments);
    json cheap = *post;
    cheap["price_sats"] = 1;  // its blob still says 1,000,000
    const std::string repriced = mallory.copy(cheap, true);
    ASSERT_FALSE(repriced.empty());
    const auto pay_hash = *core::hash160_from_address(alice->receive_address());
    const auto lot = tx::parse_outpoint(rest);
    for (const std::string& on : {repriced, listing}) {
        tx::TxInput listed_input;
        listed_input.txid = lot->txid;
        listed_input.vout = lot->vout;
        std::vector<tx::TxInput> inputs{listed_input, mallory.coin(50'000)};
        std::vector<tx::TxOutput> outputs{{1, tx::p2pkh_script(pay_hash)}, mallory.transfer(token, "5"),
                                          {49'000, tx::p2pkh_script(mallory.hash())}};
        ASSERT_TRUE(mallory.sign(inputs, outputs, 1));
        const std::string forged = mallory.publish({{"type", "ag_buy"}, {"listing", on}, {"qty", "5"}, {"pay_sats", 1},
                                                    {"buyer_ord", mallory.address()},
                                                    {"offer", core::hex_encode(tx::tx_serialize(inputs, outputs))}},
                                                   false);
        devnet().fault("registry", {{"rate_limit_next", 1}});
        Outcome refused_forgery = alice->cli({"complete", forged});
        devnet().clear_faults();
        EXPECT_NE(refused_forgery.code, 0) << on << "\n" << refused_forgery.out;
    }
    EXPECT_EQ(token_holdings(alice->ordinals_address(), token), alice_units);
    EXPECT_EQ(coins_of(alice->receive_address()), alice_coins);
    EXPECT_TRUE(bob->listing(repriced).is_null());
    EXPECT_EQ(bob->listing(listing).value("price_sats", uint64_t{0}), 625'000u);

    // The buyer's forgeries: a plain 1-satoshi coin listed as a picture, and a listing dated an
    // hour ahead (one dated five minutes ahead may be offered on).
    auto oracle_free = [&](const json& extra) {
        json p = {{"type", "ag_list"}, {"price_sats", 100'000}, {"note", "genuine, trust me"}, {"exp", 4'000'000'000},
                  {"pay_addr", mallory.address()}, {"ord_addr", mallory.address()}, {"kind", "picture"}, {"qty", "1"}};
        for (auto it = extra.begin(); it != extra.end(); ++it) p[it.key()] = it.value();
        return mallory.publish(p, true);
    };
    const std::string picture = devnet().inscribe(alice->ordinals_address(), "image/png", "famous picture");
    tx::TxInput plain = mallory.coin(1);
    const std::string fake_picture = oracle_free({{"origin", picture}, {"utxo", tx::format_outpoint(plain.txid, plain.vout)}});
    const int64_t now = moments.next();
    auto dated = [&](int64_t ts, const std::string& content) {
        std::string own = devnet().inscribe(mallory.address(), "image/png", content);
        return oracle_free({{"origin", own}, {"utxo", own}, {"ts", ts}});
    };
    const std::string far = dated(now + 3600, "an hour ahead");
    const std::string near = dated(now + 300, "five minutes ahead");
    // A hand-made transfer inscription with no tokens behind it, listed as ten of the token;
    // a real lot of another token listed under its ticker.
    std::vector<tx::TxInput> inputs{mallory.coin(10'000)};
    std::vector<tx::TxOutput> outputs{mallory.transfer(token, "10"), {9'000, tx::p2pkh_script(mallory.hash())}};
    ASSERT_TRUE(mallory.sign(inputs, outputs, 0));
    const std::string empty_transfer = mallory.broadcast(inputs, outputs);
    const std::string fake_tokens = oracle_free({{"origin", token}, {"kind", "bsv21"}, {"qty", "10"}, {"utxo", empty_transfer + "_0"}});
    const std::string junk = devnet().mint(mallory.address(), "10", "JUNK");
    const std::string other_ticker = oracle_free({{"origin", junk}, {"kind", "bsv21"}, {"qty", "10"}, {"utxo", junk}, {"sym", "TEN"}});
    ASSERT_FALSE(fake_picture.empty() || far.empty() || near.empty() || fake_tokens.empty() || other_ticker.empty());
    Outcome table = bob->cli({"book"});
    EXPECT_NE(table.out.find("JUNK  (seller's claims differ)"), std::string::npos) << table.out;
    const std::set<std::string> bob_coins = coins_of(bob->receive_address());
    refused(bob->cli({"buy", fake_picture}), "error: the listed lot does not hold the listed picture.");
    Outcome token_buy = bob->cli({"buy", fake_tokens});
    EXPECT_EQ(token_buy.code, 1);
    EXPECT_EQ(token_buy.last_line().rfind("error: the listed lot does not hold 10 valid tokens", 0), 0u) << token_buy.out;
    refused(bob->cli({"buy", far}), "error: That listing is dated ahead of this computer's clock. You can offer on it from " +
                                        core::utc_minute_text(now + 3000) + " UTC.");
    EXPECT_EQ(coins_of(bob->receive_address()), bob_coins);
    Outcome near_buy = bob->cli({"buy", near});
    ASSERT_EQ(near_buy.code, 0) << near_buy.out;
    json near_listing = bob->listing(near);
    ASSERT_TRUE(near_listing.is_object());
    ASSERT_EQ(near_listing["offers"].size(), 1u) << near_listing.dump();
    EXPECT_EQ(near_listing["offers"][0]["id"], e2e::txid_of(near_buy.last_line()));
}

} // namespace
