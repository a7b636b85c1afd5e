// The trade routines in this process against the simulator: the buyer's offer, the seller's
// completion, the withdrawal of an offer and the posts that carry them. The rules an offer must
// keep are tested transaction by transaction in offer_rules_test.cpp; here each routine is run
// once through and each refusal that guards the wallet's coins or the seller's lot is named.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "book/identity.h"
#include "book/post.h"
#include "book/post_blob.h"
#include "book/sign_post.h"
#include "core/base58.h"
#include "core/hash.h"
#include "core/hex.h"
#include "core/key.h"
#include "funding/offer_locks.h"
#include "funding/reserves.h"
#include "net/market_addresses.h"
#include "net/service_config.h"
#include "pursa/services.h"
#include "pursa/vault.h"
#include "tests/support/fake_session.h"
#include "tests/support/devnet_fixture.h"
#include "tests/support/temp_dir.h"
#include "trade/cancel_routine.h"
#include "trade/listing_record.h"
#include "trade/market_session.h"
#include "trade/offer_build.h"
#include "trade/offer_complete.h"
#include "trade/offer_rules.h"
#include "trade/post_tx.h"
#include "trade/report.h"
#include "trade/result_text.h"
#include "trade/wallet_now.h"
#include "tx/bsv20.h"
#include "tx/inscription.h"
#include "tx/outpoint.h"
#include "tx/parse.h"
#include "tx/push.h"
#include "tx/raw_tx.h"
#include "tx/script.h"
#include "tx/serialize.h"
#include "tx/sign.h"
#include "tx/spendable_lock.h"
#include "wallet/app_binding.h"
#include "wallet/wallet_file.h"
#include "wallet/wallet_keys.h"
#include "wallet/wallet_lock.h"
#include "tests/support/test_txid.h"

namespace trade_flow_test {

using nlohmann::json;
using trade::TradeCode;

// One trader in this process: a fresh data directory pointed at a fresh simulator, a session over
// it (with caches of its own), and an HD wallet made by the Pursa stand-in with a published paymail
// name, bound to this process and funded (open_wallet).
class TraderTest : public testsupport::DevnetTest {
protected:
    void SetUp() override
    {
        testsupport::DevnetTest::SetUp();
        ASSERT_TRUE(m_devnet);
        auto data = m_root.use_as_data_root();
        ASSERT_TRUE(devnet().write_services(data));
        m_session = std::make_unique<trade::MarketSession>(net::load_services_file());
    }
    void TearDown() override { m_session.reset(); }

    // Creates, names, binds and funds the wallet ("" when a step failed, with a test failure).
    std::string open_wallet(const std::string& name, const std::vector<int64_t>& coins)
    {
        auto fail = [](const std::string& why) {
            ADD_FAILURE() << why;
            return std::string();
        };
        pursa::VaultResult<std::string> created = pursa::create_hd_wallet(name);
        if (!created) return fail(created.error().sentence);
        if (auto named = pursa::name_wallet(*created, name, pursa::publish_paymail); !named) return fail(named.error().sentence);
        wallet::register_app(session().wallet(), "trade-test", "Agoran");
        m_receive = pursa::receive_address(*created);
        {
            wallet::WalletLock lock(session().wallet());
            auto ord = wallet::wallet_load(session().wallet()) ? wallet::ordinals_address(session().wallet()) : wallet::OrdinalsAddress{};
            if (ord.hash) m_ordinals = core::address_from_hash160(*ord.hash);
        }
        if (m_receive.empty() || m_ordinals.empty()) return fail("the wallet did not load");
        for (int64_t sats : coins) {
            if (devnet().fund(m_receive, sats).empty()) return {};
        }
        return *created;
    }

    // The simulator's raw transaction, parsed.
    std::optional<tx::Transaction> raw_tx(const std::string& txid)
    {
        auto raw = core::hex_decode(devnet().get("/woc/v1/bsv/main/tx/" + txid + "/hex").body);
        return raw ? tx::tx_parse(*raw) : std::nullopt;
    }

    trade::MarketSession& session() { return *m_session; }

