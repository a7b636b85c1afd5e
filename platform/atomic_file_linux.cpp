#include "platform/atomic_file.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
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

// ".tmp-" and 16 random hexadecimal digits.
std::string temp_suffix()
{
    static thread_local std::mt19937_64 generator{std::random_device{}() ^
                                               (static_cast<uint64_t>(::getpid()) << 32) ^
                                               static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())};
    char text[24];
    std::snprintf(text, sizeof text, ".tmp-%016llx", static_cast<unsigned long long>(generator()));
    return text;
}

} // namespace

bool write_file_atomic(const std::filesystem::path& path, std::string_view content, FileAccess access)
{
    const mode_t mode = access == FileAccess::OwnerOnly ? 0600 : 0666;
    std::filesystem::path tmp;
    int fd = -1;
    // A fresh name each time, created exclusively: an existing file or link of that name is a
    // reason to pick another, never to write through it.
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        tmp = path;
        tmp += temp_suffix();
        do {
            fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;

    bool ok = write_all(fd, content) && ::fsync(fd) == 0;
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
