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

TEST(VersionPage, CurrentBuildFollowedByVersion)
{
    EXPECT_EQ(ui::parse_version_page("<h2>Current build</h2><p>Notes...</p><p>Version: 0.003</p>"), 3);
    EXPECT_EQ(ui::parse_version_page("<h2>Current build</h2><p>Version: 0.002</p>"), 2);
    EXPECT_TRUE(ui::update_available(3));
    EXPECT_FALSE(ui::update_available(2));
    EXPECT_FALSE(ui::update_available(-1));
}

TEST(VersionPage, VersionWithoutAPointCountsThousandths)
{
    EXPECT_EQ(ui::parse_version_page("version 3"), 3);
    EXPECT_EQ(ui::parse_version_page("Version=2"), 2);
    EXPECT_EQ(ui::parse_version_page("version 1.5"), 1500);
    EXPECT_EQ(ui::parse_version_page("version .5"), 500);
    EXPECT_EQ(ui::parse_version_page("version 7."), 7000);
}

TEST(VersionPage, EntitiesAreBlanksAndMarkupIsDropped)
{
    EXPECT_EQ(ui::parse_version_page("Version&nbsp;0.004"), 4);
    EXPECT_EQ(ui::parse_version_page("Version&#160;:&NBSP;0.005"), 5);
    EXPECT_EQ(ui::parse_version_page("<b>Version</b> <i>0.006</i>"), 6);
    // ">" leaves a blank: no digits run into the word.
    EXPECT_EQ(ui::parse_version_page("version<span>0.007</span>"), 7);
}

TEST(VersionPage, LastVersionWhenCurrentBuildIsMissing)
{
    EXPECT_EQ(ui::parse_version_page("version 0.001 ... old; version 0.009"), 9);
    // "current build" without a later "version": the last one counts.
    EXPECT_EQ(ui::parse_version_page("version 0.008 then CURRENT BUILD"), 8);
    // With it, the first version after it wins even over a later one.
    EXPECT_EQ(ui::parse_version_page("version 0.001 CURRENT build version 0.005 version 0.009"), 5);
}

TEST(VersionPage, PagesWithoutANumberGiveMinusOne)
{
    EXPECT_EQ(ui::parse_version_page(""), -1);
    EXPECT_EQ(ui::parse_version_page("no such word"), -1);
    EXPECT_EQ(ui::parse_version_page("version: beta"), -1);
    EXPECT_EQ(ui::parse_version_page("version -3"), -1);
    EXPECT_EQ(ui::parse_version_page("version ."), -1);
    EXPECT_EQ(ui::parse_version_page("version 99999999999999999999"), -1);
    EXPECT_EQ(ui::parse_version_page("version 9999999999.5"), -1);
}

TEST(VersionPage, RoundingIsHalfAwayFromZeroOnTheDecimalText)
{
    EXPECT_EQ(ui::parse_version_page("version 0.0025"), 3);
    EXPECT_EQ(ui::parse_version_page("version 0.0024999"), 2);
    EXPECT_EQ(ui::parse_version_page("version 1.0005"), 1001);
}

TEST(VersionPage, OnlyTheLast24000BytesAreSearched)
{
    std::string page = "Current build version 0.009 ";
    page += std::string(24000, 'x');
    EXPECT_EQ(ui::parse_version_page(page), -1);
    page += " version 0.004";
    EXPECT_EQ(ui::parse_version_page(page), 4);
}

TEST(VersionTexts, LabelAndQuestion)
{
    EXPECT_EQ(ui::version_text(2), "0.002");
    EXPECT_EQ(ui::version_text(1500), "1.500");
    EXPECT_EQ(ui::version_text(-1), "0.002");
    EXPECT_EQ(ui::version_label_text(-1, "https://p"), "Version 0.002");
    EXPECT_EQ(ui::version_label_text(2, "https://p"), "Version 0.002");
    EXPECT_EQ(ui::version_label_text(3, "https://p"), "Update available, https://p");
    EXPECT_EQ(ui::update_question_text(3, "https://p"),
              "A newer Tavrin Agoran is available.\n\nThis build:  0.002\nLatest:      0.003\n\n"
              "Open https://p to download it?");
}

} // namespace
