#include "platform/atomic_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool write_all(int fd, std::string_view content)
{
    const char* p = content.data();
    size_t left = content.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

// Makes a finished rename durable: flushes the directory entry that now names the file.
void sync_parent_dir(const std::filesystem::path& path)
{
    std::filesystem::path dir = path.parent_path();
    if (dir.empty()) dir = ".";
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

bool write_file_atomic(const std::filesystem::path& path, std::string_view content, FileAccess access)
{
    std::filesystem::path tmp = path;
    tmp += ".tmp";
    const mode_t mode = access == FileAccess::OwnerOnly ? 0600 : 0666;
    int fd;
    do {
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;

    // A stale temporary file keeps its old mode through O_TRUNC, so set it explicitly.
    bool ok = access != FileAccess::OwnerOnly || ::fchmod(fd, 0600) == 0;
    ok = ok && write_all(fd, content) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(tmp.c_str(), path.c_str()) == 0) {
        sync_parent_dir(path);
        return true;
    }
    ::unlink(tmp.c_str());
    return false;
}

bool replace_file(const std::filesystem::path& from, const std::filesystem::path& to)
{
    int fd = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    if (::rename(from.c_str(), to.c_str()) != 0) return false;
    sync_parent_dir(to);
    return true;
}

bool make_owner_only(const std::filesystem::path& path)
{
    return ::chmod(path.c_str(), 0600) == 0;
}

} // namespace platform
