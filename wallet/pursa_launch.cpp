#include "wallet/pursa_launch.h"

#include <array>

#include "platform/file_lock.h"
#include "platform/process.h"
#include "wallet/data_paths.h"

namespace wallet {

namespace {

constexpr std::array<const char*, 3> PURSA_PROGRAM_NAMES = {"pursa", "Pursa.exe", "pursa.exe"};

} // namespace

std::filesystem::path find_pursa_program()
{
    const auto exe = platform::executable_path();
    if (exe.empty()) return {};
    const auto dir = exe.parent_path();
    std::error_code ec;
    for (const auto& folder : {dir, dir.parent_path()}) {
        for (const char* name : PURSA_PROGRAM_NAMES) {
            auto candidate = folder / name;
            if (std::filesystem::is_regular_file(candidate, ec)) return candidate;
        }
    }
    return {};
}

bool pursa_running()
{
    return platform::file_is_locked(pursa_running_lock_path());
}

bool show_or_start_pursa()
{
    if (pursa_running()) return true;
    const auto program = find_pursa_program();
    if (program.empty()) return false;
    return platform::start_detached(program, {}, platform::executable_path().parent_path());
}

} // namespace wallet
