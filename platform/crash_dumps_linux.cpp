#include "platform/crash_dumps.h"

#include <sys/prctl.h>
#include <sys/resource.h>

namespace platform {

bool disable_crash_dumps()
{
    const rlimit none{0, 0};
    const bool no_core = setrlimit(RLIMIT_CORE, &none) == 0;
    // Not dumpable: no core file whatever the limit, and ptrace and /proc/PID/mem are closed to
    // the user's other processes. A program this one starts is dumpable again after exec.
    const bool sealed = prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0;
    return no_core && sealed;
}

bool crash_dumps_disabled()
{
    rlimit limit{};
    return (getrlimit(RLIMIT_CORE, &limit) == 0 && limit.rlim_cur == 0) || memory_private() == true;
}

std::optional<bool> memory_private() { return prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) == 0; }

} // namespace platform
