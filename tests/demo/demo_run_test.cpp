// The headless demo from a clean state folder, as a newcomer's first run: it must exit 0, save
// pictures that show something, and print a book that holds every live listing it seeded. Then
// the state is reused with a restarted simulator, and the counterparty answers the user both ways.
#include <QImage>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "core/json_get.h"
#include "core/market_clock.h"
#include "tests/support/program_run.h"
#include "tests/support/devnet_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// Distinct colours among a grid of samples: a blank or one-colour picture has one or two.
int colours_seen(const QImage& image)
{
    std::set<QRgb> seen;
    for (int y = 0; y < image.height(); y += std::max(1, image.height() / 40)) {
        for (int x = 0; x < image.width(); x += std::max(1, image.width() / 40)) seen.insert(image.pixel(x, y));
    }
    return static_cast<int>(seen.size());
}

class HeadlessDemo : public ::testing::Test {
protected:
    testsupport::TempDir m_temp;
    fs::path m_state = m_temp / "state";
    fs::path m_out = m_temp / "shots";

    // Every command acts at the next moment, so that each post sorts after the one before it.
    int64_t m_moment = 0;
    std::vector<std::string> at_next_moment(const std::vector<std::string>& args)
    {
        if (m_moment == 0) m_moment = core::system_seconds();
        std::vector<std::string> timed{"--at", std::to_string(++m_moment)};
        timed.insert(timed.end(), args.begin(), args.end());
        return timed;
    }
    testsupport::RunResult cli(const std::vector<std::string>& args)
    {
        return testsupport::run_program(testsupport::built_program("cli/agoran-cli"), at_next_moment(args),
                                        {"LOCALAPPDATA=" + (m_state / "user").string()}, std::chrono::seconds(120));
    }
    testsupport::RunResult counterparty_once()
    {
        return testsupport::run_program(testsupport::built_program("demo/agoran-demo-counterparty"),
                                        at_next_moment({"--state", m_state.string(), "--once"}), {}, std::chrono::seconds(120));
    }
    static nlohmann::json json_of(const testsupport::RunResult& r) { return core::parse_json(r.output).value_or(nlohmann::json()); }
};

TEST_F(HeadlessDemo, SeedsRendersPrintsTheBookAndTheCounterpartyAnswers)
{
    const testsupport::RunResult demo = testsupport::run_program("/bin/bash",
                         {testsupport::source_dir() / "scripts" / "demo.sh", "--headless", "--no-install", "--no-build",
                          "--state", m_state.string(), "--out", m_out.string()},
                         {"AGORAN_BUILD_DIR=" + testsupport::build_dir().string(), "DISPLAY=", "WAYLAND_DISPLAY="}, std::chrono::seconds(540));
    ASSERT_EQ(demo.exit_code, 0) << demo.output;

    std::ifstream file(m_state / "seeded.json");
    std::stringstream text;
    text << file.rdbuf();
    const nlohmann::json seeded = core::parse_json(text.str()).value_or(nlohmann::json());
    ASSERT_TRUE(seeded.is_object()) << text.str();
    // Every move of the script was played (what the script holds is market_script_test's).
    EXPECT_GE(seeded.value("listings", 0), 40);
    for (const char* state : {"partially_filled", "cancelled", "expired", "sold", "open_offers", "withdrawn_offers"}) {
        EXPECT_GE(seeded.value(state, 0), 1) << state;
    }
    EXPECT_EQ(seeded.value("moves_failed", -1), 0);
    EXPECT_GE(seeded.value("oldest_fill_days", 0.0), 60.0);

    // The printed book holds every live listing the seeding left (the table shows 12 digits).
    const auto live = seeded.value("live_ids", nlohmann::json::array());
    ASSERT_GE(live.size(), 10u);
    for (const auto& id : live) EXPECT_NE(demo.output.find(id.get<std::string>().substr(0, 12)), std::string::npos) << id;

    // Pictures of the main window and the dialogs, each showing more than a blank surface.
    int pictures = 0;
    bool main_window = false;
    for (const auto& entry : fs::directory_iterator(m_out)) {
        if (entry.path().extension() != ".png") continue;
        ++pictures;
        main_window = main_window || entry.path().filename().string().starts_with("main-");
        QImage image(QString::fromStdString(entry.path().string()));
        ASSERT_FALSE(image.isNull()) << entry.path();
        EXPECT_GE(image.width(), 200) << entry.path();
        EXPECT_GT(colours_seen(image), 8) << entry.path() << " looks blank";
    }
    EXPECT_TRUE(main_window);
    EXPECT_GE(pictures, 3);

    // Again on the same state: the simulator comes back with its chain, and the counterparty
    // offers on what the user lists and completes what the user offers.
    testsupport::Devnet::Options options;
    options.state_dir = m_state / "devnet";
    auto devnet = testsupport::Devnet::start(options);
    ASSERT_TRUE(devnet);
    ASSERT_TRUE(devnet->write_services(m_state / "user" / "TavrinNode"));
    const nlohmann::json lots = json_of(cli({"lots", "--json"}));
    std::string picture;
    for (const auto& lot : lots) {
        if (core::json_string(lot, "kind") == "picture") picture = core::json_string(lot, "id");
    }
    ASSERT_FALSE(picture.empty()) << lots.dump();
    const testsupport::RunResult listed = cli({"list", picture, "--price", "0.3", "--note", "First sale"});
    ASSERT_EQ(listed.exit_code, 0) << listed.output;
    const std::string listing = listed.output.substr(9, 64);
    const testsupport::RunResult offered = counterparty_once();
    ASSERT_EQ(offered.exit_code, 0);
    EXPECT_NE(offered.output.find("offer on " + listing.substr(0, 12) + ": success"), std::string::npos) << offered.output;
    std::string offer;
    for (const auto& row : json_of(cli({"offers", "--json"}))) {
        if (core::json_string(row, "listing") == listing) offer = core::json_string(row, "id");
    }
    ASSERT_FALSE(offer.empty());
    const testsupport::RunResult completed = cli({"complete", offer});
    EXPECT_EQ(completed.exit_code, 0) << completed.output;

    std::string theirs;
    for (const auto& l : json_of(cli({"book", "--json"}))) {
        if (core::json_string(l, "handle") == "zeno" && core::json_string(l, "status") == "live") theirs = core::json_string(l, "id");
    }
    ASSERT_FALSE(theirs.empty());
    const testsupport::RunResult bought = cli({"buy", theirs});
    ASSERT_EQ(bought.exit_code, 0) << bought.output;
    const testsupport::RunResult answered = counterparty_once();
    EXPECT_NE(answered.output.find(": success"), std::string::npos) << answered.output;
    for (const auto& l : json_of(cli({"book", "--json"}))) EXPECT_NE(core::json_string(l, "id"), theirs) << "still on the book";
}

} // namespace
