#include "platform/file_lock.h"

#include <algorithm>
#include <thread>

#include "platform/atomic_file.h"
#include "platform/wide_text_windows.h"

namespace platform {

struct FileLock::Handle {
    HANDLE file = INVALID_HANDLE_VALUE;
};

namespace {

// Opens the lock file without following a reparse point (a link) in its place; a file this call
// creates is made owner-only.
HANDLE open_lock_file(const std::filesystem::path& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return file;
    const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    if (created) (void)make_owner_only(path);
    return file;
}

bool lock_first_byte(HANDLE file, DWORD flags)
{
    OVERLAPPED overlapped{};  // offset 0
    return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | flags, 0, 1, 0, &overlapped) != 0;
}

void unlock_first_byte(HANDLE file)
{
    OVERLAPPED overlapped{};
    UnlockFileEx(file, 0, 1, 0, &overlapped);
}

std::unique_ptr<FileLock::Handle> held(HANDLE file)
{
    auto handle = std::make_unique<FileLock::Handle>();
    handle->file = file;
    return handle;
}

} // namespace

FileLock::FileLock(std::unique_ptr<Handle> handle) : m_handle(std::move(handle)) {}

FileLock::~FileLock()
{
    if (m_handle && m_handle->file != INVALID_HANDLE_VALUE) {
        unlock_first_byte(m_handle->file);
        CloseHandle(m_handle->file);
    }
}

std::unique_ptr<FileLock> FileLock::acquire(const std::filesystem::path& path, std::chrono::milliseconds wait,
                                            LockFailure* failure)
{
    if (failure) *failure = LockFailure::None;
    HANDLE file = open_lock_file(path);
    if (file == INVALID_HANDLE_VALUE) {
        if (failure) *failure = LockFailure::CannotOpen;
        return nullptr;
    }
    // Polled rather than waited for, so that the wait can end.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    std::chrono::milliseconds pause{2};
    while (!lock_first_byte(file, LOCKFILE_FAIL_IMMEDIATELY)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            CloseHandle(file);
            if (failure) *failure = LockFailure::TimedOut;
            return nullptr;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
    return std::unique_ptr<FileLock>(new FileLock(held(file)));
}

std::unique_ptr<FileLock> FileLock::try_acquire(const std::filesystem::path& path)
{
    HANDLE file = open_lock_file(path);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    if (!lock_first_byte(file, LOCKFILE_FAIL_IMMEDIATELY)) {
        CloseHandle(file);
        return nullptr;
    }
    return std::unique_ptr<FileLock>(new FileLock(held(file)));
}

bool file_is_locked(const std::filesystem::path& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool locked = true;
    if (lock_first_byte(file, LOCKFILE_FAIL_IMMEDIATELY)) {
        unlock_first_byte(file);
        locked = false;
    }
    CloseHandle(file);
    return locked;
}

} // namespace platform
