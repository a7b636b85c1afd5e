// Traders in data directories of their own, each command an agoran-cli process, against one
// simulator: a whole trade, programs of one wallet posting at once, and what the programs must
// refuse at their boundary (forged terms, fake lots, closed listings), with the exit codes and
// the sentences they print. Every step is checked in the simulator's own indexes. The trade
// rules themselves are tested in depth in process by the trade suite.
#include <gtest/gtest.h>

#include <fstream>
#include <future>
#include <map>
#include <set>
#include <sstream>

#include "book/post.h"
#include "core/base58.h"
#include "core/hex.h"
#include "core/key.h"
#include "core/market_clock.h"
#include "funding/file_keys.h"
#include "tests/e2e/trader.h"
#include "tx/outpoint.h"
#include "tx/script.h"
#include "tx/serialize.h"
#include "wallet/hd_derive.h"

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

    bool spent(const std::string& outpoint)
    {
        auto o = tx::parse_outpoint(outpoint);
        return o && devnet().get("/woc/v1/bsv/main/tx/" + o->txid + "/" + std::to_string(o->vout) + "/spent").status == 200;
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

    // Lists a lot through agoran-cli. The listing id.
    std::string list(Trader& seller, const std::string& lot, const std::string& qty, const std::string& price_bsv)
    {
        Outcome r = seller.cli({"list", lot, "--qty", qty, "--price", price_bsv, "--note", "fresh from the mint"});
        EXPECT_EQ(r.code, 0) << r.out;
        std::string id = e2e::txid_of(r.last_line());
        EXPECT_FALSE(id.empty()) << r.out;
        return id;
    }

    // Offers through agoran-cli; the offer as the seller Alice's agoran-cli offers --json shows it.
    json buy(Trader& buyer, const std::string& listing_id, std::vector<std::string> qty = {})
    {
        std::vector<std::string> args{"buy", listing_id};
        args.insert(args.end(), qty.begin(), qty.end());
        Outcome r = buyer.cli(args);
        EXPECT_EQ(r.code, 0) << r.out;
        json offers = alice->offers();
        json found = nullptr;
        for (const auto& o : offers.is_array() ? offers : json::array()) {
            if (o.value("listing", "") == listing_id) found = o;
        }
        EXPECT_TRUE(found.is_object()) << r.out;
        return found;
    }

    // Completes through the seller's agoran-cli: exit code 0 and a txid, else a test failure.
    std::string complete(Trader& seller, const json& offer)
    {
        Outcome done = seller.cli({"complete", offer.is_object() ? offer.value("id", "") : ""});
        EXPECT_EQ(done.code, 0) << done.out;
        return e2e::txid_of(done.last_line());
    }

    // The program refused with exit status 1 and this sentence last.
    static void refused(const Outcome& r, const std::string& sentence)
    {
        EXPECT_EQ(r.code, 1) << r.out;
        EXPECT_EQ(r.last_line(), sentence) << r.out;
    }

    // Units of the token the trader holds in valid unspent outputs.
    uint64_t units(const Trader& t, const std::string& token_id)
    {
        uint64_t total = 0;
        for (const auto& [outpoint, amt] : token_holdings(t.ordinals_address(), token_id)) total += std::stoull(amt);
        return total;
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

    e2e::Moments moments;
    std::unique_ptr<Trader> alice;
    std::unique_ptr<Trader> bob;
};

// A whole trade: eight of a lot of ten listed and sold in two parts (the first completed twice,
// the second only after an offer the buyer withdrew was refused), checked in the simulator's
// indexes, the book and the seller's reserves after each part; then the two units never listed
// list again, and the seller pays again.
TEST_F(TradeEndToEnd, ATokenLotSellsInTwoPartsAndAWithdrawnOfferNeverCompletes)
{
    std::string token = devnet().mint(alice->ordinals_address(), "10", "TEN");
    ASSERT_FALSE(token.empty());
    std::string listing = list(*alice, token, "8", "0.01");
    ASSERT_FALSE(listing.empty());
    EXPECT_NE(reserves_text(*alice).find(listing), std::string::npos);

    json offer = buy(*bob, listing, {"--qty", "3"});
    ASSERT_TRUE(offer.is_object());
    EXPECT_TRUE(offer["check"]["passes"].get<bool>()) << offer.dump();
    EXPECT_EQ(offer["check"]["due_sats"].get<uint64_t>(), 375'000u);
    std::string sale = complete(*alice, offer);
    ASSERT_FALSE(sale.empty());
    refused(alice->cli({"complete", offer.value("id", "")}), "error: this sale already went through.");
    // None of Bob's change became Alice's pending change.
    json pending = json::parse(read_file(alice->data_dir() / "ord_snap" / (alice->wallet_id() + "_change.json")), nullptr, false);
    ASSERT_TRUE(pending.is_object() && pending.contains("coins"));
    for (const auto& c : pending["coins"]) EXPECT_NE(c.value("addr", ""), bob->receive_address()) << c.dump();

    // Bob holds 3; Alice holds the other 7 in the sale's leftover output, now the reserve.
    EXPECT_EQ(units(*bob, token), 3u);
    auto alice_units = token_holdings(alice->ordinals_address(), token);
    ASSERT_EQ(alice_units.size(), 1u);
    EXPECT_EQ(alice_units.begin()->second, "7");
    EXPECT_EQ(alice_units.begin()->first.substr(0, 64), sale);
    EXPECT_NE(reserves_text(*alice).find(alice_units.begin()->first), std::string::npos);

    // The fill is on the book: 5 left at 5/8 of the price, on the new output.
    json live = bob->listing(listing);
    ASSERT_TRUE(live.is_object());
    EXPECT_EQ(live["status"], "live");
    EXPECT_EQ(live["qty"], "5");
    EXPECT_EQ(live["price_sats"], 625'000);
    EXPECT_EQ(live["utxo"], alice_units.begin()->first);

    // An offer on the rest, withdrawn: its coins are free again and it can never complete.
    json withdrawn = buy(*bob, listing);
    ASSERT_TRUE(withdrawn.is_object());
    ASSERT_FALSE(offer_locks(*bob)["utxos"].empty());
    Outcome withdraw = bob->cli({"cancel-offer", withdrawn.value("id", "")});
    ASSERT_EQ(withdraw.code, 0) << withdraw.out;
    EXPECT_TRUE(offer_locks(*bob)["utxos"].empty());
    refused(alice->cli({"complete", withdrawn.value("id", "")}),
            "error: the buyer spent those coins. Ask them to post a new offer.");
    EXPECT_FALSE(spent(alice_units.begin()->first));

    ASSERT_FALSE(complete(*alice, buy(*bob, listing)).empty());
    EXPECT_EQ(units(*bob, token), 8u);
    EXPECT_TRUE(bob->listing(listing).is_null());
    EXPECT_EQ(reserves_text(*alice).find(listing), std::string::npos);
    alice_units = token_holdings(alice->ordinals_address(), token);
    ASSERT_EQ(alice_units.size(), 1u);
    EXPECT_EQ(alice_units.begin()->second, "2");
    EXPECT_FALSE(list(*alice, token, "2", "0.02").empty());

    // Alice's next payment goes through: an encrypted report only the architect's key opens,
    // sealed with the wallet's message key (m/44'/236'/101'/0/0).
    const std::string architect_priv = std::string(63, '0') + "9";
    devnet().set_identity("architect", *core::pubkey_from_privkey(architect_priv));
    Outcome sent = alice->cli({"report", "listing", "abc", "copies", "a", "picture"});
    ASSERT_EQ(sent.code, 0) << sent.out;
    json opened = devnet().admin("/reports/open", {{"key", architect_priv}});
    ASSERT_EQ(opened["reports"].size(), 1u) << opened.dump();
    EXPECT_EQ(opened["reports"][0].value("text", ""), "listing abc copies a picture");
    EXPECT_EQ(opened["reports"][0].value("handle", ""), "alice");
    wallet::DerivationPath message_path{44 | wallet::HARDENED, 236 | wallet::HARDENED, 101 | wallet::HARDENED, 0, 0};
    EXPECT_EQ(opened["reports"][0].value("from_key", ""), alice->key(message_path).pub_hex);
    json wrong = devnet().admin("/reports/open", {{"key", std::string(63, '0') + "8"}});
    ASSERT_EQ(wrong["reports"].size(), 1u);
    EXPECT_FALSE(wrong["reports"][0].contains("text"));
}

// agoran-cli processes of one wallet posting at the same moment: three listings, each keeping
// its reserve bound to it, then two cancellations; every post reaches the book, and a cancelled
// listing's lot lists again.
TEST_F(TradeEndToEnd, ProgramsOfOneWalletPostingAtOnceAndListingsClosedByOthers)
{
    for (int i = 0; i < 3; ++i) ASSERT_FALSE(devnet().fund(alice->receive_address(), 1'500'000).empty());
    std::vector<std::string> tokens;
    for (const char* sym : {"ONE", "TWO", "SIX"}) tokens.push_back(devnet().mint(alice->ordinals_address(), "5", sym));
    auto at_once = [&](const std::vector<std::vector<std::string>>& commands) {
        std::vector<std::future<Outcome>> runs;
        for (const auto& args : commands) runs.push_back(std::async(std::launch::async, [&, args] { return alice->cli(args); }));
        std::vector<std::string> txids;
        for (auto& run : runs) {
            Outcome r = run.get();
            EXPECT_EQ(r.code, 0) << r.out;
            txids.push_back(e2e::txid_of(r.last_line()));
        }
        return txids;
    };
    std::vector<std::vector<std::string>> lists;
    for (const auto& token : tokens) lists.push_back({"list", token, "--qty", "5", "--price", "0.01", "--note", "at once"});
    const std::vector<std::string> listings = at_once(lists);

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

    for (int i = 0; i < 2; ++i) ASSERT_FALSE(devnet().fund(alice->receive_address(), 200'000).empty());
    at_once({{"cancel", listings[0]}, {"cancel", listings[1]}});
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(bob->listing(listings[i]).value("status", ""), "cancelled") << listings[i];
        EXPECT_EQ(reserves_text(*alice).find(listings[i]), std::string::npos);
    }
    EXPECT_FALSE(list(*alice, tokens[0], "5", "0.01").empty());

    // An architect cancels the third by force: the seller's agoran-cli frees the lot on its next
    // look at the book, lists it again, and is told plainly that the old listing is closed.
    e2e::Forger architect("warden", devnet(), moments);
    devnet().set_architects({architect.pubkey()});
    ASSERT_FALSE(architect.publish({{"type", "ag_force_cancel"}, {"listing", listings[2]}}, false).empty());
    ASSERT_EQ(bob->listing(listings[2])["status"], "force_cancelled");
    EXPECT_FALSE(list(*alice, tokens[2], "5", "0.01").empty());
    EXPECT_EQ(reserves_text(*alice).find(listings[2]), std::string::npos);
    refused(alice->cli({"cancel", listings[2]}), "error: That listing is already closed.");
}

// Forgeries each side refuses. The seller's signed listing copied into someone else's
// transactions (once at a price of one satoshi, once unchanged), or rewritten by a chain service
// that lies about it, and offers of one satoshi for the whole lot on each: the seller refuses
// every one, also when a request to the oracle index fails, and broadcasts nothing. Listings
// whose lots are not what they claim: the buyer refuses them before paying.
TEST_F(TradeEndToEnd, ForgeriesAreRefusedByTheSellerAndTheBuyerAndNothingIsBroadcast)
{
    std::string token = devnet().mint(alice->ordinals_address(), "10", "TEN");
    std::string listing = list(*alice, token, "10", "0.01");
    ASSERT_FALSE(listing.empty());
    std::optional<json> post = book::read_post_from_tx(devnet().get("/woc/v1/bsv/main/tx/" + listing).json());
    ASSERT_TRUE(post && post->contains("blob") && post->contains("id")) << (post ? post->dump() : "no post");
    const std::set<std::string> alice_coins = coins_of(alice->receive_address());

    e2e::Forger mallory("mallory", devnet(), moments);
    const auto pay_hash = *core::hash160_from_address(alice->receive_address());
    auto one_sat_offer = [&](const std::string& on) {
        auto listed = tx::parse_outpoint(token);
        tx::TxInput lot;
        lot.txid = listed->txid;
        lot.vout = listed->vout;
        std::vector<tx::TxInput> inputs{lot, mallory.coin(50'000)};
        std::vector<tx::TxOutput> outputs{{1, tx::p2pkh_script(pay_hash)}, mallory.transfer(token, "10"),
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
    EXPECT_EQ(bob->listing(listing).value("price_sats", uint64_t{0}), 1'000'000u);

    // Listings a buyer must not offer on: an output that does not hold what the listing claims
    // is refused before paying; a real lot under another's words is shown as the chain holds it,
    // with the words apart; a listing dated ahead waits.
    std::string picture = devnet().inscribe(alice->ordinals_address(), "image/png", "famous picture");
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
    std::vector<tx::TxInput> inputs{mallory.coin(10'000)};
    std::vector<tx::TxOutput> outputs{mallory.transfer(token, "10"), {9'000, tx::p2pkh_script(mallory.hash())}};
    ASSERT_TRUE(mallory.sign(inputs, outputs, 0));
    std::string empty_transfer = mallory.broadcast(inputs, outputs);
    ASSERT_FALSE(empty_transfer.empty());
    std::string fake_tokens = oracle_free({{"origin", token}, {"kind", "bsv21"}, {"qty", "10"},
                                           {"utxo", empty_transfer + "_0"}});
    std::string junk = devnet().mint(mallory.address(), "10", "JUNK");
    std::string other_ticker = oracle_free({{"origin", junk}, {"kind", "bsv21"}, {"qty", "10"}, {"utxo", junk},
                                            {"sym", "TEN"}, {"name", "Ten"}});
    ASSERT_FALSE(fake_picture.empty());
    ASSERT_FALSE(fake_tokens.empty());
    ASSERT_FALSE(other_ticker.empty());

    Outcome table = bob->cli({"book"});
    EXPECT_NE(table.out.find("JUNK  (seller's claims differ)"), std::string::npos) << table.out;

    std::set<std::string> before = coins_of(bob->receive_address());
    refused(bob->cli({"buy", fake_picture}), "error: the listed lot does not hold the listed picture.");
    Outcome token_buy = bob->cli({"buy", fake_tokens});
    EXPECT_EQ(token_buy.code, 1);
    EXPECT_EQ(token_buy.last_line().rfind("error: the listed lot does not hold 10 valid tokens", 0), 0u)
        << token_buy.out;
    EXPECT_EQ(coins_of(bob->receive_address()), before);
    EXPECT_FALSE(spent(empty_transfer + "_0"));

    // A seller whose clock runs ahead (or who dates a listing ahead on purpose): a listing dated
    // more than ten minutes ahead is not offered on, and says from when it can be; one dated less
    // is, with the offer stamped after it so that the book attaches it.
    const int64_t now = moments.next();
    auto dated = [&](int64_t ts, const std::string& content) {
        std::string lot = devnet().inscribe(mallory.address(), "image/png", content);
        return oracle_free({{"origin", lot}, {"kind", "picture"}, {"utxo", lot}, {"qty", "1"}, {"ts", ts}});
    };
    const std::string far = dated(now + 3600, "an hour ahead");
    const std::string near = dated(now + 300, "five minutes ahead");
    ASSERT_FALSE(far.empty());
    ASSERT_FALSE(near.empty());
    refused(bob->cli({"buy", far}), "error: That listing is dated ahead of this computer's clock. You can offer on it from " +
                                        core::utc_minute_text(now + 3000) + " UTC.");
    EXPECT_TRUE(offer_locks(*bob)["utxos"].empty());
    Outcome buy = bob->cli({"buy", near});
    ASSERT_EQ(buy.code, 0) << buy.out;
    json listed = bob->listing(near);
    ASSERT_TRUE(listed.is_object());
    ASSERT_EQ(listed["offers"].size(), 1u) << listed.dump();
    EXPECT_EQ(listed["offers"][0]["id"], e2e::txid_of(buy.last_line()));
}

} // namespace

