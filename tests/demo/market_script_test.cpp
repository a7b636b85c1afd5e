// The demo's script as data. Whether each move can be played (made before it, by the right
// person, within what the seller holds) is the headless run's check: it fails on any move the
// trade routines refuse.
#include "demo/market_script.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using demo::Move;
using demo::MoveKind;

constexpr int64_t NOW = 1'790'000'000;

// Played in time order within the last 90 days, with enough of every kind and fills in every
// range the charts show.
TEST(MarketScript, HasEnoughOfEveryKindAndSpreadsFillsOverTheQuarter)
{
    const std::vector<Move> moves = demo::market_script(NOW);
    int lists = 0, cancels = 0, withdrawals = 0;
    std::set<int> sellers;
    std::set<int64_t> fill_days;
    int64_t last = 0;
    for (const Move& m : moves) {
        EXPECT_GE(m.at, last) << m.label;
        EXPECT_LT(m.at, NOW) << m.label;
        EXPECT_GE(m.at, NOW - 90 * 86'400) << m.label;
        last = m.at;
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
    for (auto [from, to] : {std::pair<int64_t, int64_t>{0, 1}, {1, 7}, {7, 30}, {30, 90}}) {
        EXPECT_NE(fill_days.lower_bound(from), fill_days.lower_bound(to)) << "no fill " << from << " to " << to << " days ago";
    }
}

} // namespace
