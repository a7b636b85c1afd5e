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

class Reserves : public fundingtest::FundingTest {
protected:
    std::string file_rel() const { return "agoran/reserves_none.json"; }
    size_t kept_copies() const
    {
        size_t n = 0;
        for (const auto& e : std::filesystem::directory_iterator(path("agoran"))) {
            if (e.path().filename().string().rfind("reserves_none.json.bad-", 0) == 0) ++n;
        }
        return n;
    }
};

TEST_F(Reserves, OutpointsAreStoredNormalisedOnceAndShortOnesRefused)
{
    std::string upper = "AA" + std::string(62, '1');
    EXPECT_EQ(outcome(funding::reserve_add(ws(), upper + ":0", "origin_0", 1700000000)), "done");
    EXPECT_TRUE(funding::reserve_holds(ws(), TXID_A, 0));
    EXPECT_FALSE(funding::reserve_holds(ws(), TXID_A, 1));
    EXPECT_EQ(read_json(file_rel())["reserves"][0]["utxo"], TXID_A + "_0");
    EXPECT_EQ(read_json(file_rel())["reserves"][0]["exp"], 1700000000);
    // The file is indented by 2 and its keys sorted.
    EXPECT_NE(read_text(file_rel()).find("\n      \"exp\": 1700000000,\n      \"listing\": \"\",\n"), std::string::npos);

    EXPECT_EQ(outcome(funding::reserve_add(ws(), TXID_A + "_0", "", 0)), failed(FundingCode::AlreadyListed));
    EXPECT_EQ(outcome(funding::reserve_add(ws(), TXID_A + "_", "", 0)), failed(FundingCode::BadUtxo));
    EXPECT_EQ(outcome(funding::reserve_add(ws(), "", "", 0)), failed(FundingCode::BadUtxo));
    EXPECT_EQ(funding::reserve_list(ws()).size(), 1u);
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

TEST_F(Reserves, BindRebindAndTheListingRecordMoveWithTheLot)
{
    const uint64_t big = (uint64_t{1} << 63) + 5;  // above the signed range
    funding::ListingRecord record{"bsv21", TXID_A + ":0", "10", "4", big, "4", big, "1Pay", "1Ord", 1700000000};
    ASSERT_EQ(outcome(funding::reserve_add(ws(), TXID_A + "_0", "tok", 5)), "done");
    EXPECT_EQ(outcome(funding::reserve_bind_listing(ws(), TXID_B + "_0", LISTING)), failed(FundingCode::NoReserveForUtxo));
    EXPECT_EQ(outcome(funding::reserve_bind_listing(ws(), TXID_A + ":0", "CC" + std::string(62, '3'), record)), "done");
    EXPECT_EQ(funding::reserve_for_listing(ws(), LISTING), TXID_A + "_0");
    auto kept = funding::reserve_of_listing(ws(), "CC" + std::string(62, '3'));
    ASSERT_TRUE(kept && kept->record.known());
    EXPECT_EQ(kept->origin, "tok");
    EXPECT_EQ(kept->record.listed_utxo, TXID_A + "_0");
    EXPECT_EQ(kept->record.price_sats, big);
    EXPECT_EQ(read_json(file_rel())["reserves"][0]["price_left"].get<uint64_t>(), big);

    EXPECT_EQ(outcome(funding::reserve_rebind(ws(), LISTING.substr(1), TXID_B + "_2")), failed(FundingCode::BadRebind));
    EXPECT_EQ(outcome(funding::reserve_rebind(ws(), LISTING, TXID_B.substr(0, 60) + "_2")), failed(FundingCode::BadRebind));
    EXPECT_EQ(outcome(funding::reserve_rebind(ws(), TXID_B, TXID_B + "_2")), failed(FundingCode::NoReserveForListing));
    // A rebind without a record keeps it; one with a record replaces it.
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
    EXPECT_EQ(kept->record.qty, "4");
    EXPECT_FALSE(funding::reserve_of_listing(ws(), TXID_B));

    // A negative or fractional price in the file reads as 0, never as a huge one.
    nlohmann::json doc = read_json(file_rel());
    doc["reserves"][0]["price_left"] = -1;
    doc["reserves"][0]["price_sats"] = 2.5;
    write_json(file_rel(), doc);
    kept = funding::reserve_of_listing(ws(), LISTING);
    EXPECT_EQ(kept->record.price_left, 0u);
    EXPECT_EQ(kept->record.price_sats, 0u);
}

TEST_F(Reserves, RemoveByListingIdOrOutpoint)
{
    ASSERT_EQ(outcome(funding::reserve_add(ws(), TXID_A + "_0", "", 0)), "done");
    ASSERT_EQ(outcome(funding::reserve_add(ws(), TXID_B + "_1", "", 0)), "done");
    ASSERT_EQ(outcome(funding::reserve_bind_listing(ws(), TXID_A + "_0", LISTING)), "done");
    // An empty key matches nothing, not every unbound reserve.
    EXPECT_TRUE(funding::reserve_remove(ws(), ""));
    EXPECT_EQ(funding::reserve_list(ws()).size(), 2u);
    EXPECT_TRUE(funding::reserve_remove(ws(), "CC" + std::string(62, '3')));
    ASSERT_EQ(funding::reserve_list(ws()).size(), 1u);
    EXPECT_TRUE(funding::reserve_remove(ws(), "BB" + std::string(62, '2') + ":1"));
    EXPECT_TRUE(funding::reserve_list(ws()).empty());
}

TEST_F(Reserves, DamagedFilesReadAsFarAsTheyCanAndAreKeptAsideWhenReplaced)
{
    write_text(file_rel(), R"({"reserves": {"utxo": "x"}})");
    EXPECT_TRUE(funding::reserve_list(ws()).empty());
    EXPECT_FALSE(funding::reserve_holds(ws(), TXID_A, 0));
    EXPECT_EQ(outcome(funding::reserve_add(ws(), TXID_A + "_0", "", 0)), "done");
    EXPECT_TRUE(read_json(file_rel())["reserves"].is_array());
    EXPECT_EQ(read_json(file_rel())["reserves"].size(), 1u);
    EXPECT_EQ(kept_copies(), 1u);

    write_text(file_rel(), "{\"reserves\": [");  // cut short
    EXPECT_TRUE(funding::reserve_list(ws()).empty());
    EXPECT_EQ(outcome(funding::reserve_add(ws(), TXID_B + "_0", "", 0)), "done");
    EXPECT_EQ(kept_copies(), 2u);

    // Elements of the wrong shape are skipped; missing members default.
    write_json(file_rel(), {{"reserves", {7, "text", {{"utxo", TXID_A + "_3"}}, {{"utxo", TXID_B + "_1"}, {"exp", "soon"}}}}});
    auto list = funding::reserve_list(ws());
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].utxo, TXID_A + "_3");
    EXPECT_EQ(list[0].listing, "");
    EXPECT_EQ(list[0].exp, 0);
    EXPECT_EQ(list[1].exp, 0);
    EXPECT_EQ(outcome(funding::reserve_add(ws(), TXID_A + "_3", "", 0)), failed(FundingCode::AlreadyListed));
}

