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

namespace reserves_test {

using funding::FundingCode;
using testsupport::failed;
using testsupport::outcome;

const std::string TXID_A = "aa" + std::string(62, '1');
const std::string TXID_B = "bb" + std::string(62, '2');
const std::string LISTING = "cc" + std::string(62, '3');
const std::string LISTING_UPPER = "CC" + std::string(62, '3');
const std::string FILE_REL = "agoran/reserves_none.json";

class Reserves : public fundingtest::FundingTest {};

// Outpoints and listing ids are kept normalised (lower case, "_"), whichever way they are written.
TEST_F(Reserves, AddBindAndRemoveByOutpointOrListingId)
{
    EXPECT_EQ(outcome(funding::reserve_add(ws(), "AA" + std::string(62, '1') + ":0", "origin_0", 1700000000)), "done");
    EXPECT_TRUE(funding::reserve_holds(ws(), TXID_A, 0));
    EXPECT_FALSE(funding::reserve_holds(ws(), TXID_A, 1));
    EXPECT_EQ(read_json(FILE_REL)["reserves"][0]["utxo"], TXID_A + "_0");
    EXPECT_EQ(outcome(funding::reserve_add(ws(), TXID_A + "_0", "", 0)), failed(FundingCode::AlreadyListed));
    EXPECT_EQ(outcome(funding::reserve_add(ws(), TXID_A + "_", "", 0)), failed(FundingCode::BadUtxo));
    EXPECT_EQ(outcome(funding::reserve_add(ws(), "", "", 0)), failed(FundingCode::BadUtxo));

    ASSERT_EQ(outcome(funding::reserve_add(ws(), TXID_B + "_1", "", 0)), "done");
    EXPECT_EQ(outcome(funding::reserve_bind_listing(ws(), TXID_B + "_0", LISTING)), failed(FundingCode::NoReserveForUtxo));
    ASSERT_EQ(outcome(funding::reserve_bind_listing(ws(), TXID_A + ":0", LISTING_UPPER)), "done");
    EXPECT_EQ(funding::reserve_for_listing(ws(), LISTING), TXID_A + "_0");
    // An empty key matches nothing, not every unbound reserve.
    EXPECT_TRUE(funding::reserve_remove(ws(), ""));
    EXPECT_EQ(funding::reserve_list(ws()).size(), 2u);
    EXPECT_TRUE(funding::reserve_remove(ws(), LISTING_UPPER));
    ASSERT_EQ(funding::reserve_list(ws()).size(), 1u);
    EXPECT_TRUE(funding::reserve_remove(ws(), "BB" + std::string(62, '2') + ":1"));
    EXPECT_TRUE(funding::reserve_list(ws()).empty());

    bind_wallet();  // the file is named after the bound wallet
    ASSERT_EQ(outcome(funding::reserve_add(ws(), TXID_A + "_0", "", 0)), "done");
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
    for (int n = 0; n < 20; ++n) EXPECT_EQ(outcome(funding::reserve_add(ws(), outpoint(5, n), "", 0)), "done");
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
    funding::ListingRecord record{"bsv21", TXID_A + ":0", "10", "4", big, "4", big, "1Pay", "1Ord", 1700000000};
    ASSERT_EQ(outcome(funding::reserve_add(ws(), TXID_A + "_0", "tok", 5)), "done");
    ASSERT_EQ(outcome(funding::reserve_bind_listing(ws(), TXID_A + "_0", LISTING, record)), "done");
    auto kept = funding::reserve_of_listing(ws(), LISTING_UPPER);
    ASSERT_TRUE(kept && kept->record.known());
    EXPECT_EQ(kept->origin, "tok");
    EXPECT_EQ(kept->record.listed_utxo, TXID_A + "_0");
    EXPECT_EQ(kept->record.price_sats, big);

    EXPECT_EQ(outcome(funding::reserve_rebind(ws(), LISTING.substr(1), TXID_B + "_2")), failed(FundingCode::BadRebind));
    EXPECT_EQ(outcome(funding::reserve_rebind(ws(), LISTING, TXID_B.substr(0, 60) + "_2")), failed(FundingCode::BadRebind));
    EXPECT_EQ(outcome(funding::reserve_rebind(ws(), TXID_B, TXID_B + "_2")), failed(FundingCode::NoReserveForListing));
    EXPECT_EQ(outcome(funding::reserve_rebind(ws(), LISTING, TXID_B + ":1")), "done");
    EXPECT_EQ(funding::reserve_of_listing(ws(), LISTING)->record.units_left, "4");
    record.units_left = "1";
    record.price_left = 250;
    EXPECT_EQ(outcome(funding::reserve_rebind(ws(), LISTING, TXID_B + "_2", record)), "done");
    EXPECT_FALSE(funding::reserve_holds(ws(), TXID_A, 0));
    EXPECT_TRUE(funding::reserve_holds(ws(), TXID_B, 2));
    kept = funding::reserve_of_listing(ws(), LISTING);
    EXPECT_EQ(kept->record.units_left, "1");
    EXPECT_EQ(kept->record.price_left, 250u);
    EXPECT_FALSE(funding::reserve_of_listing(ws(), TXID_B));
}

// A damaged file reads as far as it can and is kept aside ("<file>.bad-…") when replaced; a
// negative or fractional price reads as 0, never as a huge one.
TEST_F(Reserves, DamagedFilesLoseNothingThatCanBeRead)
{
    auto kept_copies = [&] {
        size_t n = 0;
        for (const auto& e : std::filesystem::directory_iterator(path("agoran"))) {
            n += e.path().filename().string().rfind("reserves_none.json.bad-", 0) == 0;
        }
        return n;
    };
    for (const char* text : {R"({"reserves": {"utxo": "x"}})", "{\"reserves\": ["}) {
        write_text(FILE_REL, text);
        EXPECT_TRUE(funding::reserve_list(ws()).empty()) << text;
        EXPECT_EQ(outcome(funding::reserve_add(ws(), TXID_A + "_0", "", 0)), "done") << text;
        EXPECT_EQ(read_json(FILE_REL)["reserves"].size(), 1u) << text;
    }
    EXPECT_EQ(kept_copies(), 2u);

    write_json(FILE_REL, {{"reserves", {7, "text", {{"utxo", TXID_A + "_3"}, {"price_left", -1}, {"price_sats", 2.5}},
                                        {{"utxo", TXID_B + "_1"}, {"exp", "soon"}}}}});
    auto list = funding::reserve_list(ws());
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].utxo, TXID_A + "_3");
    EXPECT_EQ(list[0].record.price_left, 0u);
    EXPECT_EQ(list[0].record.price_sats, 0u);
    EXPECT_EQ(list[1].exp, 0);
    EXPECT_EQ(outcome(funding::reserve_add(ws(), TXID_A + "_3", "", 0)), failed(FundingCode::AlreadyListed));
}

