// The headless demo from a clean state folder, as a newcomer's first run: every move of its script
// played, the live listings printed, pictures of the windows that show something; then, on the
// same state, the counterparty answers a listing and an offer of the user's.
#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "core/market_clock.h"
#include "core/json_get.h"
#include "tests/support/devnet_fixture.h"
#include "tests/support/program_run.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

TEST(HeadlessDemo, SeedsRendersPrintsTheBookAndTheCounterpartyAnswers)
{
    testsupport::TempDir temp;
    const fs::path state = temp / "state";
    const fs::path out = temp / "shots";
    const testsupport::RunResult demo = testsupport::run_program(
        "/bin/bash",
        {testsupport::source_dir() / "scripts" / "demo.sh", "--headless", "--no-install", "--no-build", "--state",
         state.string(), "--out", out.string()},
        {"AGORAN_BUILD_DIR=" + testsupport::build_dir().string(), "DISPLAY=", "WAYLAND_DISPLAY="}, std::chrono::seconds(540));
    ASSERT_EQ(demo.exit_code, 0) << demo.output;

    std::stringstream text;
    text << std::ifstream(state / "seeded.json").rdbuf();
    const nlohmann::json seeded = core::parse_json(text.str()).value_or(nlohmann::json());
    ASSERT_TRUE(seeded.is_object()) << text.str();
    EXPECT_EQ(seeded.value("moves_failed", -1), 0);
    for (const char* state : {"partially_filled", "cancelled", "expired", "sold", "open_offers", "withdrawn_offers"})
        EXPECT_GE(seeded.value(state, 0), 1) << state;
    const auto live = seeded.value("live_ids", nlohmann::json::array());
    ASSERT_GE(live.size(), 10u);
    for (const auto& id : live) EXPECT_NE(demo.output.find(id.get<std::string>().substr(0, 12)), std::string::npos) << id;

    int pictures = 0;
    for (const auto& entry : fs::directory_iterator(out)) {
        if (entry.path().extension() != ".png") continue;
        ++pictures;
        const QImage image(QString::fromStdString(entry.path().string()));
        std::set<QRgb> colours;  // a blank or one-colour picture has one or two
        for (int y = 0; y < image.height(); y += std::max(1, image.height() / 40))
            for (int x = 0; x < image.width(); x += std::max(1, image.width() / 40)) colours.insert(image.pixel(x, y));
        EXPECT_GT(colours.size(), 8u) << entry.path() << " looks blank";
    }
    EXPECT_GE(pictures, 3);

    // Each command acts at the next moment, so that each post sorts after the one before it.
    int64_t moment = core::system_seconds();
    const auto run = [&](const std::string& program, std::vector<std::string> args) {
        args.insert(args.begin(), {"--at", std::to_string(++moment)});
        return testsupport::run_program(testsupport::built_program(program), args,
                                        {"LOCALAPPDATA=" + (state / "user").string()}, std::chrono::seconds(120));
    };
    const auto json_of = [](const testsupport::RunResult& r) { return core::parse_json(r.output).value_or(nlohmann::json()); };
    const auto counterparty = [&] { return run("demo/agoran-demo-counterparty", {"--state", state.string(), "--once"}); };
    testsupport::Devnet::Options options;
    options.state_dir = state / "devnet";
    auto devnet = testsupport::Devnet::start(options);
    ASSERT_TRUE(devnet && devnet->write_services(state / "user" / "TavrinNode"));

    std::string picture;
    for (const auto& lot : json_of(run("cli/agoran-cli", {"lots", "--json"})))
        if (core::json_string(lot, "kind") == "picture") picture = core::json_string(lot, "id");
    const testsupport::RunResult listed = run("cli/agoran-cli", {"list", picture, "--price", "0.3", "--note", "First sale"});
    ASSERT_EQ(listed.exit_code, 0) << listed.output;
    const std::string listing = listed.output.substr(9, 64);
    EXPECT_NE(counterparty().output.find("offer on " + listing.substr(0, 12) + ": success"), std::string::npos);
    std::string offer;
    for (const auto& row : json_of(run("cli/agoran-cli", {"offers", "--json"})))
        if (core::json_string(row, "listing") == listing) offer = core::json_string(row, "id");
    EXPECT_EQ(run("cli/agoran-cli", {"complete", offer}).exit_code, 0);

    std::string theirs;
    for (const auto& l : json_of(run("cli/agoran-cli", {"book", "--json"})))
        if (core::json_string(l, "handle") == "zeno" && core::json_string(l, "status") == "live") theirs = core::json_string(l, "id");
    ASSERT_EQ(run("cli/agoran-cli", {"buy", theirs}).exit_code, 0);
    EXPECT_NE(counterparty().output.find(": success"), std::string::npos);
    for (const auto& l : json_of(run("cli/agoran-cli", {"book", "--json"}))) EXPECT_NE(core::json_string(l, "id"), theirs);
}

} // namespace
