#include "demo/market_script.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

using demo::Move;
using demo::MoveKind;

constexpr int64_t NOW = 1'790'000'000;

TEST(MarketScript, EveryMoveActsOnSomethingMadeBeforeItByTheRightPerson)
{
    const std::vector<Move> moves = demo::market_script(NOW);
    ASSERT_FALSE(moves.empty());
    std::map<std::string, int> listed_by;   // listing label -> seller
    std::map<std::string, std::pair<int, std::string>> offers;  // offer label -> (buyer, listing label)
    int64_t last = 0;
    for (const Move& m : moves) {
        SCOPED_TRACE(m.label + " " + m.ref);
        EXPECT_GE(m.at, last);  // played in time order
        last = m.at;
        EXPECT_LT(m.at, NOW);
        EXPECT_GE(m.at, NOW - 90 * 86'400);
        ASSERT_GE(m.actor, 0);
        ASSERT_LE(m.actor, demo::USER);
        switch (m.kind) {
        case MoveKind::List:
            EXPECT_TRUE(listed_by.emplace(m.label, m.actor).second) << "label used twice";
            EXPECT_TRUE(m.lot.starts_with("T") || m.lot.starts_with("P"));
            if (m.lot.starts_with("P")) {
                EXPECT_EQ(m.qty, "1");
            }
            EXPECT_NE(m.qty, "0");
            break;
        case MoveKind::Offer:
            ASSERT_TRUE(listed_by.count(m.ref)) << "offer before its listing";
            EXPECT_NE(listed_by[m.ref], m.actor) << "an offer on one's own listing";
            EXPECT_TRUE(offers.emplace(m.label, std::make_pair(m.actor, m.ref)).second);
            break;
        case MoveKind::Complete:
            ASSERT_TRUE(offers.count(m.ref));
            EXPECT_EQ(listed_by[offers[m.ref].second], m.actor) << "completed by someone other than the seller";
            break;
        case MoveKind::Cancel:
            ASSERT_TRUE(listed_by.count(m.ref));
            EXPECT_EQ(listed_by[m.ref], m.actor);
            break;
        case MoveKind::Withdraw:
            ASSERT_TRUE(offers.count(m.ref));
            EXPECT_EQ(offers[m.ref].first, m.actor);
            break;
        }
    }
}

TEST(MarketScript, HasEnoughOfEveryKindAndSpreadsFillsOverTheQuarter)
{
    const std::vector<Move> moves = demo::market_script(NOW);
    int lists = 0, cancels = 0, withdrawals = 0;
    std::set<int> sellers;
    std::set<int64_t> fill_days;
    for (const Move& m : moves) {
        if (m.kind == MoveKind::List) {
            ++lists;
            if (m.actor != demo::USER) sellers.insert(m.actor);
        }
        if (m.kind == MoveKind::Cancel) ++cancels;
        if (m.kind == MoveKind::Withdraw) ++withdrawals;
        if (m.kind == MoveKind::Complete) fill_days.insert((NOW - m.at) / 86'400);
    }
    EXPECT_GE(lists, 40);
    EXPECT_GE(sellers.size(), 6u);
    EXPECT_GE(cancels, 2);
    EXPECT_GE(withdrawals, 1);
    // Fills within the last day, the week before, the month and the quarter: every chart range
    // has data.
    for (auto [from, to] : {std::pair<int64_t, int64_t>{0, 1}, {1, 7}, {7, 30}, {30, 90}}) {
        EXPECT_NE(fill_days.lower_bound(from), fill_days.lower_bound(to)) << "no fill " << from << " to " << to << " days ago";
    }
}

TEST(MarketScript, TokenSellersNeverListMoreThanTheyHold)
{
    // Replays the token moves on a ledger of units: a listing asks for at most what its seller
    // holds and has not listed, and a buyer holds nothing of that token before buying (so every
    // wallet keeps one output per token).
    const std::vector<Move> moves = demo::market_script(NOW);
    std::map<std::pair<int, std::string>, uint64_t> held;
    for (int t = 0; t < demo::TOKEN_COUNT; ++t) held[std::make_pair(demo::TOKENS[t].owner, "T" + std::to_string(t))] = demo::TOKENS[t].supply;
    std::map<std::string, Move> listing;
    std::map<std::string, Move> offer;
    for (const Move& m : moves) {
        if (m.kind == MoveKind::List) listing[m.label] = m;
        if (m.kind == MoveKind::Offer) offer[m.label] = m;
        if (m.kind == MoveKind::List && m.lot.starts_with("T")) {
            EXPECT_LE(std::stoull(m.qty), held[std::make_pair(m.actor, m.lot)]) << m.label;
        }
        if (m.kind == MoveKind::Complete) {
            const Move& o = offer[m.ref];
            const Move& l = listing[o.ref];
            if (!l.lot.starts_with("T")) continue;
            EXPECT_EQ(held[std::make_pair(o.actor, l.lot)], 0u) << o.label << ": the buyer already holds " << l.lot;
            const uint64_t units = std::stoull(o.qty);
            ASSERT_LE(units, held[std::make_pair(m.actor, l.lot)]);
            held[std::make_pair(m.actor, l.lot)] -= units;
            held[std::make_pair(o.actor, l.lot)] += units;
        }
    }
}

} // namespace