TEST_F(Reserves, SiblingFilesBlockCoinsAndSwapHoldsFollowThePayment)
{
    const std::string swap_held = "ee" + std::string(62, '5') + "_0";
    ASSERT_EQ(outcome(funding::reserve_add(ws(), TXID_A + "_0", "", 0)), "done");
    write_json("gallery/reserves_none.json",
               {{"reserves", {{{"pic_utxo", "DD" + std::string(62, '4') + ":1"}, {"cert_utxo", TXID_B + "_5"}, {"spot", 3}}}}});
    write_json("swapmere/reserves_none.json", {{"holds", {{{"utxo", swap_held}, {"trade", "t1"}, {"sats", 900}}}}, {"other", true}});
    EXPECT_EQ(funding::reserved_outpoints(ws()),
              (std::set<std::string>{TXID_A + "_0", "dd" + std::string(62, '4') + "_1", TXID_B + "_5", swap_held}));

    ASSERT_TRUE(funding::move_swap_holds(ws(), {swap_held}, LISTING + "_1"));
    EXPECT_EQ(read_json("swapmere/reserves_none.json"),
              nlohmann::json({{"holds", {{{"utxo", LISTING + "_1"}, {"trade", "t1"}, {"sats", 900}}}}, {"other", true}}));

    // Unreadable sibling files block nothing and are left alone.
    write_text("gallery/reserves_none.json", "not json");
    write_json("swapmere/reserves_none.json", {{"holds", "none"}});
    EXPECT_EQ(funding::reserved_outpoints(ws()), (std::set<std::string>{TXID_A + "_0"}));
    EXPECT_TRUE(funding::move_swap_holds(ws(), {TXID_A + "_0"}, TXID_B + "_0"));
    EXPECT_EQ(read_json("swapmere/reserves_none.json")["holds"], "none");
}

} // namespace reserves_test
