// The headless demo from a clean state folder, as a newcomer's first run: every move of its script
// played, the live listings printed, pictures of the windows that show something.
#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "core/json_get.h"
#include "tests/support/program_run.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

TEST(HeadlessDemo, SeedsRendersAndPrintsTheBook)
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
}

} // namespace
