#include "platform/listen_backlog.h"

#include <winsock2.h>

namespace platform {

bool widen_listen_backlog(std::intptr_t socket, int backlog)
{
    // Winsock keeps the first queue length of a listening socket; asking again is harmless.
    return ::listen(static_cast<SOCKET>(socket), backlog) == 0;
}

} // namespace platform
