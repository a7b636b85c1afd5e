#include "platform/listen_backlog.h"

#include <sys/socket.h>

namespace platform {

bool widen_listen_backlog(std::intptr_t socket, int backlog)
{
    // Calling listen again on a listening socket changes its queue length.
    return ::listen(static_cast<int>(socket), backlog) == 0;
}

} // namespace platform
