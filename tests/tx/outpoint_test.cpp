#include "tx/outpoint.h"

#include <gtest/gtest.h>

namespace {

const std::string TXID = "9d9eed2d6c0526193a909c2f4543a84f683523bcde9bcd0d37028414a9eb1224";
const tx::Txid ID = *tx::Txid::parse(TXID);

// Either separator, either case, leading zeros; written back in the underscore form.
TEST(Outpoint, ParsesEitherFormAndWritesTheUnderscoreForm)
{
    const std::pair<std::string, uint32_t> read[] = {
        {TXID + "_0", 0}, {TXID + ":7", 7}, {"9D9EED2D6C0526193A909C2F4543A84F683523BCDE9BCD0D37028414A9EB1224_12", 12},
        {TXID + "_4294967295", 4294967295u}, {TXID + "_007", 7},
    };
    for (const auto& [text, vout] : read) EXPECT_EQ(tx::parse_outpoint(text), (tx::Outpoint{ID, vout})) << text;
    EXPECT_EQ(tx::format_outpoint(TXID, 3), TXID + "_3");
    EXPECT_EQ(tx::format_outpoint(tx::Outpoint{ID, 4294967295u}), TXID + "_4294967295");

    for (const std::string& text : {TXID, TXID.substr(1) + "_0", TXID + "_", TXID + "_-1", TXID + "_+1", TXID + "_1 ",
                                    TXID + "_ 1", TXID + "_4294967296", TXID + "_99999999999999999999", TXID + "_1x",
                                    TXID + "x_1", TXID + "_1_2", TXID + "_1:2", TXID.substr(0, 63) + "g_1", std::string(),
                                    std::string("_0")}) {
        EXPECT_FALSE(tx::parse_outpoint(text).has_value()) << text;
    }
    for (const std::string& text : {TXID + "0", " " + TXID.substr(1), TXID.substr(0, 63) + "G", std::string()}) {
        EXPECT_FALSE(tx::Txid::parse(text).has_value()) << text;
    }
}

} // namespace
