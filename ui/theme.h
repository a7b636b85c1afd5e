// The four colour themes, and the settings file "ui.json" (folder "agoran" of the data
// directory) that remembers the chosen one and the column widths the user set:
//   {"columns": {"book": [40, 220, ...], "history": [...]}, "theme": "gold-blue"}
// Writing one setting keeps the others; the file is indented by 2 with sorted keys.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "ui/rgb.h"

namespace ui {

// Twelve colours, in the order the settings and the drawing code name them.
struct Theme {
    Rgb background;
    Rgb panel;
    Rgb border;
    Rgb text;
    Rgb muted;
    Rgb accent;
    Rgb tile;
    Rgb tile_alt;
    Rgb gradient_from;
    Rgb gradient_to;
    Rgb glyph;
    Rgb caption;
};

inline constexpr int THEME_COUNT = 4;
inline constexpr int DEFAULT_THEME = 0;

// The palette of theme index 0..3 (gold-blue, forest, rose, gold); other indices give theme 0.
const Theme& theme_palette(int index);
// The settings value ("gold-blue", "forest", "rose", "gold").
std::string_view theme_value(int index);
// The name the Settings window shows ("Gold-Blue", "Forest", "Rose", "Gold").
std::string_view theme_shown_name(int index);

// The theme a settings file selects: "forest", "rose" and "gold" select 1..3; anything else (an
// unknown value, a missing or non-text member, text that is not a JSON object) selects 0.
int theme_from_settings_text(std::string_view text);
// The file's content after choosing a theme: the members of existing_text (when it is a JSON
// object) with "theme" set, indented by 2, with a final line feed.
std::string theme_settings_text(int index, std::string_view existing_text = {});

// <data directory>/agoran/ui.json.
std::filesystem::path ui_settings_path();
// Reads the theme from a settings file; a missing or unreadable file selects theme 0.
int load_theme_setting(const std::filesystem::path& file);
// Creates the folder when missing and replaces the file with the theme's value, keeping the
// other settings. False when the file could not be written.
bool save_theme_setting(const std::filesystem::path& file, int index);

// The widths the user gave a table's columns ("book", "history"): every entry a number from 8
// to 4000 pixels, else none at all.
std::vector<int> load_column_widths(const std::filesystem::path& file, std::string_view table);
// Remembers a table's column widths, keeping the other settings. False when the file could not
// be written.
bool save_column_widths(const std::filesystem::path& file, std::string_view table, const std::vector<int>& widths);

} // namespace ui
