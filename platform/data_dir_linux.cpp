#include "platform/data_dir.h"

#include <system_error>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/environment.h"

namespace platform {

namespace {

std::filesystem::path base_dir()
{
    auto non_empty = [](const char* name) -> std::optional<std::string> {
        auto value = get_env(name);
        if (value && !value->empty()) return value;
        return std::nullopt;
    };
    if (auto local = non_empty("LOCALAPPDATA")) return *local;
    if (auto xdg = non_empty("XDG_DATA_HOME")) return *xdg;
    if (auto home = non_empty("HOME")) return std::filesystem::path(*home) / ".local" / "share";
    return ".";
}

} // namespace

std::filesystem::path data_dir()
{
    std::filesystem::path dir = base_dir() / "TavrinNode";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    // Only its owner may enter it: other users of the machine must not read the wallets, nor
    // lock the files every program here waits for.
    struct stat st {};
    if (::lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) != 0)
        (void)::chmod(dir.c_str(), st.st_mode & 0700);
    return dir;
}

} // namespace platform
