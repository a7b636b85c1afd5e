// Two traders, each in a data directory of their own, trade against one simulator through
// agoran-cli; every step is checked in the simulator's own indexes.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <future>
#include <map>
#include <set>
#include <sstream>

#include "book/post.h"
#include "core/base58.h"
#include "core/hex.h"
#include "funding/broadcast.h"
#include "funding/file_keys.h"
#include "net/market_addresses.h"
#include "tests/e2e/forger.h"
#include "tests/e2e/trader.h"
#include "trade/cancel_routine.h"
#include "trade/report_cipher.h"
#include "tx/bsv20.h"
#include "tx/inscription.h"
#include "core/key.h"
#include "tx/outpoint.h"
#include "tx/raw_tx.h"
#include "tx/sign.h"
#include "tx/script.h"
#include "tx/serialize.h"
#include "wallet/hd_derive.h"

namespace {

using e2e::Outcome;
using e2e::Trader;
using nlohmann::json;

constexpr int64_t PRICE_SATS = 1'000'000;  // 0.01 BSV for the whole lot

// Satoshis of an output of the simulator's WhatsOnChain transaction JSON ("value" is in BSV).
int64_t sats_of(const json& output)
{
    if (output.contains("valueSat") && output["valueSat"].is_number()) return output["valueSat"].get<int64_t>();
    return static_cast<int64_t>(output.value("value", 0.0) * 1e8 + 0.5);
}

class TradeEndToEnd : public testsupport::DevnetTest {
protected:
    void SetUp() override
    {
        testsupport::DevnetTest::SetUp();
        ASSERT_TRUE(m_devnet);
        alice = std::make_unique<Trader>("alice", devnet());
        bob = std::make_unique<Trader>("bob", devnet());
        ASSERT_TRUE(alice->open({3'000'000, 2'000'000}));
        ASSERT_TRUE(bob->open({3'000'000, 2'000'000}));
    }

    // The simulator's WhatsOnChain view of a transaction.
    json chain_tx(const std::string& txid) { return devnet().get("/woc/v1/bsv/main/tx/" + txid).json(); }

    bool spent(const std::string& outpoint)
    {
        auto o = tx::parse_outpoint(outpoint);
        auto reply = devnet().get("/woc/v1/bsv/main/tx/" + o->txid + "/" + std::to_string(o->vout) + "/spent");
        return reply.status == 200;
    }

    // Units of the token an address holds in valid unspent outputs, by outpoint.
    std::map<std::string, std::string> token_holdings(const std::string& address, const std::string& token_id)
    {
        std::map<std::string, std::string> out;
        json list = devnet().get("/ordinals/api/bsv20/" + address + "/id/" + token_id).json();
        if (!list.is_array()) return out;
        for (const auto& t : list) out[t.value("outpoint", "")] = t.value("amt", "");
        return out;
    }

    // Unspent outpoints of an address, as the simulator's WhatsOnChain lists them.
    std::set<std::string> coins_of(const std::string& address)
    {
        std::set<std::string> out;
        json list = devnet().get("/woc/v1/bsv/main/address/" + address + "/unspent/all").json();
        const json* items = list.is_object() && list.contains("result") ? &list["result"] : &list;
        if (!items->is_array()) return out;
        for (const auto& u : *items) {
            if (u.value("isSpentInMempoolTx", false)) continue;
            out.insert(u.value("tx_hash", "") + "_" + std::to_string(u.value("tx_pos", 0)));
        }
        return out;
    }

    // The lot of the wallet with this outpoint or id in `agoran-cli lots --json`.
    json lot_of(const Trader& t, const std::string& key)
    {
        json lots = t.lots();
        if (!lots.is_array()) return nullptr;
        for (const auto& l : lots) {
            if (l.value("outpoint", "") == key || l.value("id", "") == key) return l;
        }
        return nullptr;
    }

    // Lists a lot through agoran-cli and waits until the book shows it live. The listing id.
    std::string list(Trader& seller, const std::string& lot, const std::string& qty, const std::string& price_bsv)
    {
        Outcome r = seller.cli({"list", lot, "--qty", qty, "--price", price_bsv, "--note", "fresh from the mint"});
        EXPECT_EQ(r.code, 0) << r.out;
        std::string id = e2e::txid_of(r.last_line());
        EXPECT_FALSE(id.empty()) << r.out;
        return id;
    }

    // The one offer waiting on the seller's listings for this listing.
    json offer_on(Trader& seller, const std::string& listing_id)
    {
        json offers = seller.offers();
        if (!offers.is_array()) return nullptr;
        json found = nullptr;
        for (const auto& o : offers) {
            if (o.value("listing", "") == listing_id) found = o;
        }
        return found;
    }