    std::string m_receive;   // the wallet's receive address
    std::string m_ordinals;  // its ordinals address
    testsupport::TempDir m_root;
    std::unique_ptr<trade::MarketSession> m_session;
};

// The offer built; "" with a test failure when it was refused.
std::string built(const trade::TradeResult<std::string>& offer)
{
    EXPECT_TRUE(offer) << (offer ? std::string() : trade::error_text(offer.error()));
    return offer ? *offer : std::string();
}

// The txid sent; "" when the routine failed.
std::string txid_of(const trade::TradeResult<trade::Sent>& result)
{
    return result ? result->txid.hex() : std::string();
}

// The code of the failure; nullopt when the routine succeeded.
template <typename T>
std::optional<TradeCode> failure_of(const trade::TradeResult<T>& result)
{
    return result ? std::nullopt : std::optional<TradeCode>(result.error().code);
}

const std::string SELLER_ORD = core::address_from_hash160(core::hash160(core::as_bytes("seller ord")));
const std::string SELLER_PAY = core::address_from_hash160(core::hash160(core::as_bytes("seller pay")));

std::string owner_of(const tx::TxOutput& out)
{
    auto lock = tx::find_spendable_lock(out.script);
    return lock ? core::address_from_hash160(lock->owner) : std::string();
}

// The post carried by the transaction's data output.
json post_of(const tx::Transaction& t)
{
    for (const auto& out : t.outputs) {
        if (out.script.size() < 3 || out.script[0] != 0 || out.script[1] != 0x6a) continue;
        size_t pos = 2;
        auto op = tx::read_script_op(out.script, pos);
        if (op) return json::parse(std::string(op->data.begin(), op->data.end()), nullptr, false);
    }
    return nullptr;
}

using Buying = TraderTest;

trade::OfferRequest token_request(const std::string& token, const std::string& qty, core::Amount price,
                                  const std::string& pay = SELLER_PAY, const std::string& ord = SELLER_ORD)
{
    return {test_outpoint(token), token, book::ListingKind::Token, qty, price, pay, ord};
}

TEST_F(Buying, RefusalsBeforeAnyCoinMoves)
{
    std::string token = std::string(64, 'a') + "_0";
    auto unbound = trade::build_offer(session(), token_request(token, "1", 100));
    ASSERT_FALSE(unbound);
    EXPECT_TRUE(unbound.error().is(funding::FundingCode::NeedHdWallet));
    ASSERT_FALSE(open_wallet("dave", {200'000}).empty());
    token = devnet().mint(SELLER_ORD, "9", "NINE");
    std::string picture = devnet().inscribe(SELLER_ORD, "image/png", "png bytes");
    struct Row {
        trade::OfferRequest request;
        TradeCode code;
    };
    std::vector<Row> rows = {
        {token_request(token, "1", 0), TradeCode::PayDust},
        {token_request(token, "1", 100, "3J98t1WpEZ73CNmQviecrnyiWrnqRhWNLy"), TradeCode::SellerPayAddressBad},
        {token_request(token, "1", 100, SELLER_PAY, ""), TradeCode::SellerOrdAddressBad},
        {token_request(token, "10", 1000), TradeCode::ListingHasOnly},  // quantities compare as numbers
        {token_request(token, "1.5", 1000), TradeCode::NoQuantity},
        {token_request(token, "0", 1000), TradeCode::NoQuantity},
        {token_request(token, "1", 1000), TradeCode::LotOtherToken},
        {{test_outpoint(picture), picture, book::ListingKind::Picture, "2", 5000, SELLER_PAY, SELLER_ORD}, TradeCode::PictureWhole},
    };
    rows[6].request.listing_origin = std::string(64, 'b') + "_0";
    for (const Row& row : rows) {
        auto offer = trade::build_offer(session(), row.request);
        EXPECT_EQ(failure_of(offer), row.code) << static_cast<int>(row.code);
        if (row.code == TradeCode::ListingHasOnly) { EXPECT_EQ(offer.error().detail, "9"); }
    }
}

// What the builder makes passes the seller's check of the listing's terms and sends the bought
// units to this wallet's ordinals address. A wallet whose money sits in one coin splits a small
// coin off first, to pay for the post that carries the offer.
TEST_F(Buying, OffersPassTheSellersCheckAndKeepACoinForThePost)
{
    ASSERT_FALSE(open_wallet("dave", {1'000'000}).empty());
    const std::string token = devnet().mint(SELLER_ORD, "10", "TEN");
    const std::string picture = devnet().inscribe(SELLER_ORD, "image/png", "png bytes");
    auto check = [&](const std::string& hex, book::ListingKind kind, const std::string& lot, const std::string& qty, uint64_t price) {
        tx::Transaction t = trade::parse_offer_text(hex).value_or(tx::Transaction{});
        auto listed = tx::parse_outpoint(lot);
        auto lot_tx = raw_tx(listed->txid.hex());
        std::vector<std::optional<trade::Prevout>> prevouts(t.inputs.size());
        if (lot_tx && !prevouts.empty()) prevouts[0] = trade::Prevout{1, lot_tx->outputs.at(listed->vout).script};
        const trade::ListingTerms terms{kind, lot, *listed, qty, price, SELLER_PAY, ""};
        return std::make_pair(t, trade::check_offer(t, prevouts, terms, [](const core::Hash160& h) {
                                  return core::address_from_hash160(h) == SELLER_ORD || core::address_from_hash160(h) == SELLER_PAY;
                              }));
    };
    auto [t, three] = check(built(trade::build_offer(session(), token_request(token, " 003 ", 300))), book::ListingKind::Token, token, "10", 1000);
    auto coins = devnet().get("/woc/v1/bsv/main/address/" + m_receive + "/unspent/all").json();
    bool split = false;
    for (const auto& c : coins.is_object() ? coins["result"] : coins) split = split || c.value("value", int64_t{0}) == 2000;
    EXPECT_TRUE(split) << coins.dump();
    ASSERT_TRUE(three.passes) << trade::error_text(three.error);
    EXPECT_EQ(three.qty + "|" + three.units_left + "|" + std::to_string(three.paid_sats), "3|7|300");
    EXPECT_EQ(owner_of(t.outputs.at(1)), m_ordinals);

    auto [all_t, all] = check(built(trade::build_offer(session(), token_request(token, "10", 1000))), book::ListingKind::Token, token, "10", 1000);
    EXPECT_TRUE(all.passes && all.units_left == "0") << trade::error_text(all.error);
    auto [pic_t, pic] = check(built(trade::build_offer(session(), {test_outpoint(picture), picture, book::ListingKind::Picture, "ALL", 5000, SELLER_PAY, SELLER_ORD})),
                              book::ListingKind::Picture, picture, "1", 5000);
    EXPECT_TRUE(pic.passes) << trade::error_text(pic.error);
    EXPECT_EQ(owner_of(pic_t.outputs.at(0)), m_ordinals);
}

TEST(OfferText, PastedOffersAreReadByTheirHexDigits)
{
    std::vector<tx::TxInput> inputs(2);
    inputs[0].txid = test_txid('c');
    inputs[1].txid = test_txid('d');
    inputs[1].vout = 3;
    inputs[1].script_sig = {0x01};
    std::string hex = core::hex_encode(tx::tx_serialize(inputs, {{5, {0x6a}}}));
    std::string pasted;
    for (size_t i = 0; i < hex.size(); ++i) {
        pasted += static_cast<char>(std::toupper(static_cast<unsigned char>(hex[i])));
        if (i % 16 == 15) pasted += i % 32 == 31 ? "\r\n" : " ";
    }
    EXPECT_TRUE(trade::offer_spends_listing(pasted, {test_txid('c'), 0}));
    for (const tx::Outpoint& not_listed : {tx::Outpoint{test_txid('d'), 3}, tx::Outpoint{test_txid('c'), 1}})
        EXPECT_FALSE(trade::offer_spends_listing(pasted, not_listed)) << not_listed.vout;  // a signed input, another output
    EXPECT_FALSE(trade::offer_spends_listing(hex.substr(0, hex.size() - 2), {test_txid('c'), 0}));
    EXPECT_FALSE(trade::parse_offer_text(hex + "00"));

    book::Listing listing;
    testsupport::FakeSessionOf<trade::MarketSession> offline;  // refused before any request
    const std::pair<std::string, TradeCode> rows[] = {
        {hex.substr(0, 79), TradeCode::NoSignedBytes}, {std::string(81, 'a'), TradeCode::NoSignedBytes},
        {std::string(80, 'a'), TradeCode::OfferUnparsed}};
    for (const auto& [text, code] : rows) EXPECT_EQ(failure_of(trade::complete_offer(offline.session, text, listing).result), code);
    EXPECT_EQ(trade::evaluate_offer(offline.session, "", listing).error.code, TradeCode::NoSignedBytes);
}

// The buyer: a key that is not this wallet's.
struct Buyer {
    std::string priv_hex = std::string(63, '0') + "5";
    std::string pub_hex = *core::pubkey_from_privkey(priv_hex);
    std::string address = core::address_from_pubkey(pub_hex);
    core::Hash160 hash = *core::hash160_from_address(address);
};

constexpr int64_t BUYER_COIN = 50'000;

// The seller's completion: a buyer's offer on a lot of this wallet is signed only when it answers
// the seller's own record of the listing (kept with its reserve), the book shows that record's
// terms, and the buyer's signatures verify; otherwise nothing is signed and the lot stays.
class Selling : public TraderTest {
protected:
    void SetUp() override
    {
        TraderTest::SetUp();
        ASSERT_FALSE(open_wallet("erin", {400'000, 1'500'000}).empty());
        m_token = devnet().mint(m_ordinals, "10", "TEN");
        ASSERT_FALSE(m_token.empty());
        list(test_txid('a'), book::ListingKind::Token, m_token, m_token, "10", 10'000);
        m_buyer_coin = devnet().fund(m_buyer.address, BUYER_COIN, true);
        ASSERT_FALSE(m_buyer_coin.empty());
    }

    // A live listing of this wallet on the book, its reserve and its record (`lot` units held).
    void list(const tx::Txid& id, book::ListingKind kind, const std::string& origin, const std::string& utxo,
              const std::string& qty, uint64_t price, const std::string& lot = "")
    {
        m_listing = {.id = id, .origin = origin, .kind = kind, .utxo = test_outpoint(utxo), .qty = qty, .price_sats = price, .pay_addr = m_receive,
                     .ord_addr = m_ordinals, .pubkey = trade::wallet_identity_key(session().wallet())};
        const funding::ListingRecord record{std::string(book::listing_kind_text(kind)), test_outpoint(utxo), lot.empty() ? qty : lot, qty,
                                            price, qty, price, m_receive, m_ordinals, 1'700'000'000};
        ASSERT_TRUE(funding::reserve_add(session().wallet(), test_outpoint(utxo), origin, 0));
        ASSERT_TRUE(funding::reserve_bind_listing(session().wallet(), test_outpoint(utxo), id, record));
    }

    tx::TxOutput transfer(const std::string& address, const std::string& amt) const
    {
        std::string body = tx::bsv20_transfer_json(m_token, amt);
        return {1, tx::inscription_script(*core::hash160_from_address(address), tx::BSV20_CONTENT_TYPE, core::as_bytes(body))};
    }

    // The buyer's offer spending `listed` (unsigned) and the buyer's coin (signed) into `outputs`;
    // `after_signing` may change the outputs once the buyer has signed.
    std::string offer(const std::string& listed, std::vector<tx::TxOutput> outputs,
                      const std::function<void(std::vector<tx::TxOutput>&)>& after_signing = {}) const
    {
        auto lot = tx::parse_outpoint(listed);
        std::vector<tx::TxInput> inputs(2);
        inputs[0].txid = lot->txid;
        inputs[0].vout = lot->vout;
        inputs[1].txid = test_txid(m_buyer_coin);
        inputs[1].value = BUYER_COIN;
        inputs[1].pub_key_hash = m_buyer.hash;
        EXPECT_TRUE(tx::tx_sign_input(1, inputs, outputs, m_buyer.hash, m_buyer.priv_hex, m_buyer.pub_hex));
        if (after_signing) after_signing(outputs);
        return core::hex_encode(tx::tx_serialize(inputs, outputs));
    }

    // The offer for 3 of the 10 at the listed price.
    std::string offer_for_three(const std::function<void(std::vector<tx::TxOutput>&)>& after_signing = {}) const
    {
        return offer(m_token,
                     {{3'000, tx::p2pkh_script(*core::hash160_from_address(m_receive))}, transfer(m_buyer.address, "3"),
                      transfer(m_ordinals, "7"), {BUYER_COIN - 3'000 - 500, tx::p2pkh_script(m_buyer.hash)}},
                     after_signing);
    }

    bool spent(const std::string& outpoint)
    {
        auto o = tx::parse_outpoint(outpoint);
        return devnet().get("/woc/v1/bsv/main/tx/" + o->txid.hex() + "/" + std::to_string(o->vout) + "/spent").status == 200;
    }

    Buyer m_buyer;
    std::string m_token;
    std::string m_buyer_coin;
    book::Listing m_listing;
};

// Refused, signing nothing and leaving the lot: a book showing other terms than the record (a
// forged or stale copy), another trader's listing, one with no record, a buyer's signature that
// does not verify, a picture listing whose output holds another picture.
TEST_F(Selling, OnlyAnOfferThatAnswersThisWalletsRecordIsSigned)
{
    const std::vector<std::pair<std::function<void(book::Listing&)>, std::string>> changed = {
        {[](book::Listing& l) { l.price_sats = 1; }, "price"},
        {[](book::Listing& l) { l.qty = "900"; }, "quantity"},
        {[](book::Listing& l) { l.utxo = tx::Outpoint{test_txid('b'), 1}; }, "output"},
        {[](book::Listing& l) { l.kind = book::ListingKind::Picture; }, "kind"},
        {[](book::Listing& l) { l.pay_addr = l.ord_addr; }, "payment address"},
    };
    for (const auto& [change, named] : changed) {
        book::Listing shown = m_listing;
        change(shown);
        trade::Completion done = trade::complete_offer(session(), offer_for_three(), shown);
        ASSERT_EQ(failure_of(done.result), TradeCode::TermsChanged) << named;
        EXPECT_EQ(done.result.error().detail, named);
        EXPECT_FALSE(trade::evaluate_offer(session(), offer_for_three(), shown).passes) << named;
    }
    book::Listing theirs = m_listing;
    theirs.pubkey = std::string(66, 'c');
    EXPECT_EQ(failure_of(trade::complete_offer(session(), offer_for_three(), theirs).result), TradeCode::NotYourListing);

    // The buyer's change raised after signing: the price and the tokens still look right.
    std::string raised = offer_for_three([](std::vector<tx::TxOutput>& outputs) { outputs[3].value += 400; });
    trade::Completion done = trade::complete_offer(session(), raised, m_listing);
    ASSERT_EQ(failure_of(done.result), TradeCode::BuyerSignatureBad);
    EXPECT_EQ(done.result.error().input, 1u);
    EXPECT_TRUE(done.check.passes);
    EXPECT_EQ(funding::reserve_for_listing(session().wallet(), m_listing.id), test_outpoint(m_token));

    ASSERT_TRUE(funding::reserve_remove_listing(session().wallet(), m_listing.id));
    EXPECT_EQ(failure_of(trade::complete_offer(session(), offer_for_three(), m_listing).result), TradeCode::NoRecord);
    EXPECT_FALSE(spent(m_token));
    EXPECT_FALSE(spent(m_buyer_coin + "_0"));

    std::string picture = devnet().inscribe(m_ordinals, "image/png", "mine");
    std::string other = devnet().inscribe(m_ordinals, "image/png", "not listed");
    list(test_txid('d'), book::ListingKind::Picture, other, picture, "1", 20'000);  // names another picture
    std::string for_picture = offer(picture, {{1, tx::p2pkh_script(m_buyer.hash)},
                                              {20'000, tx::p2pkh_script(*core::hash160_from_address(m_receive))},
                                              {BUYER_COIN - 20'000 - 600, tx::p2pkh_script(m_buyer.hash)}});
    EXPECT_EQ(failure_of(trade::complete_offer(session(), for_picture, m_listing).result), TradeCode::PictureNotHeld);
    EXPECT_FALSE(spent(picture));

    // A listing of 3 of the lot's 10 sells out: its record goes, and the 7 left over are the
    // seller's to list again, held for no listing.
    list(test_txid('b'), book::ListingKind::Token, m_token, m_token, "3", 3'000, "10");
    trade::Completion sold = trade::complete_offer(session(), offer_for_three(), m_listing);
    ASSERT_TRUE(sold.result) << trade::result_text(sold.result);
    EXPECT_TRUE(spent(m_token));
    EXPECT_EQ(sold.leftover_units, "7");
    EXPECT_FALSE(funding::reserve_of_listing(session().wallet(), m_listing.id));
}

// A reserve bound before records were kept: the record is rebuilt from the listing post this
// wallet published, and never from another's transaction or once the lot has moved on.
TEST_F(Selling, AnOlderReserveIsRebuiltOnlyFromThisWalletsOwnListingPost)
{
    core::Json post = {{"type", "ag_list"},  {"handle", "erin"},  {"origin", m_token},       {"kind", "bsv21"},
                       {"utxo", m_token},    {"qty", "10"},      {"price_sats", 10'000},   {"note", "ten"},
                       {"exp", 4'000'000'000LL}, {"pay_addr", m_receive}, {"ord_addr", m_ordinals}};
    auto published = trade::publish_post(session(), post, true);
    ASSERT_TRUE(published) << trade::result_text(published);
    (void)funding::reserve_remove_listing(session().wallet(), m_listing.id);
    m_listing.id = test_txid(txid_of(published));
    ASSERT_TRUE(funding::reserve_add(session().wallet(), test_outpoint(m_token), m_token, 0));
    ASSERT_TRUE(funding::reserve_bind_listing(session().wallet(), test_outpoint(m_token), m_listing.id));

    ASSERT_TRUE(funding::reserve_rebind(session().wallet(), m_listing.id, {test_txid('b'), 1}));
    EXPECT_EQ(trade::seller_record(session(), m_listing.id).error.code, TradeCode::RecordPartlySold);
    ASSERT_TRUE(funding::reserve_rebind(session().wallet(), m_listing.id, test_outpoint(m_token)));
    trade::SellerRecord rebuilt = trade::seller_record(session(), m_listing.id);
    ASSERT_TRUE(rebuilt.reserve) << trade::error_text(rebuilt.error);
    EXPECT_EQ(rebuilt.reserve->record.price_left, 10'000u);
    EXPECT_TRUE(funding::reserve_of_listing(session().wallet(), m_listing.id)->record.known());  // kept from now on
    EXPECT_TRUE(trade::complete_offer(session(), offer_for_three(), m_listing).result);

    ASSERT_TRUE(funding::reserve_add(session().wallet(), {test_txid(m_buyer_coin), 0}, "", 0));
    ASSERT_TRUE(funding::reserve_bind_listing(session().wallet(), {test_txid(m_buyer_coin), 0}, test_txid(m_buyer_coin)));
    EXPECT_EQ(trade::seller_record(session(), test_txid(m_buyer_coin)).error.code, TradeCode::NoRecord);
}

// Withdrawing an offer: the "ag_offer_cancel" payment spends a coin of the withdrawn offer that is
// still unspent, so the half-signed offer can never complete; when none is left it is paid like
// any post, and when none can be spent nothing is posted.
class Withdrawing : public TraderTest {
protected:
    // An offer on a token lot that spends two of the wallet's three coins of 2,500 (no coin
    // split), its coins offer-locked as the paid buy post leaves them; m_coins are its coins.
    book::Offer two_coin_offer()
    {
        EXPECT_FALSE(open_wallet("fred", {2'500, 2'500, 2'500}).empty());
        std::string token = devnet().mint(SELLER_ORD, "10", "TEN");
        book::Offer out;
        out.id = test_txid('f');
        out.offer = built(trade::build_offer(session(), {test_outpoint(token), token, book::ListingKind::Token, "10", 3'000, SELLER_PAY, SELLER_ORD}));
        EXPECT_TRUE(funding::offer_locks_add(session().wallet(), funding::offer_input_outpoints(out.offer)));
        auto t = trade::parse_offer_text(out.offer);
        for (const auto& in : t ? t->inputs : std::vector<tx::TxInput>{}) {
            if (!in.script_sig.empty()) m_coins.push_back(tx::format_outpoint(in.txid, in.vout));
        }
        EXPECT_EQ(m_coins.size(), 2u);
        return out;
    }

    // Spends a coin of the wallet's behind the program's back (a trusted import), and mines it.
    void spend_elsewhere(const std::string& outpoint)
    {
        auto o = tx::parse_outpoint(outpoint);
        const tx::RawTx spend{
            .inputs = {{.prev_hash = tx::txid_to_wire(o->txid.hex()).value(), .prev_index = o->vout, .script_sig = {0x51}}},
            .outputs = {{2'300, tx::p2pkh_script(core::hash160(core::as_bytes("elsewhere")))}}};
        ASSERT_FALSE(devnet().import_tx(core::hex_encode(tx::serialize_raw_tx(spend))).empty());
        devnet().mine();
    }

    std::set<std::string> inputs_of(const trade::TradeResult<trade::Sent>& result)
    {
        std::set<std::string> out;
        auto t = raw_tx(txid_of(result));
        EXPECT_TRUE(t) << trade::result_text(result);
        for (const auto& in : t ? t->inputs : std::vector<tx::TxInput>{}) out.insert(tx::format_outpoint(in.txid, in.vout));
        return out;
    }

    std::vector<std::string> m_coins;
};

// A withdrawal that cannot spend a coin of the offer would leave it completable: it posts
// nothing, pays nothing and keeps the locks. Otherwise it spends the first coin still unspent.
TEST_F(Withdrawing, TheWithdrawalSpendsACoinOfTheOfferThatIsStillUnspentOrPostsNothing)
{
    const tx::Txid listing = test_txid('e');
    book::Offer offer = two_coin_offer();
    devnet().fault("woc", {{"down", true}});  // WhatsOnChain cannot say whether the coins are spent
    EXPECT_EQ(failure_of(trade::run_offer_cancel(session(), listing, offer)), TradeCode::CoinsUnanswered);
    devnet().clear_faults();
    // The coin is unspent, but not one this wallet's coin lists hold.
    std::string foreign = devnet().fund(SELLER_PAY, 5'000, true);
    auto unlisted = trade::withdraw_offer(session(), listing, offer.id, {test_outpoint(foreign + "_0")});
    ASSERT_FALSE(unlisted);
    EXPECT_TRUE(unlisted.error().is(funding::FundingCode::MustSpendMissing)) << trade::result_text(unlisted);
    EXPECT_FALSE(trade::buyer_coins_spent(session(), offer.offer));
    for (const auto& coin : m_coins) EXPECT_EQ(funding::offer_locks_load(session().wallet()).count(test_outpoint(coin)), 1u) << coin;

    spend_elsewhere(m_coins[0]);
    ASSERT_TRUE(trade::buyer_coins_spent(session(), offer.offer));
    auto result = trade::run_offer_cancel(session(), listing, offer);
    ASSERT_TRUE(result) << trade::result_text(result);
    EXPECT_EQ(inputs_of(result).count(m_coins[1]), 1u);
    EXPECT_TRUE(funding::offer_locks_load(session().wallet()).empty());
    // Both coins are spent now: a second withdrawal is paid like any post.
    result = trade::run_offer_cancel(session(), listing, offer);
    ASSERT_TRUE(result) << trade::result_text(result);
    auto used = inputs_of(result);
    EXPECT_EQ(used.count(m_coins[0]) + used.count(m_coins[1]), 0u);
}

class Posting : public TraderTest {
protected:
    // The outputs of the transaction sent, as (satoshis, address) pairs, and its post.
    std::vector<std::pair<int64_t, std::string>> paid(const trade::TradeResult<trade::Sent>& result, json* post = nullptr)
    {
        std::vector<std::pair<int64_t, std::string>> out;
        auto t = raw_tx(txid_of(result));
        EXPECT_TRUE(t) << trade::result_text(result);
        if (!t) return out;
        for (const auto& o : t->outputs) {
            auto hash = tx::p2pkh_hash(o.script);
            out.emplace_back(o.value, hash ? core::address_from_hash160(*hash) : std::string());
        }
        if (post) *post = post_of(*t);
        return out;
    }
};

// Every post pays the oracle one satoshi before its data output; a listing pays the house fee
// and a report the report fee first. Two sessions of one process each stamp posts at their own
// moment. A buy post leaves the offer's coins alone and locks them.
TEST_F(Posting, EachPostPaysItsFeesInOrderAndABuyLocksItsCoins)
{
    EXPECT_EQ(failure_of(trade::post_transaction(session(), "{}", false)), TradeCode::NotConnected);
    EXPECT_EQ(failure_of(trade::post_report(session(), "{}")), TradeCode::NotConnected);
    EXPECT_EQ(failure_of(trade::send_report(session(), "hello")), TradeCode::ReportNoHandle);
    ASSERT_FALSE(open_wallet("carol", {3'000'000, 400'000, 300'000}).empty());
    EXPECT_EQ(failure_of(trade::post_transaction(session(), "", false)), TradeCode::EmptyPayload);
    EXPECT_EQ(failure_of(trade::post_report(session(), "")), TradeCode::EmptyReportPayload);
    EXPECT_EQ(failure_of(trade::send_report(session(), "   ")), TradeCode::ReportTextBad);
    EXPECT_EQ(failure_of(trade::send_report(session(), "no architect registered yet")), TradeCode::ArchitectKeyMissing);

    trade::MarketSession other(net::load_services_file());
    wallet::register_app(other.wallet(), "trade-test", "Agoran");
    session().clock().fix(1'700'000'000);
    other.clock().fix(1'800'000'000);
    json other_post = {{"type", "ag_cancel"}, {"handle", "carol"}, {"listing", std::string(64, 'b')},
                       {"protocol", std::string(book::POST_PROTOCOL)}, {"location", std::string(book::POST_LOCATION)}};
    // Two posts never share a signature (the second would be dropped as a replay): never the
    // same second twice, and a fresh nonce when the post names its own time.
    json next_post = other_post, twin = other_post, twin2 = other_post;
    twin["ts"] = twin2["ts"] = 1234;
    for (json* p : {&other_post, &next_post, &twin, &twin2}) ASSERT_TRUE(book::sign_post(*p, other.book()).ok());
    EXPECT_EQ(other_post["ts"], 1'800'000'000);
    EXPECT_EQ(next_post["ts"], 1'800'000'001);
    EXPECT_EQ(twin["ts"], twin2["ts"]);
    EXPECT_NE(twin["id"], twin2["id"]);
    EXPECT_NE(twin["sig"], twin2["sig"]);
    EXPECT_EQ(other_post["blob"], book::post_blob(other_post));
    EXPECT_TRUE(book::verify_post(other_post, [&](std::string_view h) { return book::identity_key_of(h, other.book()); }));
    json post;
    auto outputs = paid(trade::publish_post(session(), {{"type", "ag_cancel"}, {"handle", "carol"}, {"listing", std::string(64, 'a')},
                                                        {"protocol", "stale"}, {"location", "elsewhere"}}, false), &post);
    using Paid = std::vector<std::pair<int64_t, std::string>>;
    EXPECT_EQ(outputs, (Paid{{1, std::string(net::BOOK_ORACLE_ADDRESS)}, {0, ""}, {outputs.back().first, m_receive}}));
    const json envelope = {{"protocol", "TV-Agoran"}, {"location", "agoran"}, {"actor", "carol"}, {"ts", 1'700'000'000}};
    for (const auto& [member, value] : envelope.items()) EXPECT_EQ(post[member], value) << member;
    EXPECT_TRUE(post.contains("sig"));

    outputs = paid(trade::post_transaction(session(), "{\"type\":\"ag_list\"}", true));
    outputs.resize(2);  // the fees come first
    EXPECT_EQ(outputs, (Paid{{1'000'000, std::string(net::HOUSE_FEE_ADDRESS)}, {1, std::string(net::BOOK_ORACLE_ADDRESS)}}));

    devnet().set_identity("architect", "0279be667ef9dcbbac55a06295ce870b07029bfcdb2dce28d959f2815b16f81798");
    outputs = paid(trade::send_report(session(), std::string(2000, 'r')), &post);
    outputs.resize(2);
    EXPECT_EQ(outputs, (Paid{{1'000, std::string(net::REPORT_FEE_ADDRESS)}, {1, std::string(net::REPORT_ORACLE_ADDRESS)}}));
    const json report = {{"protocol", "QDL-Relay"}, {"type", "report"}, {"to_handle", "architect"}, {"handle", "carol"}};
    for (const auto& [member, value] : report.items()) EXPECT_EQ(post[member], value) << member;
    EXPECT_EQ(post.dump().find(std::string(50, 'r')), std::string::npos);  // sealed

    // An offer spending the seller's listing output (unsigned) and two coins of the wallet.
    std::string first = devnet().fund(m_receive, 50'000);
    std::string second = devnet().fund(m_receive, 60'000);
    std::vector<tx::TxInput> inputs(3);
    inputs[0].txid = test_txid('f');
    inputs[1].txid = test_txid(first);
    inputs[2].txid = test_txid(second);
    inputs[1].script_sig = inputs[2].script_sig = {0x01};
    std::string offer = core::hex_encode(tx::tx_serialize(inputs, {{100'000, tx::p2pkh_script(*core::hash160_from_address(m_receive))}}));
    auto result = trade::post_transaction(session(), json{{"type", "ag_buy"}, {"listing", std::string(64, 'E')}, {"offer", offer}}.dump(), false);
    ASSERT_TRUE(result) << trade::result_text(result);
    auto t = raw_tx(txid_of(result));
    ASSERT_TRUE(t);
    for (const auto& in : t->inputs) EXPECT_TRUE(in.txid.hex() != first && in.txid.hex() != second);
    auto locks = funding::offer_locks_load(session().wallet());
    EXPECT_EQ(locks.count(test_outpoint(first + "_0")) + locks.count(test_outpoint(second + "_0")), 2u);
    auto records = funding::offer_records(session().wallet());
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].offer.hex(), txid_of(result));
    EXPECT_EQ(records[0].listing, test_txid('e'));
    EXPECT_EQ(records[0].utxos, (std::vector<tx::Outpoint>{test_outpoint(first + "_0"), test_outpoint(second + "_0")}));

    // A key the registry does not publish for the handle signs nothing.
    devnet().set_identity("carol", "0279be667ef9dcbbac55a06295ce870b07029bfcdb2dce28d959f2815b16f81798");
    session().caches().clear_identities();
    auto unverified = trade::publish_post(session(), {{"type", "ag_cancel"}, {"handle", "carol"}, {"listing", std::string(64, 'a')}}, false);
    ASSERT_FALSE(unverified);
    EXPECT_TRUE(unverified.error().is(book::BookCode::SignatureUnverified)) << trade::result_text(unverified);
}

} // namespace trade_flow_test
