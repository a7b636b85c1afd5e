#include "platform/file_lock.h"

namespace platform {

std::filesystem::path lock_path_for(const std::filesystem::path& file)
{
    std::filesystem::path lock = file;
    lock += ".lock";
    return lock;
}

} // namespace platform
