#include "tx/outpoint.h"

#include <gtest/gtest.h>

namespace {

const std::string TXID = "9d9eed2d6c0526193a909c2f4543a84f683523bcde9bcd0d37028414a9eb1224";
const tx::Txid ID = *tx::Txid::parse(TXID);

TEST(ParseOutpoint, EitherSeparatorAndLowerCase)
{
    EXPECT_EQ(tx::parse_outpoint(TXID + "_0"), (tx::Outpoint{ID, 0}));
    EXPECT_EQ(tx::parse_outpoint(TXID + ":7"), (tx::Outpoint{ID, 7}));
    std::string upper = TXID;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(tx::parse_outpoint(upper + "_12"), (tx::Outpoint{ID, 12}));
    EXPECT_EQ(tx::parse_outpoint(TXID + "_4294967295"), (tx::Outpoint{ID, 4294967295u}));
    EXPECT_EQ(tx::parse_outpoint(TXID + "_007"), (tx::Outpoint{ID, 7}));
}

TEST(ParseOutpoint, RefusesEverythingElse)
{
    for (const std::string& text : {
             TXID,                                // no separator
             TXID.substr(1) + "_0",               // separator at 63
             TXID + "_",                          // no index
             TXID + "_-1",                        // negative
             TXID + "_+1",                        // signed
             TXID + "_1 ",                        // trailing blank
             TXID + "_ 1",                        // leading blank
             TXID + "_4294967296",                // beyond 32 bits
             TXID + "_99999999999999999999",      // far beyond
             TXID + "_1x",                        // junk after the index
             TXID + "x_1",                        // junk before the separator
             TXID + "_1_2",                       // the last separator is not at 64
             TXID + "_1:2",
             TXID.substr(0, 63) + "g_1",          // not hex
             std::string(),
             std::string("_0"),
         }) {
        EXPECT_FALSE(tx::parse_outpoint(text).has_value()) << text;
    }
    for (const std::string& text : {TXID + "0", " " + TXID.substr(1), TXID.substr(0, 63) + "G", std::string()}) {
        EXPECT_FALSE(tx::Txid::parse(text).has_value()) << text;
    }
}

TEST(FormatOutpoint, WritesTheUnderscoreForm)
{
    EXPECT_EQ(tx::format_outpoint(TXID, 3), TXID + "_3");
    EXPECT_EQ(tx::format_outpoint(tx::Outpoint{ID, 4294967295u}), TXID + "_4294967295");
    EXPECT_EQ(tx::parse_outpoint(tx::format_outpoint(TXID, 42)), (tx::Outpoint{ID, 42}));
}

} // namespace
