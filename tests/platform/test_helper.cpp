// Child program for the platform tests. Modes:
//   lock PATH        takes the file lock on PATH, prints "locked", holds it until stopped
//   echo CODE LINES  prints each line, exits with CODE
//   idle             prints "ready" and runs until stopped
//   stubborn         ignores the polite stop request, prints "ready", runs until killed
//   partial          prints "no line end" without a line feed and exits 0
//   dumps            prints "off" when a crash would write no memory dump, else "on"
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

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
    if (mode == "partial") {
        std::printf("no line end");
        return 0;
    }
    return 2;
}
