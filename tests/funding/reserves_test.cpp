// Listing reserves and the sibling reserve files that keep coins out of payments.
#include <filesystem>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "funding/json_store.h"
#include "funding/reserves.h"
#include "funding/sibling_reserves.h"
#include "platform/file_lock.h"
#include "tests/funding/funding_fixture.h"
#include "tests/support/funding_outcome.h"
#include "tests/support/test_txid.h"

namespace reserves_test {

using funding::FundingCode;
using testsupport::failed;
using testsupport::outcome;

const std::string TXID_A = "aa" + std::string(62, '1');
const std::string TXID_B = "bb" + std::string(62, '2');
const tx::Txid LISTING = test_txid("cc" + std::string(62, '3'));
const std::string FILE_REL = "agoran/reserves_none.json";

class Reserves : public fundingtest::FundingTest {};

TEST_F(Reserves, AddBindAndRemoveByOutpointOrListingId)
{
    EXPECT_EQ(outcome(funding::reserve_add(ws(), test_outpoint(TXID_A + "_0"), "origin_0", 1700000000)), "done");
    EXPECT_TRUE(funding::reserve_holds(ws(), test_outpoint(TXID_A + "_0")));
    EXPECT_FALSE(funding::reserve_holds(ws(), test_outpoint(TXID_A + "_1")));
    EXPECT_EQ(read_json(FILE_REL)["reserves"][0]["utxo"], TXID_A + "_0");
    EXPECT_EQ(outcome(funding::reserve_add(ws(), test_outpoint(TXID_A + "_0"), "", 0)), failed(FundingCode::AlreadyListed));

    ASSERT_EQ(outcome(funding::reserve_add(ws(), test_outpoint(TXID_B + "_1"), "", 0)), "done");
    EXPECT_EQ(outcome(funding::reserve_bind_listing(ws(), test_outpoint(TXID_B + "_0"), LISTING)), failed(FundingCode::NoReserveForUtxo));
    ASSERT_EQ(outcome(funding::reserve_bind_listing(ws(), test_outpoint(TXID_A + "_0"), LISTING)), "done");
    EXPECT_EQ(funding::reserve_for_listing(ws(), LISTING), test_outpoint(TXID_A + "_0"));
    EXPECT_TRUE(funding::reserve_remove_listing(ws(), LISTING));
    ASSERT_EQ(funding::reserve_list(ws()).size(), 1u);
    EXPECT_TRUE(funding::reserve_remove(ws(), test_outpoint(TXID_B + "_1")));
    EXPECT_TRUE(funding::reserve_list(ws()).empty());

    bind_wallet();  // the file is named after the bound wallet
    ASSERT_EQ(outcome(funding::reserve_add(ws(), test_outpoint(TXID_A + "_0"), "", 0)), "done");
    EXPECT_TRUE(exists("agoran/reserves_w1.json"));
}

// Several programs of one wallet list at once (the desktop program and agoran-cli, or three
// agoran-cli): each change reads, edits and writes the file under its lock, so none is lost.
TEST_F(Reserves, ProgramsChangingTheFileAtOnceLoseNothing)
{
    const auto file = funding::reserves_path(ws());
    auto outpoint = [](int program, int n) { return std::string(64, static_cast<char>('a' + program)) + "_" + std::to_string(n); };
    std::vector<std::thread> others;
    for (int program = 0; program < 3; ++program) {
        // Threads stand in for the other programs: the file lock keeps them apart as it keeps
        // processes apart.
        others.emplace_back([&, program] {
            for (int n = 0; n < 20; ++n) {
                (void)funding::update_store(file, "reserves", [&](nlohmann::json& doc) {
                    doc["reserves"].push_back({{"utxo", outpoint(program, n)}, {"origin", ""}, {"listing", ""}, {"exp", 0}});
                    return true;
                });
            }
        });
    }
    for (int n = 0; n < 20; ++n) EXPECT_EQ(outcome(funding::reserve_add(ws(), test_outpoint(outpoint(5, n)), "", 0)), "done");
    for (auto& t : others) t.join();
    EXPECT_EQ(funding::reserve_list(ws()).size(), 80u);

    // A program that keeps the file too long: the change says so and nothing is written.
    auto held = platform::FileLock::acquire(platform::lock_path_for(file));
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(funding::update_store(file, "reserves", [&](nlohmann::json&) { return true; }, std::chrono::milliseconds(100)),
              funding::StoreUpdate::Busy);
    EXPECT_EQ(funding::reserve_list(ws()).size(), 80u);
}

// The listing's record moves with the lot from output to output; a rebind without a record
// keeps the one there, a rebind with one replaces it.
TEST_F(Reserves, TheListingRecordMovesWithTheLot)
{
    const uint64_t big = (uint64_t{1} << 63) + 5;  // above the signed range
    funding::ListingRecord record{"bsv21", test_outpoint(TXID_A + "_0"), "10", "4", big, "4", big, "1Pay", "1Ord", 1700000000};
    ASSERT_EQ(outcome(funding::reserve_add(ws(), test_outpoint(TXID_A + "_0"), "tok", 5)), "done");
    ASSERT_EQ(outcome(funding::reserve_bind_listing(ws(), test_outpoint(TXID_A + "_0"), LISTING, record)), "done");
    EXPECT_EQ(read_json(FILE_REL)["reserves"][0]["listed_utxo"], TXID_A + "_0");
    auto kept = funding::reserve_of_listing(ws(), LISTING);
    ASSERT_TRUE(kept && kept->record.known());
    EXPECT_EQ(kept->origin, "tok");
    EXPECT_EQ(kept->record.listed_utxo, test_outpoint(TXID_A + "_0"));
    EXPECT_EQ(kept->record.price_sats, big);

    EXPECT_EQ(outcome(funding::reserve_rebind(ws(), test_txid(TXID_B), test_outpoint(TXID_B + "_2"))), failed(FundingCode::NoReserveForListing));
    EXPECT_EQ(outcome(funding::reserve_rebind(ws(), LISTING, test_outpoint(TXID_B + "_1"))), "done");
    EXPECT_EQ(funding::reserve_of_listing(ws(), LISTING)->record.units_left, "4");
    record.units_left = "1";
    record.price_left = 250;
    EXPECT_EQ(outcome(funding::reserve_rebind(ws(), LISTING, test_outpoint(TXID_B + "_2"), record)), "done");
    EXPECT_FALSE(funding::reserve_holds(ws(), test_outpoint(TXID_A + "_0")));
    EXPECT_TRUE(funding::reserve_holds(ws(), test_outpoint(TXID_B + "_2")));
    kept = funding::reserve_of_listing(ws(), LISTING);
    EXPECT_EQ(kept->record.units_left, "1");
    EXPECT_EQ(kept->record.price_left, 250u);
    EXPECT_FALSE(funding::reserve_of_listing(ws(), test_txid(TXID_B)));
}

// A damaged file reads as far as it can and is kept aside ("<file>.bad-…") when replaced; a
// negative or fractional price reads as 0, never as a huge one.
TEST_F(Reserves, DamagedFilesLoseNothingThatCanBeRead)
{
    for (const char* text : {R"({"reserves": {"utxo": "x"}})", "{\"reserves\": ["}) {
        write_text(FILE_REL, text);
        EXPECT_TRUE(funding::reserve_list(ws()).empty()) << text;
        EXPECT_EQ(outcome(funding::reserve_add(ws(), test_outpoint(TXID_A + "_0"), "", 0)), "done") << text;
        EXPECT_EQ(read_json(FILE_REL)["reserves"].size(), 1u) << text;
    }
    size_t kept = 0;
    for (const auto& e : std::filesystem::directory_iterator(path("agoran")))
        kept += e.path().filename().string().starts_with("reserves_none.json.bad-");
    EXPECT_EQ(kept, 2u);

    // Either case and separator are read; an entry of another program that is no reserve stays,
    // and the output it names stays out of payments.
    const nlohmann::json foreign = {{"utxo", "cc" + std::string(62, '7') + "_7"}, {"listing", "L7"}, {"spot", 2}};
    write_json(FILE_REL, {{"reserves", {7, "text", {{"utxo", "AA" + std::string(62, '1') + ":3"}, {"price_left", -1}, {"price_sats", 2.5}},
                                        foreign, {{"utxo", TXID_B + "_1"}, {"exp", "soon"}}}}});
    auto list = funding::reserve_list(ws());
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].utxo, test_outpoint(TXID_A + "_3"));
    EXPECT_EQ(list[0].record.price_left + list[0].record.price_sats, 0u);
    EXPECT_EQ(list[1].exp, 0);
    EXPECT_TRUE(funding::reserved_outpoints(ws()).contains(test_outpoint("cc" + std::string(62, '7') + "_7")));
    EXPECT_EQ(outcome(funding::reserve_add(ws(), test_outpoint(TXID_A + "_3"), "", 0)), failed(FundingCode::AlreadyListed));
    ASSERT_TRUE(funding::reserve_remove(ws(), test_outpoint(TXID_B + "_1")));
    EXPECT_EQ(read_json(FILE_REL)["reserves"], nlohmann::json::array({{{"utxo", TXID_A + "_3"}, {"origin", ""}, {"listing", ""}, {"exp", 0}}, foreign}));
}

