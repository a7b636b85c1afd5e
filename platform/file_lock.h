// An exclusive byte-range lock on the first byte of a file, shared with other processes
// (fcntl on Linux, LockFileEx on Windows). The file is created when absent, readable and
// writable by its owner only, and never written. A link in its place is never followed.
// Two locks taken through different calls conflict even within one process.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>

namespace platform {

// How long a lock wait lasts unless the caller says otherwise.
inline constexpr std::chrono::milliseconds DEFAULT_LOCK_WAIT{10'000};

enum class LockFailure {
    None,
    CannotOpen,  // the file cannot be opened or created (or is not a regular file)
    TimedOut,    // another holder kept the lock for the whole wait
};

class FileLock {
public:
    // Opens (creating if absent) the file and waits at most `wait` for the exclusive lock.
    // Returns null when the file cannot be opened or the wait ran out; failure (when given)
    // tells which. A lock file this user owns that others could read is made owner-only.
    static std::unique_ptr<FileLock> acquire(const std::filesystem::path& path,
                                             std::chrono::milliseconds wait = DEFAULT_LOCK_WAIT,
                                             LockFailure* failure = nullptr);
    // Like acquire but does not wait: null when another holder has the lock.
    static std::unique_ptr<FileLock> try_acquire(const std::filesystem::path& path);

    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();  // releases the lock and closes the file

    struct Handle;
private:
    explicit FileLock(std::unique_ptr<Handle> handle);
    std::unique_ptr<Handle> m_handle;
};

// A byte-range lock that the threads and nested calls of one process take in turn. By the
// systems' rules a byte-range lock belongs to the process (on Linux a second lock of the same
// file by the same process would not wait), so the in-process side is process-wide by nature:
// one re-entrant mutex per lock file path, held by one thread at a time, whose outermost holder
// also holds the byte-range lock. Holds both for the life of the object. Safe from any thread.
class ProcessFileLock {
public:
    // Takes the path's mutex; when the calling thread held none of it yet, waits at most `wait`
    // for the byte-range lock. failure (when given) says why that lock is not held: the caller
    // then holds the mutex alone. A nested lock reports None.
    ProcessFileLock(const std::filesystem::path& path, std::chrono::milliseconds wait, LockFailure* failure = nullptr);
    ~ProcessFileLock();
    ProcessFileLock(const ProcessFileLock&) = delete;
    ProcessFileLock& operator=(const ProcessFileLock&) = delete;

    struct Entry;
private:
    Entry* m_entry;
};

// True when some process (this one included, on some systems) holds the lock on the file.
bool file_is_locked(const std::filesystem::path& path);

// The lock file that guards read-modify-write of a data file: "<file>.lock" beside it.
std::filesystem::path lock_path_for(const std::filesystem::path& file);

} // namespace platform
