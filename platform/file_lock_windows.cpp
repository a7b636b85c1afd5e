#include "platform/file_lock.h"

#include "platform/wide_text_windows.h"

namespace platform {

struct FileLock::Handle {
    HANDLE file = INVALID_HANDLE_VALUE;
};

namespace {

HANDLE open_lock_file(const std::filesystem::path& path)
{
    return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
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

std::unique_ptr<FileLock::Handle> lock_file(const std::filesystem::path& path, DWORD flags)
{
    HANDLE file = open_lock_file(path);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    if (!lock_first_byte(file, flags)) {
        CloseHandle(file);
        return nullptr;
    }
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

std::unique_ptr<FileLock> FileLock::acquire(const std::filesystem::path& path)
{
    auto handle = lock_file(path, 0);
    if (!handle) return nullptr;
    return std::unique_ptr<FileLock>(new FileLock(std::move(handle)));
}

std::unique_ptr<FileLock> FileLock::try_acquire(const std::filesystem::path& path)
{
    auto handle = lock_file(path, LOCKFILE_FAIL_IMMEDIATELY);
    if (!handle) return nullptr;
    return std::unique_ptr<FileLock>(new FileLock(std::move(handle)));
}

bool file_is_locked(const std::filesystem::path& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
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
