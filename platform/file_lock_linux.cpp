// Open-file-description locks (F_OFD_*) rather than classic process locks: they conflict with
// classic fcntl locks held by other programs, but closing some other descriptor of the same
// file in this process (file_is_locked does exactly that) does not silently drop them, and a
// second lock attempt from this process conflicts, as it does on Windows.
#include "platform/file_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

struct FileLock::Handle {
    int fd = -1;
};

namespace {

struct flock first_byte(short type)
{
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 1;
    fl.l_pid = 0;  // required to be 0 for open-file-description locks
    return fl;
}

int open_lock_file(const std::filesystem::path& path)
{
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

} // namespace

FileLock::FileLock(std::unique_ptr<Handle> handle) : m_handle(std::move(handle)) {}

FileLock::~FileLock()
{
    if (m_handle && m_handle->fd >= 0) {
        struct flock fl = first_byte(F_UNLCK);
        ::fcntl(m_handle->fd, F_OFD_SETLK, &fl);
        ::close(m_handle->fd);
    }
}

std::unique_ptr<FileLock> FileLock::acquire(const std::filesystem::path& path)
{
    int fd = open_lock_file(path);
    if (fd < 0) return nullptr;
    struct flock fl = first_byte(F_WRLCK);
    int rc;
    do {
        rc = ::fcntl(fd, F_OFD_SETLKW, &fl);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0) {
        ::close(fd);
        return nullptr;
    }
    auto handle = std::make_unique<Handle>();
    handle->fd = fd;
    return std::unique_ptr<FileLock>(new FileLock(std::move(handle)));
}

std::unique_ptr<FileLock> FileLock::try_acquire(const std::filesystem::path& path)
{
    int fd = open_lock_file(path);
    if (fd < 0) return nullptr;
    struct flock fl = first_byte(F_WRLCK);
    if (::fcntl(fd, F_OFD_SETLK, &fl) < 0) {
        ::close(fd);
        return nullptr;
    }
    auto handle = std::make_unique<Handle>();
    handle->fd = fd;
    return std::unique_ptr<FileLock>(new FileLock(std::move(handle)));
}

bool file_is_locked(const std::filesystem::path& path)
{
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    struct flock fl = first_byte(F_WRLCK);
    bool locked = ::fcntl(fd, F_OFD_GETLK, &fl) == 0 && fl.l_type != F_UNLCK;
    ::close(fd);
    return locked;
}

} // namespace platform
