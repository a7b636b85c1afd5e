#include "platform/file_lock.h"

#include <map>
#include <mutex>

namespace platform {

std::filesystem::path lock_path_for(const std::filesystem::path& file)
{
    std::filesystem::path lock = file;
    lock += ".lock";
    return lock;
}

struct ProcessFileLock::Entry {
    std::recursive_mutex mutex;
    int depth = 0;                   // guarded by mutex
    std::unique_ptr<FileLock> file;  // guarded by mutex
};

namespace {

// One entry per lock file path this process ever locked; entries live until exit, so a holder
// never sees its entry go.
ProcessFileLock::Entry& entry_for(const std::filesystem::path& path)
{
    static std::mutex table_mutex;
    static std::map<std::filesystem::path, std::unique_ptr<ProcessFileLock::Entry>> table;
    std::lock_guard<std::mutex> guard(table_mutex);
    auto& slot = table[path.lexically_normal()];
    if (!slot) slot = std::make_unique<ProcessFileLock::Entry>();
    return *slot;
}

} // namespace

ProcessFileLock::ProcessFileLock(const std::filesystem::path& path, std::chrono::milliseconds wait,
                                 LockFailure* failure)
    : m_entry(&entry_for(path))
{
    if (failure) *failure = LockFailure::None;
    m_entry->mutex.lock();
    if (++m_entry->depth == 1) m_entry->file = FileLock::acquire(path, wait, failure);
}

ProcessFileLock::~ProcessFileLock()
{
    if (--m_entry->depth == 0) m_entry->file.reset();
    m_entry->mutex.unlock();
}

} // namespace platform
