// An exclusive byte-range lock on the first byte of a file, shared with other processes
// (fcntl on Linux, LockFileEx on Windows). The file is created when absent and never written.
#pragma once

#include <filesystem>
#include <memory>

namespace platform {

class FileLock {
public:
    // Opens (creating if absent) the file and waits until the exclusive lock is granted.
    // Returns null when the file cannot be opened or locked.
    static std::unique_ptr<FileLock> acquire(const std::filesystem::path& path);
    // Like acquire but does not wait: null when another process holds the lock.
    static std::unique_ptr<FileLock> try_acquire(const std::filesystem::path& path);

    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();  // releases the lock and closes the file

    struct Handle;
private:
    explicit FileLock(std::unique_ptr<Handle> handle);
    std::unique_ptr<Handle> m_handle;
};

// True when some process (this one included, on some systems) holds the lock on the file.
bool file_is_locked(const std::filesystem::path& path);

} // namespace platform
