#include "demo/market_script.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace demo {
namespace {

constexpr int64_t DAY = 86'400;

const char* const NOTES[] = {"Fair price, quick sale", "Partial fills welcome", "From an early mint",
                             "Long-term holder moving on", "Bundle from my vault", "Offers welcome"};

class Script {
public:
    explicit Script(int64_t now) : m_now(now) {}

    // The time days (fractional) before now.
    int64_t ago(double days) const { return m_now - static_cast<int64_t>(days * DAY); }

    void list(double days, int who, const std::string& label, const std::string& lot, uint64_t qty, uint64_t sats)
    {
        Move m = base(days, who, MoveKind::List);
        m.label = label;
        m.lot = lot;
        m.qty = std::to_string(qty);
        m.price = bsv_text(std::max<uint64_t>(sats, 10'000));
        m.note = NOTES[m_moves.size() % std::size(NOTES)];
        m_moves.push_back(m);
    }
    void offer(double days, int who, const std::string& label, const std::string& listing, uint64_t qty)
    {
        Move m = base(days, who, MoveKind::Offer);
        m.label = label;
        m.ref = listing;
        m.qty = std::to_string(qty);
        m_moves.push_back(m);
    }
    void act(double days, int who, MoveKind kind, const std::string& ref)
    {
        Move m = base(days, who, kind);
        m.ref = ref;
        m_moves.push_back(m);
    }
    // A sale: an offer a little after days, completed by the seller a little later.
    void sale(double days, int buyer, int seller, const std::string& listing, uint64_t qty)
    {
        const std::string label = listing + "/o" + std::to_string(buyer);
        offer(days, buyer, label, listing, qty);
        act(days - 0.02, seller, MoveKind::Complete, label);
    }

    // What qty units of token t cost around that time: a slow wave and a rise over the quarter.
    uint64_t token_price(int t, uint64_t qty, double days) const
    {
        const double wave = 1.0 + 0.25 * std::sin(t * 1.7 + days / 9.0);
        const double rise = 1.0 + 0.3 * (90.0 - days) / 90.0;
        return static_cast<uint64_t>(static_cast<double>(qty) * TOKENS[t].unit_sats * wave * rise);
    }

    std::vector<Move> moves()
    {
        std::stable_sort(m_moves.begin(), m_moves.end(), [](const Move& a, const Move& b) { return a.at < b.at; });
        return m_moves;
    }

private:
    Move base(double days, int who, MoveKind kind) const
    {
        Move m;
        m.at = ago(days);
        m.actor = who;
        m.kind = kind;
        return m;
    }

    int64_t m_now;
    std::vector<Move> m_moves;
};

// One market token's quarter: the owner sells to three buyers, who trade on among the others.
void token_story(Script& s, int t)
{
    const TokenPlan& token = TOKENS[t];
    const int owner = token.owner;
    int others[TRADER_COUNT - 1];
    for (int i = 0, n = 0; i < TRADER_COUNT; ++i) {
        if (i != owner) others[n++] = i;
    }
    auto buyer = [&](int i) { return others[(i + t) % (TRADER_COUNT - 1)]; };
    const int b1 = buyer(0), b2 = buyer(1), b3 = buyer(2), b4 = buyer(3), b5 = buyer(4), b6 = buyer(5), b7 = buyer(6);
    const double shift = t * 0.37;
    const uint64_t q1 = token.supply / 10, q2 = token.supply / 20, q3 = token.supply * 8 / 100;
    const uint64_t h3 = q3 / 2, half1 = q1 / 2, quarter1 = q1 / 4, third2 = q2 / 3;
    const std::string T = "T" + std::to_string(t), L = T + "-";
    auto at = [&](double days) { return days + shift; };
    auto price = [&](uint64_t qty, double days, double markup) {
        return static_cast<uint64_t>(static_cast<double>(s.token_price(t, qty, days)) * markup);
    };

    s.list(at(88), owner, L + "1", T, q1, price(q1, 88, 1.0));
    s.sale(at(87.9), b1, owner, L + "1", q1);
    s.list(at(75), owner, L + "2", T, q2, price(q2, 75, 1.0));
    s.sale(at(74.9), b2, owner, L + "2", q2);
    s.list(at(60), owner, L + "3", T, q3, price(q3, 60, 1.05));
    s.sale(at(59.9), b3, owner, L + "3", h3);  // the rest expires unsold
    s.list(at(50), b1, L + "4", T, q1, price(q1, 50, 1.1));
    s.sale(at(49.9), b4, b1, L + "4", q1);
    s.list(at(40), b2, L + "5", T, q2, price(q2, 40, 1.4));
    s.act(at(39), b2, MoveKind::Cancel, L + "5");
    s.list(at(25), b2, L + "6", T, q2, price(q2, 25, 1.1));
    s.sale(at(20), b5, b2, L + "6", third2);
    s.list(at(15), b4, L + "7", T, half1, price(half1, 15, 1.0));
    s.sale(at(12), b1, b4, L + "7", half1);
    s.list(at(8), b3, L + "8", T, h3, price(h3, 8, 1.15));
    s.offer(at(7), b6, L + "8/o", L + "8", h3);  // stays open
    if (t == 0) {
        s.offer(at(6.5), b7, L + "8/w", L + "8", h3 / 2);
        s.act(at(6), b7, MoveKind::Withdraw, L + "8/w");
    }
    s.list(at(4), b1, L + "9", T, half1, price(half1, 4, 1.05));
    s.sale(at(3), b7, b1, L + "9", quarter1);
    s.list(at(1), b5, L + "10", T, third2, price(third2, 1, 1.0));
    s.sale(at(0.6), b6, b5, L + "10", third2);
    s.list(0.25 - t * 0.03, b4, L + "11", T, half1, price(half1, 0.25, 1.2));
}

void picture_story(Script& s)
{
    constexpr int ARIADNE = 0, BASILIOS = 1, CALLIOPE = 2, DEMOS = 3, NIKIAS = 6, ZENO = 7;
    auto owner = [](int p) { return PICTURES[p].owner; };
    s.list(85, owner(0), "P0-1", "P0", 1, 25'000'000);
    s.sale(84, ARIADNE, owner(0), "P0-1", 1);
    s.list(30, ARIADNE, "P0-2", "P0", 1, 40'000'000);
    s.list(70, owner(1), "P1-1", "P1", 1, 30'000'000);  // expires
    s.list(45, owner(2), "P2-1", "P2", 1, 18'000'000);
    s.sale(44, USER, owner(2), "P2-1", 1);
    s.list(20, owner(3), "P3-1", "P3", 1, 50'000'000);
    s.act(19, owner(3), MoveKind::Cancel, "P3-1");
    s.list(5, owner(3), "P3-2", "P3", 1, 45'000'000);
    s.offer(4.5, CALLIOPE, "P3-2/o", "P3-2", 1);  // stays open
    s.list(65, owner(4), "P4-1", "P4", 1, 22'000'000);
    s.sale(64, BASILIOS, owner(4), "P4-1", 1);
    s.list(10, BASILIOS, "P4-2", "P4", 1, 35'000'000);
    s.list(35, owner(5), "P5-1", "P5", 1, 60'000'000);  // expires
    s.list(12, owner(6), "P6-1", "P6", 1, 27'000'000);
    s.list(3, owner(7), "P7-1", "P7", 1, 15'000'000);
    s.sale(2, DEMOS, owner(7), "P7-1", 1);
    s.list(6, owner(8), "P8-1", "P8", 1, 12'000'000);
    s.list(0.5, owner(9), "P9-1", "P9", 1, 20'000'000);
    // The user's own: a picture with an offer waiting, and a token lot partly sold.
    s.list(9, USER, "P10-1", "P10", 1, 30'000'000);
    s.offer(8.5, ZENO, "P10-1/o", "P10-1", 1);
    s.list(14, USER, "T5-1", "T5", 50'000, s.token_price(5, 50'000, 14));
    s.sale(13, NIKIAS, USER, "T5-1", 20'000);
}

} // namespace

std::string bsv_text(uint64_t sats)
{
    char text[40];
    std::snprintf(text, sizeof text, "%llu.%08llu", static_cast<unsigned long long>(sats / 100'000'000),
                  static_cast<unsigned long long>(sats % 100'000'000));
    return text;
}

std::vector<Move> market_script(int64_t now)
{
    Script s(now);
    for (int t = 0; t < 5; ++t) token_story(s, t);
    picture_story(s);
    return s.moves();
}

} // namespace demo