    static std::string read_file(const std::filesystem::path& path)
    {
        std::ifstream file(path);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    std::string reserves_text(const Trader& t)
    {
        return read_file(t.data_dir() / "agoran" / ("reserves_" + t.wallet_id() + ".json"));
    }

    // The trader's offer locks file: its locked coins and its record of its offers.
    json offer_locks(const Trader& t)
    {
        auto path = t.data_dir() / "gallery" / ("offer_locks_" + funding::offer_lock_file_key(t.wallet_id()) + ".json");
        json doc = json::parse(read_file(path), nullptr, false);
        return doc.is_object() ? doc : json{{"utxos", json::array()}};
    }

    std::unique_ptr<Trader> alice;
    std::unique_ptr<Trader> bob;
};

TEST_F(TradeEndToEnd, TokenLotSellsInTwoParts)
{
    std::string token = devnet().mint(alice->ordinals_address(), "10", "TEN");
    ASSERT_FALSE(token.empty());
    std::string listing = list(*alice, token, "10", "0.01");
    ASSERT_FALSE(listing.empty());

    // The listing post pays the house fee first and the oracle second.
    json post_tx = chain_tx(listing);
    ASSERT_TRUE(post_tx.contains("vout"));
    EXPECT_EQ(sats_of(post_tx["vout"][0]), 1'000'000);
    EXPECT_EQ(post_tx["vout"][0]["scriptPubKey"]["addresses"][0], std::string(net::HOUSE_FEE_ADDRESS));
    EXPECT_EQ(sats_of(post_tx["vout"][1]), 1);
    EXPECT_EQ(post_tx["vout"][1]["scriptPubKey"]["addresses"][0], std::string(net::BOOK_ORACLE_ADDRESS));
    EXPECT_NE(reserves_text(*alice).find(listing), std::string::npos);

    // Bob offers on 3 of the 10.
    Outcome buy = bob->cli({"buy", listing, "--qty", "3"});
    ASSERT_EQ(buy.code, 0) << buy.out;
    json offer = offer_on(*alice, listing);
    ASSERT_TRUE(offer.is_object()) << buy.out;
    EXPECT_TRUE(offer["check"]["passes"].get<bool>()) << offer.dump();
    EXPECT_EQ(offer["check"]["due_sats"].get<uint64_t>(), 300'000u);

    Outcome done = alice->cli({"complete", offer["id"].get<std::string>()});
    ASSERT_EQ(done.code, 0) << done.out;
    std::string sale = e2e::txid_of(done.last_line());
    ASSERT_FALSE(sale.empty());

    // None of Bob's change became Alice's pending change.
    json pending = json::parse(read_file(alice->data_dir() / "ord_snap" / (alice->wallet_id() + "_change.json")), nullptr, false);
    ASSERT_TRUE(pending.is_object() && pending.contains("coins"));
    for (const auto& c : pending["coins"]) EXPECT_NE(c.value("addr", ""), bob->receive_address()) << c.dump();

    // Bob holds 3; Alice holds the other 7 in the sale's leftover output, now the reserve.
    auto bob_units = token_holdings(bob->ordinals_address(), token);
    ASSERT_EQ(bob_units.size(), 1u);
    EXPECT_EQ(bob_units.begin()->second, "3");
    auto alice_units = token_holdings(alice->ordinals_address(), token);
    ASSERT_EQ(alice_units.size(), 1u);
    EXPECT_EQ(alice_units.begin()->second, "7");
    EXPECT_EQ(alice_units.begin()->first.substr(0, 64), sale);
    EXPECT_NE(reserves_text(*alice).find(alice_units.begin()->first), std::string::npos);

    // The fill is on the book: 7 left at 70% of the price, on the new output.
    json live = bob->listing(listing);
    ASSERT_TRUE(live.is_object());
    EXPECT_EQ(live["status"], "live");
    EXPECT_EQ(live["qty"], "7");
    EXPECT_EQ(live["price_sats"].get<uint64_t>(), 700'000u);
    EXPECT_EQ(live["utxo"], alice_units.begin()->first);

    // The rest.
    Outcome rest = bob->cli({"buy", listing});
    ASSERT_EQ(rest.code, 0) << rest.out;
    json second = offer_on(*alice, listing);
    ASSERT_TRUE(second.is_object()) << rest.out;
    Outcome closed = alice->cli({"complete", second["id"].get<std::string>()});
    ASSERT_EQ(closed.code, 0) << closed.out;
    bob_units = token_holdings(bob->ordinals_address(), token);
    uint64_t total = 0;
    for (const auto& [outpoint, amt] : bob_units) total += std::stoull(amt);
    EXPECT_EQ(total, 10u);
    EXPECT_TRUE(token_holdings(alice->ordinals_address(), token).empty());
    EXPECT_TRUE(bob->listing(listing).is_null());
    EXPECT_EQ(reserves_text(*alice).find(listing), std::string::npos);

    // Alice was paid (two fills' worth above her fees), and her next payment goes through.
    Outcome balance = alice->cli({"balance"});
    EXPECT_EQ(balance.code, 0) << balance.out;
    std::string picture = devnet().inscribe(alice->ordinals_address(), "image/png", "png bytes");
    EXPECT_FALSE(list(*alice, picture, "1", "0.5").empty());
}

TEST_F(TradeEndToEnd, PictureSellsToTheBuyersOrdinalsAddress)
{
    std::string picture = devnet().inscribe(alice->ordinals_address(), "image/png", "a picture");
    ASSERT_FALSE(picture.empty());
    std::string listing = list(*alice, picture, "1", "0.02");
    ASSERT_FALSE(listing.empty());
    Outcome buy = bob->cli({"buy", listing});
    ASSERT_EQ(buy.code, 0) << buy.out;
    json offer = offer_on(*alice, listing);
    ASSERT_TRUE(offer.is_object());
    Outcome done = alice->cli({"complete", offer["id"].get<std::string>()});
    ASSERT_EQ(done.code, 0) << done.out;

    json held = devnet().get("/ordinals/api/txos/address/" + bob->ordinals_address() + "/unspent").json();
    ASSERT_TRUE(held.is_array());
    bool found = false;
    for (const auto& t : held) {
        if (t["origin"].is_object() && t["origin"].value("outpoint", "") == picture) found = true;
    }
    EXPECT_TRUE(found) << held.dump();
    // The price went to Alice's payment address.
    json sale = chain_tx(e2e::txid_of(done.last_line()));
    bool paid = false;
    for (const auto& out : sale["vout"]) {
        const auto& addresses = out["scriptPubKey"]["addresses"];
        if (addresses.is_array() && !addresses.empty() && addresses[0] == alice->receive_address() &&
            sats_of(out) >= 2'000'000)
            paid = true;
    }
    EXPECT_TRUE(paid) << sale.dump();
}

TEST_F(TradeEndToEnd, CancelledListingReleasesItsLot)
{
    std::string token = devnet().mint(alice->ordinals_address(), "5", "FIVE");
    std::string listing = list(*alice, token, "5", "0.01");
    ASSERT_FALSE(listing.empty());
    Outcome cancel = alice->cli({"cancel", listing});
    ASSERT_EQ(cancel.code, 0) << cancel.out;
    EXPECT_EQ(reserves_text(*alice).find(listing), std::string::npos);
    json gone = alice->listing(listing);
    EXPECT_TRUE(gone.is_null() || gone["status"] != "live");
    // The lot can be listed again.
    EXPECT_FALSE(list(*alice, token, "5", "0.01").empty());
}

TEST_F(TradeEndToEnd, SellingOutAListingOfPartOfALotFreesTheRest)
{
    std::string token = devnet().mint(alice->ordinals_address(), "10", "TEN");
    std::string listing = list(*alice, token, "4", "0.01");
    ASSERT_FALSE(listing.empty());
    Outcome buy = bob->cli({"buy", listing});
    ASSERT_EQ(buy.code, 0) << buy.out;
    json offer = offer_on(*alice, listing);
    ASSERT_TRUE(offer.is_object());
    Outcome complete = alice->cli({"complete", offer.value("id", "")});
    ASSERT_EQ(complete.code, 0) << complete.out;
    // The six units left are no longer held for the sold listing: they list again.
    EXPECT_EQ(reserves_text(*alice).find(listing), std::string::npos);
    EXPECT_FALSE(list(*alice, token, "6", "0.02").empty());
}

TEST_F(TradeEndToEnd, WithdrawnOfferCanNeverComplete)
{
    std::string token = devnet().mint(alice->ordinals_address(), "4", "FOUR");
    std::string listing = list(*alice, token, "4", "0.01");
    ASSERT_FALSE(listing.empty());
    Outcome buy = bob->cli({"buy", listing});
    ASSERT_EQ(buy.code, 0) << buy.out;
    json offer = offer_on(*alice, listing);
    ASSERT_TRUE(offer.is_object());
    std::string offer_id = offer["id"];

    // WhatsOnChain is down: no coin of the offer can be shown unspent and spent by the
    // withdrawal, so none is posted and the coins stay locked.
    const json locked = offer_locks(*bob)["utxos"];
    ASSERT_FALSE(locked.empty());
    devnet().fault("woc", {{"down", true}});
    Outcome outage = bob->cli({"cancel-offer", offer_id});
    devnet().clear_faults();
    EXPECT_NE(outage.code, 0);
    EXPECT_EQ(outage.last_line(), trade::COINS_UNANSWERED);
    EXPECT_EQ(offer_locks(*bob)["utxos"], locked);

    Outcome withdraw = bob->cli({"cancel-offer", offer_id});
    ASSERT_EQ(withdraw.code, 0) << withdraw.out;
    EXPECT_TRUE(offer_locks(*bob)["utxos"].empty());
    Outcome late = alice->cli({"complete", offer_id});
    EXPECT_NE(late.code, 0);
    EXPECT_EQ(late.last_line(), "error: the buyer spent those coins. Ask them to post a new offer.");
    EXPECT_FALSE(spent(token));

    // Bob's coins serve him again: a new offer goes through and completes.
    Outcome again = bob->cli({"buy", listing});
    ASSERT_EQ(again.code, 0) << again.out;
    json fresh = offer_on(*alice, listing);
    ASSERT_TRUE(fresh.is_object());
    Outcome done = alice->cli({"complete", fresh["id"].get<std::string>()});
    EXPECT_EQ(done.code, 0) << done.out;
}

TEST_F(TradeEndToEnd, SameOfferCompletedTwice)
{
    std::string token = devnet().mint(alice->ordinals_address(), "6", "SIX");
    std::string listing = list(*alice, token, "6", "0.01");
    ASSERT_FALSE(listing.empty());
    ASSERT_EQ(bob->cli({"buy", listing, "--qty", "2"}).code, 0);
    json offer = offer_on(*alice, listing);
    ASSERT_TRUE(offer.is_object());
    std::string offer_id = offer["id"];
    ASSERT_EQ(alice->cli({"complete", offer_id}).code, 0);
    Outcome twice = alice->cli({"complete", offer_id});
    EXPECT_NE(twice.code, 0);
    EXPECT_EQ(twice.last_line(), "error: this sale already went through.");
}

TEST_F(TradeEndToEnd, BuyerSpendsHisCoinsBeforeCompletion)
{
    std::string token = devnet().mint(alice->ordinals_address(), "3", "TRI");
    std::string listing = list(*alice, token, "3", "0.01");
    ASSERT_FALSE(listing.empty());
    ASSERT_EQ(bob->cli({"buy", listing}).code, 0);
    json offer = offer_on(*alice, listing);
    ASSERT_TRUE(offer.is_object());

    // Bob spends one of the offer's coins behind the program's back.
    auto raw = core::hex_decode(offer["offer"].get<std::string>());
    ASSERT_TRUE(raw);
    auto parsed = tx::parse_raw_tx(*raw);
    ASSERT_TRUE(parsed && parsed->inputs.size() >= 2);
    wallet::DerivedKey key = bob->key(wallet::account_path(wallet::RECEIVE_ACCOUNT, 0));
    auto hash = core::hash160_from_address(key.address);
    ASSERT_TRUE(hash);
    json prev = chain_tx(parsed->inputs[1].prev_txid());
    tx::TxInput coin;
    coin.txid = parsed->inputs[1].prev_txid();
    coin.vout = parsed->inputs[1].prev_index;
    coin.value = sats_of(prev["vout"][coin.vout]);
    coin.pub_key_hash = *hash;
    std::vector<tx::TxInput> inputs{coin};
    std::vector<tx::TxOutput> outputs{{coin.value - 500, tx::p2pkh_script(*hash)}};
    ASSERT_TRUE(tx::tx_sign_input(0, inputs, outputs, *hash, key.priv_hex.view(), key.pub_hex));
    auto sent = devnet().post("/woc/v1/bsv/main/tx/raw",
                              json{{"txhex", core::hex_encode(tx::tx_serialize(inputs, outputs))}}.dump());
    ASSERT_EQ(sent.status, 200) << sent.body;

    Outcome late = alice->cli({"complete", offer["id"].get<std::string>()});
    EXPECT_NE(late.code, 0);
    EXPECT_EQ(late.last_line(), "error: the buyer spent those coins. Ask them to post a new offer.");
    EXPECT_FALSE(spent(token));
}

// Offers built by hand and posted on the book: each is refused, nothing is signed, and the
// seller's coins and lot stay where they were.
TEST_F(TradeEndToEnd, HandBuiltOffersAreRefused)
{
    std::string token = devnet().mint(alice->ordinals_address(), "10", "TEN");
    std::string listing = list(*alice, token, "10", "0.01");
    std::string picture = devnet().inscribe(alice->ordinals_address(), "image/png", "only picture");
    std::string picture_listing = list(*alice, picture, "1", "0.01");
    ASSERT_FALSE(listing.empty());
    ASSERT_FALSE(picture_listing.empty());
    json token_record = bob->listing(listing);
    json picture_record = bob->listing(picture_listing);
    ASSERT_TRUE(token_record.is_object());
    ASSERT_TRUE(picture_record.is_object());

    e2e::Forger mallory("mallory", devnet());
    auto pay_hash = *core::hash160_from_address(alice->receive_address());
    std::set<std::string> alice_coins = coins_of(alice->receive_address());
    ASSERT_FALSE(alice_coins.empty());

    auto transfer = [&](const core::Hash160& to, const std::string& amt) {
        std::string body = tx::bsv20_transfer_json(token, amt);
        return tx::TxOutput{1, tx::inscription_script(to, tx::BSV20_CONTENT_TYPE, core::as_bytes(body))};
    };
    auto listed_input = [](const json& record) {
        auto o = tx::parse_outpoint(record["utxo"].get<std::string>());
        tx::TxInput in;
        in.txid = o->txid;
        in.vout = o->vout;
        return in;
    };
    // Posts the offer as an "ag_buy" of mallory's and asks Alice to complete it.
    auto offer_and_complete = [&](const json& record, std::vector<tx::TxInput> inputs,
                                  std::vector<tx::TxOutput> outputs) {
        for (size_t i = 0; i < inputs.size(); ++i) {
            if (inputs[i].pub_key_hash == mallory.hash()) {
                EXPECT_TRUE(mallory.sign(inputs, outputs, i));
            }
        }
        std::string hex = core::hex_encode(tx::tx_serialize(inputs, outputs));
        std::string id = mallory.publish({{"type", "ag_buy"},
                                          {"listing", record["id"]},
                                          {"qty", record["qty"]},
                                          {"pay_sats", record["price_sats"]},
                                          {"buyer_ord", mallory.address()},
                                          {"offer", hex}},
                                         false);
        return alice->cli({"complete", id});
    };

    // Underpays: one satoshi for the whole lot.
    Outcome underpaid = offer_and_complete(
        token_record, {listed_input(token_record), mallory.coin(50'000)},
        {{1, tx::p2pkh_script(pay_hash)}, transfer(mallory.hash(), "10"), {40'000, tx::p2pkh_script(mallory.hash())}});
    EXPECT_NE(underpaid.code, 0);
    EXPECT_NE(underpaid.last_line().find("the listing asks 0.01000000 BSV"), std::string::npos) << underpaid.out;

    // Diverts tokens: pays for 3 and keeps the other 7 as well.
    Outcome diverted = offer_and_complete(token_record, {listed_input(token_record), mallory.coin(500'000)},
                                      {{300'000, tx::p2pkh_script(pay_hash)},
                                       transfer(mallory.hash(), "3"),
                                       transfer(mallory.hash(), "7"),
                                       {190'000, tx::p2pkh_script(mallory.hash())}});
    EXPECT_NE(diverted.code, 0);
    EXPECT_NE(diverted.last_line().find("exactly one buyer output"), std::string::npos) << diverted.out;

    // Sends the picture back to the seller: price first, so the listed satoshi lands in it.
    Outcome back = offer_and_complete(
        picture_record, {listed_input(picture_record), mallory.coin(2'000'000)},
        {{1'000'000, tx::p2pkh_script(pay_hash)}, {1, tx::p2pkh_script(mallory.hash())}, {990'000, tx::p2pkh_script(mallory.hash())}});
    EXPECT_NE(back.code, 0);
    EXPECT_NE(back.last_line().find("leave the picture with this wallet"), std::string::npos) << back.out;

    // Adds one of Alice's own coins (her payment address is public) as a second unsigned input.
    auto taken = tx::parse_outpoint(*alice_coins.begin());
    tx::TxInput alice_coin;
    alice_coin.txid = taken->txid;
    alice_coin.vout = taken->vout;
    Outcome grabbed = offer_and_complete(picture_record, {listed_input(picture_record), mallory.coin(2'000'000), alice_coin},
                                     {{1, tx::p2pkh_script(mallory.hash())},
                                      {1'000'000, tx::p2pkh_script(pay_hash)},
                                      {3'000'000, tx::p2pkh_script(mallory.hash())}});
    EXPECT_NE(grabbed.code, 0);
    EXPECT_NE(grabbed.last_line().find("sign more than the listed lot"), std::string::npos) << grabbed.out;

    // Nothing was signed: the lots and Alice's coins are where they were.
    EXPECT_FALSE(spent(token_record["utxo"]));
    EXPECT_FALSE(spent(picture_record["utxo"]));
    for (const auto& c : alice_coins) EXPECT_FALSE(spent(c)) << c;
}

// Listings whose output does not hold what they claim: the buyer refuses before paying.
TEST_F(TradeEndToEnd, FakeListingsAreRefusedBeforePaying)
{
    std::string token = devnet().mint(alice->ordinals_address(), "10", "TEN");
    std::string picture = devnet().inscribe(alice->ordinals_address(), "image/png", "famous picture");
    e2e::Forger mallory("mallory", devnet());
    auto oracle_free = [&](const json& extra) {
        json post = {{"type", "ag_list"},
                     {"price_sats", 100'000},
                     {"note", "genuine, trust me"},
                     {"exp", 4'000'000'000},
                     {"pay_addr", mallory.address()},
                     {"ord_addr", mallory.address()}};
        for (auto it = extra.begin(); it != extra.end(); ++it) post[it.key()] = it.value();
        return mallory.publish(post, true);
    };

    // A plain 1-satoshi coin listed as the famous picture.
    tx::TxInput plain = mallory.coin(1);
    std::string fake_picture = oracle_free({{"origin", picture}, {"kind", "picture"}, {"qty", "1"},
                                            {"utxo", tx::format_outpoint(plain.txid, plain.vout)}});
    // A hand-made transfer inscription with no tokens behind it.
    tx::TxInput funding = mallory.coin(10'000);
    std::vector<tx::TxInput> inputs{funding};
    std::string body = tx::bsv20_transfer_json(token, "10");
    std::vector<tx::TxOutput> outputs{{1, tx::inscription_script(mallory.hash(), tx::BSV20_CONTENT_TYPE, core::as_bytes(body))},
                                      {9'000, tx::p2pkh_script(mallory.hash())}};
    ASSERT_TRUE(mallory.sign(inputs, outputs, 0));
    std::string empty_transfer = mallory.broadcast(inputs, outputs);
    ASSERT_FALSE(empty_transfer.empty());
    std::string fake_tokens = oracle_free({{"origin", token}, {"kind", "bsv21"}, {"qty", "10"},
                                           {"utxo", empty_transfer + "_0"}});
    ASSERT_FALSE(fake_picture.empty());
    ASSERT_FALSE(fake_tokens.empty());

    // Real lots under another's words: the book shows what the chain holds, and the words apart.
    std::string scribble = devnet().inscribe(mallory.address(), "image/png", "a scribble");
    std::string junk = devnet().mint(mallory.address(), "10", "JUNK");
    std::string bait_picture = oracle_free({{"origin", scribble}, {"kind", "picture"}, {"qty", "1"},
                                            {"utxo", scribble}, {"icon", picture}});
    std::string other_ticker = oracle_free({{"origin", junk}, {"kind", "bsv21"}, {"qty", "10"}, {"utxo", junk},
                                            {"sym", "TEN"}, {"name", "Ten"}});
    const json listed = bob->book();
    auto on_book = [&](const std::string& id) {
        for (const auto& l : listed) {
            if (l.value("id", "") == id) return l;
        }
        return json(nullptr);
    };
    json shown = on_book(bait_picture);
    ASSERT_TRUE(shown.is_object()) << listed.dump();
    EXPECT_EQ(shown["icon"], scribble);
    EXPECT_EQ(shown["seller_claims"]["icon"], picture);
    EXPECT_EQ(shown["claims_differ"], true);
    shown = on_book(other_ticker);
    ASSERT_TRUE(shown.is_object());
    EXPECT_EQ(shown["sym"], "JUNK");
    EXPECT_EQ(shown["chain_origin"], junk);
    EXPECT_EQ(shown["seller_claims"]["sym"], "TEN");
    EXPECT_EQ(shown["claims_differ"], true);
    EXPECT_NE(on_book(fake_picture)["icon"], picture);
    Outcome table = bob->cli({"book"});
    EXPECT_NE(table.out.find("JUNK  (seller's claims differ)"), std::string::npos) << table.out;

    std::set<std::string> before = coins_of(bob->receive_address());
    Outcome picture_buy = bob->cli({"buy", fake_picture});
    EXPECT_NE(picture_buy.code, 0);
    EXPECT_EQ(picture_buy.last_line(), "error: the listed lot does not hold the listed picture.");
    Outcome token_buy = bob->cli({"buy", fake_tokens});
    EXPECT_NE(token_buy.code, 0);
    EXPECT_EQ(token_buy.last_line().rfind("error: the listed lot does not hold 10 valid tokens", 0), 0u)
        << token_buy.out;
    EXPECT_EQ(coins_of(bob->receive_address()), before);
    EXPECT_FALSE(spent(fake_tokens.empty() ? "" : empty_transfer + "_0"));
}

// A seller whose clock runs ahead (or who dates a listing ahead on purpose): a listing dated
// more than ten minutes ahead is not offered on, and says from when it can be; one dated less is,
// with the offer stamped after it so that the book attaches it. An offer the book no longer
// shows is withdrawn from the buyer's own record.
TEST_F(TradeEndToEnd, ListingsDatedAheadAndOffersTheBookDoesNotShow)
{
    e2e::Forger mallory("mallory", devnet());
    const int64_t now = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    auto list_picture = [&](int64_t ts, const std::string& content) {
        std::string picture = devnet().inscribe(mallory.address(), "image/png", content);
        return mallory.publish({{"type", "ag_list"}, {"origin", picture}, {"kind", "picture"}, {"utxo", picture},
                                {"qty", "1"}, {"price_sats", 100'000}, {"note", "from the future"}, {"exp", 4'000'000'000},
                                {"pay_addr", mallory.address()}, {"ord_addr", mallory.address()}, {"ts", ts}},
                               true);
    };
    const std::string far = list_picture(now + 3600, "an hour ahead");
    const std::string near = list_picture(now + 300, "five minutes ahead");
    ASSERT_FALSE(far.empty());
    ASSERT_FALSE(near.empty());

    Outcome early = bob->cli({"buy", far});
    EXPECT_NE(early.code, 0);
    EXPECT_EQ(early.last_line().rfind("error: That listing is dated ahead of this computer's clock. You can offer on it from ", 0), 0u)
        << early.out;
    EXPECT_TRUE(offer_locks(*bob)["utxos"].empty());

    Outcome buy = bob->cli({"buy", near});
    ASSERT_EQ(buy.code, 0) << buy.out;
    const std::string offer_id = e2e::txid_of(buy.last_line());
    json listed = bob->listing(near);
    ASSERT_TRUE(listed.is_object());
    ASSERT_EQ(listed["offers"].size(), 1u) << listed.dump();
    EXPECT_EQ(listed["offers"][0]["id"], offer_id);

    // The seller takes the listing down: its offers leave the book, the buyer's coins stay locked.
    ASSERT_FALSE(mallory.publish({{"type", "ag_cancel"}, {"listing", near}, {"ts", now + 310}}, false).empty());
    listed = bob->listing(near);
    EXPECT_TRUE(listed.is_null() || listed["offers"].empty()) << listed.dump();
    const json coins = offer_locks(*bob)["utxos"];
    ASSERT_FALSE(coins.empty());

    Outcome withdraw = bob->cli({"cancel-offer", offer_id});
    ASSERT_EQ(withdraw.code, 0) << withdraw.out;
    EXPECT_TRUE(offer_locks(*bob)["utxos"].empty());
    EXPECT_TRUE(offer_locks(*bob)["offers"].empty());
    bool one_spent = false;
    for (const auto& c : coins) one_spent = one_spent || spent(c.get<std::string>());
    EXPECT_TRUE(one_spent);
}

// WhatsOnChain refuses every broadcast as "Missing inputs" (and answers nothing else) while the
// oracle index and ARC take them: each payment is made once, and the user is told it went out.
TEST_F(TradeEndToEnd, ABroadcastWhatsOnChainRefusesWhileOthersTakeItIsPaidOnce)
{
    const std::string architect_pub = *core::pubkey_from_privkey(std::string(63, '0') + "9");
    devnet().set_identity("architect", architect_pub);
    std::string token = devnet().mint(alice->ordinals_address(), "5", "FIVE");
    ASSERT_FALSE(lot_of(*alice, token).is_null());

    devnet().fault("woc", {{"status", 400}, {"body", "Missing inputs"}});
    Outcome report = alice->cli({"report", "a", "listing", "copies", "a", "picture"});
    Outcome listed = alice->cli({"list", token, "--qty", "5", "--price", "0.01", "--note", "sent anyway"});
    devnet().clear_faults();

    ASSERT_EQ(report.code, 0) << report.out;
    const std::string report_tx = e2e::txid_of(report.last_line());
    EXPECT_EQ(report.last_line(), "success: " + report_tx + std::string(funding::SENT_UNCONFIRMED));
    EXPECT_EQ(coins_of(std::string(net::REPORT_FEE_ADDRESS)).size(), 1u);
    EXPECT_TRUE(chain_tx(report_tx).contains("vout"));

    ASSERT_EQ(listed.code, 0) << listed.out;
    const std::string listing = e2e::txid_of(listed.last_line());
    ASSERT_FALSE(listing.empty()) << listed.out;
    EXPECT_EQ(coins_of(std::string(net::HOUSE_FEE_ADDRESS)).size(), 1u);
    json live = bob->listing(listing);
    ASSERT_TRUE(live.is_object());
    EXPECT_EQ(live["status"], "live");
    EXPECT_NE(reserves_text(*alice).find(listing), std::string::npos);
}

// Three agoran-cli of one wallet list at the same moment: every listing reaches the book and keeps
// its reserve, bound to it.
TEST_F(TradeEndToEnd, ThreeListingsOfOneWalletAtOnceKeepEveryReserve)
{
    for (int i = 0; i < 3; ++i) ASSERT_FALSE(devnet().fund(alice->receive_address(), 1'500'000).empty());
    std::vector<std::string> tokens;
    for (const char* sym : {"ONE", "TWO", "SIX"}) tokens.push_back(devnet().mint(alice->ordinals_address(), "5", sym));
    std::vector<std::future<Outcome>> runs;
    for (const auto& token : tokens) {
        runs.push_back(std::async(std::launch::async, [&, token] {
            return alice->cli({"list", token, "--qty", "5", "--price", "0.01", "--note", "at once"});
        }));
    }
    std::vector<std::string> listings;
    for (auto& run : runs) {
        Outcome r = run.get();
        EXPECT_EQ(r.code, 0) << r.out;
        listings.push_back(e2e::txid_of(r.last_line()));
    }
    json reserves = json::parse(reserves_text(*alice), nullptr, false);
    ASSERT_TRUE(reserves.is_object() && reserves["reserves"].is_array()) << reserves_text(*alice);
    EXPECT_EQ(reserves["reserves"].size(), 3u) << reserves.dump();
    for (size_t i = 0; i < tokens.size(); ++i) {
        bool bound = false;
        for (const auto& r : reserves["reserves"]) bound = bound || (r.value("utxo", "") == tokens[i] && r.value("listing", "") == listings[i]);
        EXPECT_TRUE(bound) << tokens[i] << " " << listings[i] << " " << reserves.dump();
        json live = bob->listing(listings[i]);
        EXPECT_TRUE(live.is_object() && live["status"] == "live") << listings[i];
    }
}

// A buyer whose money is one coin: the offer leaves a coin apart for the post that carries it,
// and the first attempt goes through.
TEST_F(TradeEndToEnd, ABuyerWithOneCoinOffersAtTheFirstAttempt)
{
    Trader carol("carol", devnet());
    ASSERT_TRUE(carol.open({5'000'000}));
    std::string token = devnet().mint(alice->ordinals_address(), "4", "FOUR");
    std::string listing = list(*alice, token, "4", "0.01");
    ASSERT_FALSE(listing.empty());
    Outcome buy = carol.cli({"buy", listing});
    ASSERT_EQ(buy.code, 0) << buy.out;
    json offer = offer_on(*alice, listing);
    ASSERT_TRUE(offer.is_object());
    EXPECT_TRUE(offer["check"]["passes"].get<bool>()) << offer.dump();
}

// An architect cancels a listing by force: the seller's agoran-cli frees the lot on its next
// look at the book, lists it again, and is told plainly that the old listing is closed.
TEST_F(TradeEndToEnd, AfterAForceCancelTheSellerListsTheLotAgain)
{
    e2e::Forger architect("warden", devnet());
    devnet().set_architects({architect.pubkey()});
    std::string token = devnet().mint(alice->ordinals_address(), "5", "FIVE");
    std::string listing = list(*alice, token, "5", "0.01");
    ASSERT_FALSE(listing.empty());
    ASSERT_FALSE(architect.publish({{"type", "ag_force_cancel"}, {"listing", listing}}, false).empty());
    ASSERT_EQ(bob->listing(listing)["status"], "force_cancelled");

    std::string again = list(*alice, token, "5", "0.01");
    EXPECT_FALSE(again.empty());
    EXPECT_EQ(reserves_text(*alice).find(listing), std::string::npos);
    Outcome cancel = alice->cli({"cancel", listing});
    EXPECT_NE(cancel.code, 0);
    EXPECT_EQ(cancel.last_line(), "error: That listing is already closed.");
}

// The seller's signed listing copied into someone else's transactions (once at a price of one
// satoshi, once unchanged), or rewritten by a chain service that lies about it, and offers of
// one satoshi for the whole lot on each: the seller refuses every one, also when a request to
// the oracle index fails, and broadcasts nothing.
TEST_F(TradeEndToEnd, ForgedTermsAreRefusedAndNothingIsBroadcast)
{
    std::string token = devnet().mint(alice->ordinals_address(), "10", "TEN");
    std::string listing = list(*alice, token, "10", "0.01");
    ASSERT_FALSE(listing.empty());
    std::optional<json> post = book::read_post_from_tx(chain_tx(listing));
    ASSERT_TRUE(post && post->contains("blob") && post->contains("id")) << (post ? post->dump() : "no post");
    const std::set<std::string> alice_coins = coins_of(alice->receive_address());

    e2e::Forger mallory("mallory", devnet());
    const auto pay_hash = *core::hash160_from_address(alice->receive_address());
    auto one_sat_offer = [&](const std::string& on) {
        auto listed = tx::parse_outpoint(token);
        tx::TxInput lot;
        lot.txid = listed->txid;
        lot.vout = listed->vout;
        std::vector<tx::TxInput> inputs{lot, mallory.coin(50'000)};
        std::string body = tx::bsv20_transfer_json(token, "10");
        std::vector<tx::TxOutput> outputs{
            {1, tx::p2pkh_script(pay_hash)},
            {1, tx::inscription_script(mallory.hash(), tx::BSV20_CONTENT_TYPE, core::as_bytes(body))},
            {49'000, tx::p2pkh_script(mallory.hash())}};
        EXPECT_TRUE(mallory.sign(inputs, outputs, 1));
        return mallory.publish({{"type", "ag_buy"}, {"listing", on}, {"qty", "10"}, {"pay_sats", 1},
                                {"buyer_ord", mallory.address()},
                                {"offer", core::hex_encode(tx::tx_serialize(inputs, outputs))}},
                               false);
    };
    json cheap = *post;
    cheap["price_sats"] = 1;  // its blob still says 1,000,000
    const std::string repriced = mallory.copy(cheap, true);
    const std::string replayed = mallory.copy(*post, true);
    ASSERT_FALSE(repriced.empty());
    ASSERT_FALSE(replayed.empty());
    for (const std::string& on : {repriced, replayed, listing}) {
        std::string offer = one_sat_offer(on);
        devnet().fault("registry", {{"rate_limit_next", 1}});  // the oracle index's first page fails
        Outcome done = alice->cli({"complete", offer});
        devnet().clear_faults();
        EXPECT_NE(done.code, 0) << on << "\n" << done.out;

        // A chain service that rewrites the price inside the post it serves, to a reader that
        // has not read the post before.
        std::filesystem::remove_all(alice->data_dir() / "agoran" / "tx_cache");
        const std::string from = core::hex_encode(core::as_bytes("\"price_sats\":1000000"));
        const std::string to = core::hex_encode(core::as_bytes("\"price_sats\":      1"));
        for (const char* service : {"woc", "registry"}) devnet().fault(service, {{"rewrite_from", from}, {"rewrite_to", to}});
        Outcome lied = alice->cli({"complete", offer});
        devnet().clear_faults();
        EXPECT_NE(lied.code, 0) << on << "\n" << lied.out;
    }
    EXPECT_FALSE(spent(token));
    EXPECT_EQ(coins_of(alice->receive_address()), alice_coins);

    // The copy at another price never reaches the book; the listing keeps its own price.
    EXPECT_TRUE(bob->listing(repriced).is_null());
    json original = bob->listing(listing);
    ASSERT_TRUE(original.is_object());
    EXPECT_EQ(original["price_sats"].get<uint64_t>(), 1'000'000u);
}

// Two agoran-cli processes of one wallet posting at the same moment: both posts reach the book.
TEST_F(TradeEndToEnd, TwoProcessesPostingAtOnceBothReachTheBook)
{
    std::string first_lot = devnet().mint(alice->ordinals_address(), "5", "ONE");
    std::string second_lot = devnet().mint(alice->ordinals_address(), "5", "TWO");
    std::string first = list(*alice, first_lot, "5", "0.01");
    std::string second = list(*alice, second_lot, "5", "0.01");
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    for (int i = 0; i < 2; ++i) ASSERT_FALSE(devnet().fund(alice->receive_address(), 200'000).empty());

    auto cancel = [&](const std::string& id) { return std::async(std::launch::async, [&, id] { return alice->cli({"cancel", id}); }); };
    auto a = cancel(first);
    auto b = cancel(second);
    Outcome ra = a.get();
    Outcome rb = b.get();
    EXPECT_EQ(ra.code, 0) << ra.out;
    EXPECT_EQ(rb.code, 0) << rb.out;
    for (const std::string& id : {first, second}) {
        json shown = bob->listing(id);
        ASSERT_TRUE(shown.is_object()) << id;
        EXPECT_EQ(shown["status"], "cancelled") << id;
    }
}

TEST_F(TradeEndToEnd, ReportReachesTheArchitect)
{
    const std::string architect_priv = std::string(63, '0') + "9";
    auto architect_pub = core::pubkey_from_privkey(architect_priv);
    ASSERT_TRUE(architect_pub);
    devnet().set_identity("architect", *architect_pub);

    Outcome sent = alice->cli({"report", "listing", "abc", "copies", "a", "picture"});
    ASSERT_EQ(sent.code, 0) << sent.out;
    json opened = devnet().admin("/reports/open", {{"key", architect_priv}});
    ASSERT_TRUE(opened.contains("reports")) << opened.dump();
    ASSERT_EQ(opened["reports"].size(), 1u) << opened.dump();
    const json& report = opened["reports"][0];
    EXPECT_EQ(report.value("text", ""), "listing abc copies a picture");
    EXPECT_EQ(report.value("handle", ""), "alice");
    wallet::DerivationPath message_path{44 | wallet::HARDENED, 236 | wallet::HARDENED, 101 | wallet::HARDENED, 0, 0};
    EXPECT_EQ(report.value("from_key", ""), alice->key(message_path).pub_hex);

    // The wrong key opens nothing.
    json wrong = devnet().admin("/reports/open", {{"key", std::string(63, '0') + "8"}});
    ASSERT_EQ(wrong["reports"].size(), 1u);
    EXPECT_FALSE(wrong["reports"][0].contains("text"));
}

} // namespace
