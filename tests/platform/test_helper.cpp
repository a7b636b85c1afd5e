// Child program for the platform tests. Modes:
//   lock PATH        takes the file lock on PATH, prints "locked", holds it until stopped
//   echo CODE LINES  prints each line, exits with CODE
//   idle             prints "ready" and runs until stopped
//   stubborn         ignores the polite stop request, prints "ready", runs until killed
//   partial          prints "no line end" without a line feed and exits 0
//   dumps            prints "off" when a crash would write no memory dump, else "on"
//   read-lock-as-another-user PATH
//                    becomes the system's "nobody" user (only the superuser can; else prints
//                    "no-user"), takes a classic read lock on PATH and prints "locked", holding it
//                    until stopped, or prints "refused" when it cannot open or lock it
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#if defined(__linux__)
#include <fcntl.h>
#include <unistd.h>
#endif

#include "platform/crash_dumps.h"
#include "platform/file_lock.h"

namespace {

[[noreturn]] void idle_forever()
{
    std::mutex mutex;
    std::condition_variable never;
    std::unique_lock<std::mutex> hold(mutex);
    for (;;) never.wait(hold);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return 2;
    const std::string mode = argv[1];
    if (mode == "lock" && argc == 3) {
        auto lock = platform::FileLock::acquire(argv[2]);
        std::printf("%s\n", lock ? "locked" : "failed");
        std::fflush(stdout);
        if (!lock) return 1;
        idle_forever();
    }
    if (mode == "echo" && argc >= 3) {
        for (int i = 3; i < argc; ++i) std::printf("%s\n", argv[i]);
        std::fflush(stdout);
        return std::atoi(argv[2]);
    }
    if (mode == "idle") {
        std::printf("ready\n");
        std::fflush(stdout);
        idle_forever();
    }
    if (mode == "stubborn") {
        std::signal(SIGTERM, SIG_IGN);
        std::printf("ready\n");
        std::fflush(stdout);
        idle_forever();
    }
    if (mode == "dumps") {
        std::printf("%s\n", platform::crash_dumps_disabled() ? "off" : "on");
        return 0;
    }
    if (mode == "read-lock-as-another-user" && argc == 3) {
#if defined(__linux__)
        const gid_t nobody_group = 65534;
        const uid_t nobody = 65534;
        if (::geteuid() != 0 || ::setgid(nobody_group) != 0 || ::setuid(nobody) != 0) {
            std::printf("no-user\n");
            return 0;
        }
        int fd = ::open(argv[2], O_RDONLY);
        struct flock fl {};
        fl.l_type = F_RDLCK;
        fl.l_whence = SEEK_SET;
        fl.l_len = 1;
        bool locked = fd >= 0 && ::fcntl(fd, F_SETLK, &fl) == 0;
        std::printf("%s\n", locked ? "locked" : "refused");
        std::fflush(stdout);
        if (locked) idle_forever();
        return 0;
#else
        std::printf("no-user\n");
        return 0;
#endif
    }
    if (mode == "partial") {
        std::printf("no line end");
        return 0;
    }
    return 2;
}
