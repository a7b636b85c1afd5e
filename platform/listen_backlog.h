// The queue of connections a listening socket holds before they are accepted.
#pragma once

#include <cstdint>

namespace platform {

// Asks the system to hold up to `backlog` pending connections on an already listening socket
// (its native handle). Servers built on a library that listens with a short fixed queue call it
// after binding, so a burst of clients is not made to retry their connection. False on failure.
bool widen_listen_backlog(std::intptr_t socket, int backlog);

} // namespace platform
