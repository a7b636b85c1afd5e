#include "ui/theme.h"

#include <fstream>
#include <sstream>
#include <system_error>

#include "core/json_get.h"
#include "platform/atomic_file.h"
#include "platform/data_dir.h"

namespace ui {

namespace {

constexpr std::array<Theme, THEME_COUNT> THEMES = {{
    {rgb(0x06080E), rgb(0x0A0E16), rgb(0x243448), rgb(0xECE4CC), rgb(0x788898), rgb(0xD4AF37),
     rgb(0x0E121A), rgb(0x161C28), rgb(0x283040), rgb(0x080A10), rgb(0xF8ECC8), rgb(0x040812)},
    {rgb(0x080808), rgb(0x0A0C0A), rgb(0x204E30), rgb(0xE2E8E2), rgb(0x6E8C76), rgb(0x2E8C3E),
     rgb(0x1C201C), rgb(0x283028), rgb(0x485848), rgb(0x0C0E0C), rgb(0xFFFFFF), rgb(0x0E1610)},
    {rgb(0x12080C), rgb(0x1C0C12), rgb(0x8C3452), rgb(0xF6E4EA), rgb(0xA86C80), rgb(0xC44876),
     rgb(0x2A121C), rgb(0x3A1A26), rgb(0x6E3048), rgb(0x10080C), rgb(0xFFF5F8), rgb(0x240C16)},
    {rgb(0x0C0A04), rgb(0x161208), rgb(0xA88424), rgb(0xF6ECC8), rgb(0xA89048), rgb(0xC9A227),
     rgb(0x241C0A), rgb(0x342A0E), rgb(0x78601C), rgb(0x0E0C04), rgb(0xFFF8DC), rgb(0x1C1608)},
}};

constexpr std::array<std::string_view, THEME_COUNT> VALUES = {"gold-blue", "forest", "rose", "gold"};
constexpr std::array<std::string_view, THEME_COUNT> SHOWN = {"Gold-Blue", "Forest", "Rose", "Gold"};

int valid_index(int index) { return index >= 0 && index < THEME_COUNT ? index : DEFAULT_THEME; }

} // namespace

const Theme& theme_palette(int index) { return THEMES[valid_index(index)]; }
std::string_view theme_value(int index) { return VALUES[valid_index(index)]; }
std::string_view theme_shown_name(int index) { return SHOWN[valid_index(index)]; }

int theme_from_settings_text(std::string_view text)
{
    const auto doc = core::parse_json(text);
    if (!doc || !doc->is_object()) return DEFAULT_THEME;
    const auto value = core::json_string_opt(*doc, "theme");
    if (!value) return DEFAULT_THEME;
    for (int i = 1; i < THEME_COUNT; ++i)
        if (*value == VALUES[i]) return i;
    return DEFAULT_THEME;
}

namespace {

core::Json settings_object(std::string_view text)
{
    auto doc = core::parse_json(text);
    if (!doc || !doc->is_object()) return core::Json::object();
    return *doc;
}

std::string read_text(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool write_settings(const std::filesystem::path& file, const core::Json& doc)
{
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    return platform::write_file_atomic(file, doc.dump(2) + "\n");
}

} // namespace

std::string theme_settings_text(int index, std::string_view existing_text)
{
    core::Json doc = settings_object(existing_text);
    doc["theme"] = std::string(theme_value(index));
    return doc.dump(2) + "\n";
}

std::filesystem::path ui_settings_path() { return platform::data_dir() / "agoran" / "ui.json"; }

int load_theme_setting(const std::filesystem::path& file) { return theme_from_settings_text(read_text(file)); }

bool save_theme_setting(const std::filesystem::path& file, int index)
{
    core::Json doc = settings_object(read_text(file));
    doc["theme"] = std::string(theme_value(index));
    return write_settings(file, doc);
}

std::vector<int> load_column_widths(const std::filesystem::path& file, std::string_view table)
{
    const core::Json doc = settings_object(read_text(file));
    const auto columns = doc.find("columns");
    if (columns == doc.end() || !columns->is_object()) return {};
    const auto list = columns->find(std::string(table));
    if (list == columns->end() || !list->is_array()) return {};
    std::vector<int> widths;
    for (const auto& entry : *list) {
        if (!entry.is_number_integer() || entry.get<int64_t>() < 8 || entry.get<int64_t>() > 4000) return {};
        widths.push_back(entry.get<int>());
    }
    return widths;
}

bool save_column_widths(const std::filesystem::path& file, std::string_view table, const std::vector<int>& widths)
{
    core::Json doc = settings_object(read_text(file));
    if (!doc.contains("columns") || !doc["columns"].is_object()) doc["columns"] = core::Json::object();
    doc["columns"][std::string(table)] = widths;
    return write_settings(file, doc);
}

} // namespace ui
