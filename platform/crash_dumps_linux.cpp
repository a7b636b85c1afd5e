#include "platform/crash_dumps.h"

#include <sys/resource.h>

namespace platform {

bool disable_crash_dumps()
{
    const rlimit none{0, 0};
    return setrlimit(RLIMIT_CORE, &none) == 0;
}

bool crash_dumps_disabled()
{
    rlimit limit{};
    return getrlimit(RLIMIT_CORE, &limit) == 0 && limit.rlim_cur == 0;
}

} // namespace platform
