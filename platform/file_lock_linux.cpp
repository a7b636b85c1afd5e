// Open-file-description locks (F_OFD_*) rather than classic process locks: they conflict with
// classic fcntl locks held by other programs, but closing some other descriptor of the same
// file in this process (file_is_locked does exactly that) does not silently drop them, and a
// second lock attempt from this process conflicts, as it does on Windows.
#include "platform/file_lock.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
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

// Opens the lock file without following a link in its place; a regular file this user owns
// loses any access by others (older versions created lock files readable by everyone, and a
// read lock taken by another user blocked every writer).
int open_lock_file(const std::filesystem::path& path)
{
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    if (st.st_uid == ::geteuid() && (st.st_mode & 077) != 0) (void)::fchmod(fd, 0600);
    return fd;
}

bool try_lock(int fd)
{
    struct flock fl = first_byte(F_WRLCK);
    int rc;
    do {
        rc = ::fcntl(fd, F_OFD_SETLK, &fl);
    } while (rc < 0 && errno == EINTR);
    return rc == 0;
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

std::unique_ptr<FileLock> FileLock::acquire(const std::filesystem::path& path, std::chrono::milliseconds wait,
                                            LockFailure* failure)
{
    if (failure) *failure = LockFailure::None;
    int fd = open_lock_file(path);
    if (fd < 0) {
        if (failure) *failure = LockFailure::CannotOpen;
        return nullptr;
    }
    // Polled rather than waited for in the kernel, so that the wait can end.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    std::chrono::milliseconds pause{2};
    while (!try_lock(fd)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            if (failure) *failure = LockFailure::TimedOut;
            return nullptr;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
    auto handle = std::make_unique<Handle>();
    handle->fd = fd;
    return std::unique_ptr<FileLock>(new FileLock(std::move(handle)));
}

std::unique_ptr<FileLock> FileLock::try_acquire(const std::filesystem::path& path)
{
    int fd = open_lock_file(path);
    if (fd < 0) return nullptr;
    if (!try_lock(fd)) {
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
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    struct flock fl = first_byte(F_WRLCK);
    bool locked = ::fcntl(fd, F_OFD_GETLK, &fl) == 0 && fl.l_type != F_UNLCK;
    ::close(fd);
    return locked;
}

} // namespace platform
