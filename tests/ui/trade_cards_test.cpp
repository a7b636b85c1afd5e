// The Complete rows, the Listings & Offers cards, the verdict line and the lot choices.
#include <gtest/gtest.h>

#include <ctime>
#include <set>

#include "ui/complete_rows.h"
#include "ui/list_lot.h"
#include "ui/mine_cards.h"

namespace {

const std::string ME = "02" + std::string(64, 'a');
const std::string THEM = "03" + std::string(64, 'b');
const std::string PAYMAIL = "melina@tavrinnode.example";

std::string utc(int64_t t, const char* format)
{
    const std::time_t tt = static_cast<std::time_t>(t);
    char buffer[64];
    std::strftime(buffer, sizeof buffer, format, std::gmtime(&tt));
    return buffer;
}

// Offer transactions in these tests are long texts that name the outpoint they spend and
// whether the buyer's coins are gone.
std::string offer_hex(const std::string& spends, bool coins_gone = false)
{
    std::string hex = "tx:" + spends + (coins_gone ? ":gone:" : ":kept:");
    hex.resize(90, '0');
    return hex;
}

bool spends(const std::string& hex, const std::string& utxo) { return hex.find(utxo) != std::string::npos; }

struct CoinBook {
    std::set<std::string> asked;
    ui::BuyerCoinsSpent check()
    {
        return [this](const std::string& hex) {
            asked.insert(hex);
            return hex.find(":gone:") != std::string::npos;
        };
    }
};

book::Offer offer(const std::string& id, const std::string& hex, const std::string& pubkey = THEM)
{
    book::Offer o;
    o.id = id;
    o.pubkey = pubkey;
    o.handle = "zeno@tavrinnode.example";
    o.qty = "1";
    o.pay_sats = 25'000'000;
    o.offer = hex;
    return o;
}

book::Listing listing(const std::string& id, const std::string& owner, const char* status = "live")
{
    book::Listing l;
    l.id = id;
    l.pubkey = owner;
    l.status = status;
    l.utxo = id + "_0";
    l.qty = "4";
    l.price_sats = 100'000'000;
    l.name = "Owl Coin";
    l.sym = "OWL";
    l.origin = "origin-" + id;
    l.handle = "seller-" + id;
    l.exp = 1'790'000'000;
    return l;
}

TEST(CompleteRows, OffersOnOwnLiveListingsThatCanStillComplete)
{
    auto a = listing("a", ME);
    a.offers = {offer("spends", offer_hex("a_0")),
                offer("elsewhere", offer_hex("z_9")),           // spends another output
                offer("gone", offer_hex("a_0", true)),          // buyer's coins spent
                offer("short", "0100"),                         // too short to check: kept
                offer("unsigned", "")};                         // no bytes: kept, needs a new post
    auto b = listing("b", THEM);
    b.offers = {offer("theirs", offer_hex("b_0"))};
    auto c = listing("c", ME, "expired");
    c.offers = {offer("expired", offer_hex("c_0"))};
    auto d = listing("d", ME);
    d.utxo.clear();                                             // no utxo: only the coins are checked
    d.offers = {offer("no-utxo", offer_hex("q_1")), offer("no-utxo-gone", offer_hex("q_1", true))};

    CoinBook coins;
    const auto rows = ui::complete_rows({a, b, c, d}, ME, spends, coins.check());
    std::vector<std::string> ids;
    for (const auto& row : rows) ids.push_back(row.offer.id);
    EXPECT_EQ(ids, (std::vector<std::string>{"spends", "short", "unsigned", "no-utxo"}));
    // The coin check is not asked for offers the spend check already ruled out, nor for short ones.
    EXPECT_EQ(coins.asked.count(offer_hex("z_9")), 0u);
    EXPECT_EQ(coins.asked.count("0100"), 0u);
    EXPECT_EQ(rows[0].listing.id, "a");
    EXPECT_TRUE(rows[0].listing.offers.empty());
    EXPECT_TRUE(rows[0].signed_bytes());
    EXPECT_FALSE(rows[2].signed_bytes());
    // An unbound wallet (no key) has no rows.
    EXPECT_TRUE(ui::complete_rows({a}, "", spends, coins.check()).empty());
}

TEST(CompleteRows, CardsAndTheirVerdicts)
{
    auto a = listing("a", ME);
    a.offers = {offer("x", offer_hex("a_0")), offer("y", "")};
    CoinBook coins;
    auto rows = ui::complete_rows({a}, ME, spends, coins.check());
    ASSERT_EQ(rows.size(), 2u);
    rows[0].verdict.checked = true;
    rows[0].verdict.passes = false;
    rows[0].verdict.error = "error: the offer pays 0.00000001 BSV; 0.25000000 BSV is due.";
    const ui::Card refused = ui::complete_card(rows[0]);
    EXPECT_EQ(refused.title, "Offer");
    ASSERT_EQ(refused.fields.size(), 5u);
    EXPECT_EQ(refused.fields[0].value, "Owl Coin  OWL");
    EXPECT_EQ(refused.fields[1].value, "1");
    EXPECT_EQ(refused.fields[2].label, "They pay");
    EXPECT_EQ(refused.fields[2].value, "0.25000000 BSV");
    EXPECT_EQ(refused.fields[3].value, "zeno@tavrinnode.example");
    EXPECT_EQ(refused.fields[4].label, "Seller's check");
    EXPECT_EQ(refused.fields[4].value, "Refused: the offer pays 0.00000001 BSV; 0.25000000 BSV is due.");

    rows[0].verdict = {true, true, 25'000'000, 25'000'000, ""};
    EXPECT_EQ(ui::complete_card(rows[0]).fields[4].value, "Pays you 0.25000000 BSV (0.25000000 BSV due). Passes.");
    const ui::Card unsigned_card = ui::complete_card(rows[1]);
    EXPECT_EQ(unsigned_card.title, "Offer (needs a new post)");
    EXPECT_EQ(unsigned_card.fields[4].value, "-");
}

TEST(CompleteRows, VerdictWithoutASentenceStillSaysItIsRefused)
{
    ui::OfferVerdict verdict;
    verdict.checked = true;
    EXPECT_EQ(ui::verdict_text(verdict), "Refused: the offer does not pass the check.");
    verdict.error = "no error prefix.";
    EXPECT_EQ(ui::verdict_text(verdict), "Refused: no error prefix.");
}

TEST(CompleteRows, RefusalsOfTheCompleteButtonInOrder)
{
    auto a = listing("a", ME);
    a.offers = {offer("x", offer_hex("a_0")), offer("y", "")};
    CoinBook coins;
    const auto rows = ui::complete_rows({a}, ME, spends, coins.check());
    EXPECT_EQ(ui::complete_refusal(rows, -1), "Pick an offer.");
    EXPECT_EQ(ui::complete_refusal({}, -1), "Pick an offer.");
    EXPECT_EQ(ui::complete_refusal({}, 0), "Nobody has offered on your listings yet.");
    EXPECT_EQ(ui::complete_refusal(rows, 1), "That offer has no signed bytes. Ask the buyer to post again.");
    EXPECT_EQ(ui::complete_refusal(rows, 2), "Pick an offer.");
    EXPECT_EQ(ui::complete_refusal(rows, 0), "");
}

TEST(MineCards, WaitingLine)
{
    EXPECT_EQ(ui::offers_waiting_text(0), "0 offers waiting");
    EXPECT_EQ(ui::offers_waiting_text(1), "1 offer waiting");
    EXPECT_EQ(ui::offers_waiting_text(2), "2 offers waiting");
}

TEST(MineCards, OwnLiveListingsWithTheOffersWaitingOnThem)
{
    auto one = listing("a", ME);
    one.offers = {offer("short", "0100")};  // unverifiable: counts
    auto two = listing("b", ME);
    two.name.clear();
    two.offers = {offer("x", offer_hex("b_0")), offer("y", offer_hex("b_0")), offer("gone", offer_hex("b_0", true)),
                  offer("stray", offer_hex("z_1"))};
    auto none = listing("c", ME);
    none.name.clear();
    none.sym.clear();
    none.exp = 0;
    auto sold = listing("d", ME, "sold");
    auto expired = listing("e", ME, "expired");
    CoinBook coins;
    const auto cards = ui::mine_cards({one, two, none, sold, expired}, ME, PAYMAIL, spends, coins.check(), utc);
    ASSERT_EQ(cards.listings.size(), 3u);
    const ui::Card& first = cards.listings[0];
    EXPECT_EQ(first.title, "Listing");
    ASSERT_EQ(first.fields.size(), 4u);
    EXPECT_EQ(first.fields[0].label, "Item");
    EXPECT_EQ(first.fields[0].value, "Owl Coin  OWL  \u00B7  1 offer waiting");
    EXPECT_EQ(first.fields[1].value, "4");
    EXPECT_EQ(first.fields[2].label, "Asking");
    EXPECT_EQ(first.fields[2].value, "1.00000000 BSV");
    EXPECT_EQ(first.fields[3].label, "Expires");
    EXPECT_EQ(first.fields[3].value, utc(1'790'000'000, "%Y-%m-%d"));
    EXPECT_EQ(cards.listings[1].fields[0].value, "OWL  \u00B7  2 offers waiting");
    EXPECT_EQ(cards.listings[2].fields[0].value, "origin-c");
    EXPECT_EQ(cards.listings[2].fields[3].value, "-");
    EXPECT_TRUE(cards.offers.empty());
}

TEST(MineCards, OwnOffersOnLiveListings)
{
    auto theirs = listing("a", THEM);
    auto priced = offer("mine", offer_hex("a_0"), ME);
    auto unpriced = offer("by-name", "", "");
    unpriced.handle = PAYMAIL;
    unpriced.pay_sats = 0;
    theirs.offers = {priced, offer("other", offer_hex("a_0")), unpriced};
    auto anonymous = listing("b", THEM);
    anonymous.handle.clear();
    anonymous.offers = {offer("mine-too", offer_hex("b_0"), ME)};
    auto closed = listing("c", THEM, "cancelled");
    closed.offers = {offer("closed", offer_hex("c_0"), ME)};
    CoinBook coins;
    const auto cards = ui::mine_cards({theirs, anonymous, closed}, ME, PAYMAIL, spends, coins.check(), utc);
    EXPECT_TRUE(cards.listings.empty());
    ASSERT_EQ(cards.offers.size(), 3u);
    EXPECT_EQ(cards.offers[0].title, "Offer");
    ASSERT_EQ(cards.offers[0].fields.size(), 4u);
    EXPECT_EQ(cards.offers[0].fields[0].value, "Owl Coin  OWL");
    EXPECT_EQ(cards.offers[0].fields[1].value, "1");
    EXPECT_EQ(cards.offers[0].fields[2].label, "You pay");
    EXPECT_EQ(cards.offers[0].fields[2].value, "0.25000000 BSV");
    EXPECT_EQ(cards.offers[0].fields[3].label, "Seller");
    EXPECT_EQ(cards.offers[0].fields[3].value, "seller-a");
    EXPECT_EQ(cards.offers[1].fields[2].value, "-");
    EXPECT_EQ(cards.offers[2].fields[3].value, "-");
}

TEST(ListLots, ChoiceLabelsAndOutpoints)
{
    wallet::TvPursaOrdRow token;
    token.origin = "o_0";
    token.txid = std::string(64, 'A');
    token.vout = 3;
    token.token_id = "tok_1";
    token.amt = "500";
    token.name = "Owl Coin";
    EXPECT_FALSE(token.is_picture());
    EXPECT_EQ(ui::lot_choice_label(token), "Owl Coin  500 lots");
    token.name.clear();
    EXPECT_EQ(ui::lot_choice_label(token), "tok_1  500 lots");
    EXPECT_EQ(ui::lot_outpoint(token), std::string(64, 'a') + "_3");

    wallet::TvPursaOrdRow picture;
    picture.origin = "pic_0";
    EXPECT_TRUE(picture.is_picture());
    EXPECT_EQ(ui::lot_choice_label(picture), "pic_0  picture");
    picture.name = "Golden Owl";
    EXPECT_EQ(ui::lot_choice_label(picture), "Golden Owl  picture");
}

} // namespace
