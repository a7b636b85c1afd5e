#include "platform/data_dir.h"

#include <system_error>

#include "platform/environment.h"
#include "platform/wide_text_windows.h"

namespace platform {

std::filesystem::path data_dir()
{
    std::filesystem::path base = L".";
    auto local = get_env("LOCALAPPDATA");
    if (local && !local->empty()) base = std::filesystem::path(widen(*local));
    std::filesystem::path dir = base / L"TavrinNode";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir;
}

} // namespace platform
