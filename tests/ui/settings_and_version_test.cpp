// The settings file (theme and column widths) and the update check's reading of the product page.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/support/temp_dir.h"
#include "ui/theme.h"
#include "ui/version_check.h"

namespace {

// Writing the theme or the widths keeps whatever else the file holds; bad values read as none.
TEST(Settings, ThemeAndColumnWidthsShareOneFile)
{
    testsupport::TempDir dir;
    const auto file = dir.path() / "agoran" / "ui.json";
    std::filesystem::create_directories(file.parent_path());
    auto write = [&](const std::string& text) { std::ofstream(file, std::ios::binary | std::ios::trunc) << text; };
    write(R"({"theme": "forest", "window": {"x": 10}})");
    EXPECT_EQ(ui::load_theme_setting(file), 1);
    ASSERT_TRUE(ui::save_column_widths(file, "book", {40, 220, 180}));
    ASSERT_TRUE(ui::save_theme_setting(file, 2));
    EXPECT_EQ(ui::load_theme_setting(file), 2);
    EXPECT_EQ(ui::load_column_widths(file, "book"), (std::vector<int>{40, 220, 180}));
    EXPECT_TRUE(ui::load_column_widths(file, "history").empty());
    std::stringstream kept;
    kept << std::ifstream(file).rdbuf();
    EXPECT_NE(kept.str().find("\"x\": 10"), std::string::npos) << kept.str();

    write(R"({"theme": "Gold", "columns": {"book": [40, 2]}})");
    EXPECT_EQ(ui::load_theme_setting(file), 0);
    EXPECT_TRUE(ui::load_column_widths(file, "book").empty());
    write(R"({"columns": {"book": [40, "wide"]}})");
    EXPECT_TRUE(ui::load_column_widths(file, "book").empty());
    write("[1]");
    ASSERT_TRUE(ui::save_theme_setting(file, 3));
    EXPECT_EQ(ui::load_theme_setting(file), 3);
    EXPECT_EQ(ui::load_theme_setting(dir.path() / "missing.json"), 0);
}

// The product page is read as the release page is written: the first version after "Current
// build", else the last one; markup and entities are blanks; thousandths, rounded half up;
// anything unreadable is -1 and offers no update.
TEST(VersionPage, ReadsTheCurrentBuildOrNothing)
{
    const std::pair<std::string, int> cases[] = {
        {"<h2>Current build</h2><p>Notes...</p><p>Version: 0.003</p>", 3},
        {"Version&#160;:&NBSP;0.005", 5},
        {"version 0.001 CURRENT build version 0.005 version 0.009", 5},
        {"version 0.0025", 3},
        {"version 0.0024999", 2},
        {"version 99999999999999999999", -1},
        {"Current build version 0.009 " + std::string(24000, 'x'), -1},
        {"Current build version 0.009 " + std::string(24000, 'x') + " version 0.004", 4},
    };
    for (const auto& [page, version] : cases) EXPECT_EQ(ui::parse_version_page(page), version) << page.substr(0, 60);
    EXPECT_TRUE(ui::update_available(3));
    EXPECT_FALSE(ui::update_available(2));
    EXPECT_FALSE(ui::update_available(-1));
}

} // namespace