TEST_F(Reserves, FileIsNamedAfterTheBoundWallet)
{
    bind_wallet();
    ASSERT_EQ(outcome(funding::reserve_add(ws(), TXID_A + "_0", "", 0)), "done");
    EXPECT_TRUE(exists("agoran/reserves_w1.json"));
    EXPECT_FALSE(exists(file_rel()));
}

TEST_F(Reserves, SiblingFilesBlockCoinsAndSwapHoldsFollowThePayment)
{
    ASSERT_EQ(outcome(funding::reserve_add(ws(), TXID_A + "_0", "", 0)), "done");
    write_json("gallery/reserves_none.json",
               {{"reserves", {{{"pic_utxo", "DD" + std::string(62, '4') + ":1"}, {"cert_utxo", TXID_B + "_5"}, {"spot", 3}}}}});
    write_json("swapmere/reserves_none.json",
               {{"holds", {{{"utxo", "ee" + std::string(62, '5') + "_0"}, {"trade", "t1"}, {"sats", 900}}}}, {"other", true}});
    auto blocked = funding::reserved_outpoints(ws());
    EXPECT_EQ(blocked, (std::set<std::string>{TXID_A + "_0", "dd" + std::string(62, '4') + "_1", TXID_B + "_5",
                                              "ee" + std::string(62, '5') + "_0"}));

    ASSERT_TRUE(funding::move_swap_holds(ws(), {"ee" + std::string(62, '5') + "_0"}, LISTING + "_1"));
    auto swap = read_json("swapmere/reserves_none.json");
    EXPECT_EQ(swap["holds"][0]["utxo"], LISTING + "_1");
    EXPECT_EQ(swap["holds"][0]["trade"], "t1");
    EXPECT_EQ(swap["other"], true);

    // Unreadable sibling files block nothing and are left alone.
    write_text("gallery/reserves_none.json", "not json");
    write_json("swapmere/reserves_none.json", {{"holds", "none"}});
    EXPECT_EQ(funding::reserved_outpoints(ws()), (std::set<std::string>{TXID_A + "_0"}));
    EXPECT_TRUE(funding::move_swap_holds(ws(), {TXID_A + "_0"}, TXID_B + "_0"));
    EXPECT_EQ(read_json("swapmere/reserves_none.json")["holds"], "none");
}

} // namespace reserves_test
