// The story of the demo market over its last 90 days: who lists what, who offers, who
// completes, who cancels and who withdraws, and when. Pure: the seeder plays it against the
// simulator (demo/seed_market.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace demo {

// The cast: the seeded traders by index, then the user of the demo.
inline constexpr const char* TRADER_NAMES[] = {"ariadne", "basilios", "calliope", "demos",
                                               "eudora",  "melina",   "nikias",   "zeno"};
inline constexpr int TRADER_COUNT = 8;
inline constexpr int USER = TRADER_COUNT;        // index of the user in a move's actor
inline constexpr int COUNTERPARTY = 7;           // zeno answers the user while the demo runs
inline constexpr const char* USER_NAME = "theron";

// The BSV-21 tokens: the first five belong to traders 0..4, the last two to the user.
struct TokenPlan {
    const char* symbol;
    int decimals;
    uint64_t supply;     // in the smallest units
    double unit_sats;    // a typical price of one smallest unit
    int owner;
};
inline constexpr TokenPlan TOKENS[] = {
    {"OBOL", 0, 1'000'000, 300.0, 0},
    {"DRCH", 2, 50'000'000, 5.0, 1},
    {"LAUR", 8, 2'100'000'000'000, 0.00025, 2},
    {"OWL", 0, 21'000, 12'000.0, 3},
    {"AMPH", 3, 5'000'000, 60.0, 4},
    {"OLIV", 0, 250'000, 900.0, USER},
    {"LYRA", 2, 1'000'000, 40.0, USER},
};
inline constexpr int TOKEN_COUNT = 7;

// The picture inscriptions and their first owners.
struct PictureSpec {
    const char* name;
    int owner;
};
inline constexpr PictureSpec PICTURES[] = {
    {"Dawn over the Stoa", 5}, {"Golden Owl #12", 5},  {"Temple at Night", 5}, {"Harbour Lights", 5},
    {"Olive Grove", 6},        {"Amphora Study", 6},   {"Trireme at Sea", 6},  {"Marble Head", 4},
    {"Agora at Noon", 7},      {"Lyre and Laurel", 7}, {"Sunset at Delos", USER}, {"Parthenon Sketch", USER},
};
inline constexpr int PICTURE_COUNT = 12;

enum class MoveKind { List, Offer, Complete, Cancel, Withdraw };

struct Move {
    int64_t at = 0;     // market time, Unix seconds
    int actor = 0;      // trader index, or USER
    MoveKind kind = MoveKind::List;
    std::string label;  // List and Offer: the name the later moves use for what it makes
    std::string ref;    // Offer, Cancel: a listing's label; Complete, Withdraw: an offer's label
    std::string lot;    // List: "T<n>" (token n) or "P<n>" (picture n)
    std::string qty;    // List, Offer: smallest units ("1" for a picture)
    std::string price;  // List: BSV
    std::string note;   // List
};

// The moves in time order, the last of them shortly before now.
std::vector<Move> market_script(int64_t now);

// Satoshis as BSV text with eight decimals ("0.01500000").
std::string bsv_text(uint64_t sats);

} // namespace demo
