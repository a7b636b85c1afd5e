#include "ui/status_text.h"

namespace ui {

StatusDisplay status_display(std::string_view text, bool error)
{
    StatusDisplay out;
    const bool progress = text.size() >= 3 && text.substr(text.size() - 3) == "...";
    while (!text.empty() && text.back() == '.') text.remove_suffix(1);
    out.base = std::string(text);
    if (progress) out.kind = StatusKind::Progress;
    else if (error) out.kind = StatusKind::Error;
    return out;
}

std::string status_frame(const std::string& base, unsigned tick)
{
    return base + std::string(tick % 4, '.');
}

} // namespace ui
