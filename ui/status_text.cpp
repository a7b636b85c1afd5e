#include "ui/status_text.h"

#include "core/text.h"
namespace ui {

bool is_error_text(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    return core::ascii_lower(text.substr(i, 5)) == "error";
}

StatusDisplay status_display(std::string_view text)
{
    StatusDisplay out;
    const bool progress = text.size() >= 3 && text.substr(text.size() - 3) == "...";
    while (!text.empty() && text.back() == '.') text.remove_suffix(1);
    out.base = std::string(text);
    if (progress) out.kind = StatusKind::Progress;
    else if (is_error_text(out.base)) out.kind = StatusKind::Error;
    return out;
}

std::string status_frame(const std::string& base, unsigned tick)
{
    return base + std::string(tick % 4, '.');
}

} // namespace ui
