#include "platform/data_dir.h"

#include <system_error>

#include "platform/atomic_file.h"
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
    // A folder made here is its owner's only; one that exists already sits in the user's own
    // LOCALAPPDATA and keeps the access it has.
    if (std::filesystem::create_directories(dir, ec)) (void)make_owner_only(dir);
    return dir;
}

} // namespace platform
