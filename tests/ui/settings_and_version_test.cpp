// The theme settings file and the update check's reading of the product page.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/support/temp_dir.h"
#include "ui/theme.h"
#include "ui/version_check.h"

namespace {

std::string read_file(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void write_file(const std::filesystem::path& path, const std::string& text)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

TEST(ThemeSettings, KnownValuesSelectTheirThemeAnythingElseGoldBlue)
{
    EXPECT_EQ(ui::theme_from_settings_text(R"({"theme": "forest"})"), 1);
    EXPECT_EQ(ui::theme_from_settings_text(R"({"theme": "rose", "other": 5})"), 2);
    EXPECT_EQ(ui::theme_from_settings_text(R"({"theme": "gold"})"), 3);
    EXPECT_EQ(ui::theme_from_settings_text(R"({"theme": "gold-blue"})"), 0);
    for (const char* text : {R"({"theme": "Gold"})", R"({"theme": "purple"})", R"({"theme": 3})", R"({})",
                             R"(["gold"])", "", "{\"theme\": \"gold\"", "\"gold\"", R"({"theme": null})",
                             R"({"theme": "gold "})"})
        EXPECT_EQ(ui::theme_from_settings_text(text), 0) << text;
}

// One file keeps the theme and the column widths: writing either keeps the other (and anything
// else it holds); widths that are not all plausible numbers are none at all.
TEST(ThemeSettings, ThemeAndColumnWidthsShareOneFile)
{
    testsupport::TempDir dir;
    const auto file = dir.path() / "agoran" / "ui.json";
    write_file(file, R"({"theme": "forest", "window": {"x": 10}})");
    EXPECT_EQ(ui::load_theme_setting(file), 1);
    ASSERT_TRUE(ui::save_column_widths(file, "book", {40, 220, 180}));
    ASSERT_TRUE(ui::save_theme_setting(file, 2));
    EXPECT_EQ(read_file(file), "{\n  \"columns\": {\n    \"book\": [\n      40,\n      220,\n      180\n    ]\n  },\n"
                               "  \"theme\": \"rose\",\n  \"window\": {\n    \"x\": 10\n  }\n}\n");
    EXPECT_EQ(ui::load_theme_setting(file), 2);
    EXPECT_EQ(ui::load_column_widths(file, "book"), (std::vector<int>{40, 220, 180}));
    EXPECT_TRUE(ui::load_column_widths(file, "history").empty());
    for (const char* bad : {R"({"columns": {"book": [40, "wide"]}})", R"({"columns": {"book": [40, 2]}})",
                            R"({"columns": {"book": 40}})", R"({"columns": [1]})", "{\"columns\": {\"bo"}) {
        write_file(file, bad);
        EXPECT_TRUE(ui::load_column_widths(file, "book").empty()) << bad;
    }
    // A file that is not an object reads as Gold-Blue and is replaced whole.
    EXPECT_EQ(ui::load_theme_setting(file), 0);
    ASSERT_TRUE(ui::save_theme_setting(file, 3));
    EXPECT_EQ(ui::load_theme_setting(file), 3);
    const auto fresh = dir.path() / "new" / "agoran" / "ui.json";
    ASSERT_TRUE(ui::save_column_widths(fresh, "book", {50}));
    EXPECT_EQ(ui::load_theme_setting(fresh), 0);
    EXPECT_EQ(ui::load_theme_setting(dir.path() / "missing.json"), 0);
}

// The product page is read as the release page is written: the first version after "Current
// build", else the last one; markup and entities are blanks; thousandths, rounded half up;
// anything unreadable is -1 and offers no update.
TEST(VersionPage, ReadsTheCurrentBuildOrNothing)
{
    const std::pair<std::string, int> cases[] = {
        {"<h2>Current build</h2><p>Notes...</p><p>Version: 0.003</p>", 3},
        {"version 3", 3},
        {"version 1.5", 1500},
        {"version .5", 500},
        {"version 7.", 7000},
        {"Version&#160;:&NBSP;0.005", 5},
        {"version<span>0.007</span>", 7},
        {"version 0.001 ... old; version 0.009", 9},
        {"version 0.008 then CURRENT BUILD", 8},
        {"version 0.001 CURRENT build version 0.005 version 0.009", 5},
        {"version 0.0025", 3},
        {"version 0.0024999", 2},
        {"", -1},
        {"version: beta", -1},
        {"version -3", -1},
        {"version .", -1},
        {"version 99999999999999999999", -1},
        {"version 9999999999.5", -1},
        {"Current build version 0.009 " + std::string(24000, 'x'), -1},
        {"Current build version 0.009 " + std::string(24000, 'x') + " version 0.004", 4},
    };
    for (const auto& [page, version] : cases) EXPECT_EQ(ui::parse_version_page(page), version) << page.substr(0, 60);
    EXPECT_TRUE(ui::update_available(3));
    EXPECT_FALSE(ui::update_available(2));
    EXPECT_FALSE(ui::update_available(-1));
}

} // namespace