TEST_F(Reserves, SiblingFilesBlockCoinsAndSwapHoldsFollowThePayment)
{
    const std::string swap_held = "ee" + std::string(62, '5') + "_0";
    ASSERT_EQ(outcome(funding::reserve_add(ws(), test_outpoint(TXID_A + "_0"), "", 0)), "done");
    write_json("gallery/reserves_none.json",
               {{"reserves", {{{"pic_utxo", "DD" + std::string(62, '4') + ":1"}, {"cert_utxo", TXID_B + "_5"}, {"spot", 3}}}}});
    write_json("swapmere/reserves_none.json", {{"holds", {{{"utxo", swap_held}, {"trade", "t1"}, {"sats", 900}}}}, {"other", true}});
    EXPECT_EQ(funding::reserved_outpoints(ws()),
              (std::set<tx::Outpoint>{test_outpoint(TXID_A + "_0"), test_outpoint("dd" + std::string(62, '4') + "_1"), test_outpoint(TXID_B + "_5"), test_outpoint(swap_held)}));

    ASSERT_TRUE(funding::move_swap_holds(ws(), {test_outpoint(swap_held)}, {LISTING, 1}));
    EXPECT_EQ(read_json("swapmere/reserves_none.json"),
              nlohmann::json({{"holds", {{{"utxo", LISTING.hex() + "_1"}, {"trade", "t1"}, {"sats", 900}}}}, {"other", true}}));

    // Unreadable sibling files block nothing and are left alone.
    write_text("gallery/reserves_none.json", "not json");
    write_json("swapmere/reserves_none.json", {{"holds", "none"}});
    EXPECT_EQ(funding::reserved_outpoints(ws()), (std::set<tx::Outpoint>{test_outpoint(TXID_A + "_0")}));
    EXPECT_TRUE(funding::move_swap_holds(ws(), {test_outpoint(TXID_A + "_0")}, test_outpoint(TXID_B + "_0")));
    EXPECT_EQ(read_json("swapmere/reserves_none.json")["holds"], "none");
}

} // namespace reserves_test
