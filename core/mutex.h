// A mutex clang can check: data guarded by it is marked AGORAN_GUARDED_BY(the mutex), and a
// build with clang's -Wthread-safety (the address-sanitizer build) refuses to compile a read or
// write of that data without the mutex held. Other compilers see a plain std::mutex.
#pragma once

#include <mutex>

#if defined(__clang__)
#define AGORAN_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define AGORAN_THREAD_ANNOTATION(x)
#endif

#define AGORAN_CAPABILITY(name) AGORAN_THREAD_ANNOTATION(capability(name))
#define AGORAN_SCOPED_CAPABILITY AGORAN_THREAD_ANNOTATION(scoped_lockable)
#define AGORAN_GUARDED_BY(m) AGORAN_THREAD_ANNOTATION(guarded_by(m))
#define AGORAN_REQUIRES(...) AGORAN_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define AGORAN_ACQUIRE(...) AGORAN_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define AGORAN_RELEASE(...) AGORAN_THREAD_ANNOTATION(release_capability(__VA_ARGS__))

namespace core {

// std::mutex, declared to clang's analysis as a capability. Safe from any thread.
class AGORAN_CAPABILITY("mutex") Mutex {
public:
    void lock() AGORAN_ACQUIRE() { m_mutex.lock(); }
    void unlock() AGORAN_RELEASE() { m_mutex.unlock(); }

private:
    std::mutex m_mutex;
};

// Holds a Mutex for its own lifetime.
class AGORAN_SCOPED_CAPABILITY MutexLock {
public:
    explicit MutexLock(Mutex& mutex) AGORAN_ACQUIRE(mutex) : m_mutex(mutex) { m_mutex.lock(); }
    ~MutexLock() AGORAN_RELEASE() { m_mutex.unlock(); }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

private:
    Mutex& m_mutex;
};

} // namespace core
