#include "cli/table.h"

#include <algorithm>

namespace cli {
namespace {

size_t display_width(const std::string& text)
{
    // Continuation bytes of UTF-8 (10xxxxxx) do not start a character.
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

} // namespace

std::string format_table(const std::vector<std::string>& header, const std::vector<std::vector<std::string>>& rows)
{
    std::vector<size_t> widths(header.size());
    auto measure = [&](const std::vector<std::string>& row) {
        for (size_t i = 0; i < widths.size() && i < row.size(); ++i)
            widths[i] = std::max(widths[i], display_width(row[i]));
    };
    measure(header);
    for (const auto& row : rows) measure(row);

    std::string out;
    auto emit = [&](const std::vector<std::string>& row) {
        std::string line;
        for (size_t i = 0; i < widths.size(); ++i) {
            const std::string cell = i < row.size() ? row[i] : std::string();
            if (i > 0) line += "  ";
            line += cell;
            if (i + 1 < widths.size()) line.append(widths[i] - display_width(cell), ' ');
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + "\n";
    };
    emit(header);
    for (const auto& row : rows) emit(row);
    return out;
}

} // namespace cli
