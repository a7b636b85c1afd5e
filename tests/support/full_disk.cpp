#include "tests/support/full_disk.h"

#if defined(__linux__)
#include <csignal>
#include <sys/resource.h>
#endif

namespace testsupport {

#if defined(__linux__)
FullDisk::FullDisk()
{
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) != 0) return;
    m_saved_soft = limit.rlim_cur;
    m_saved_hard = limit.rlim_max;
    std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = 0;
    m_active = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FullDisk::~FullDisk()
{
    if (!m_active) return;
    struct rlimit limit {};
    limit.rlim_cur = static_cast<rlim_t>(m_saved_soft);
    limit.rlim_max = static_cast<rlim_t>(m_saved_hard);
    ::setrlimit(RLIMIT_FSIZE, &limit);
}
#else
FullDisk::FullDisk() = default;
FullDisk::~FullDisk() = default;
#endif

} // namespace testsupport
