// Starting programs and knowing our own.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Full path of the running program's executable (empty when unknown).
std::filesystem::path executable_path();

// Starts a program detached from this one, in the given working directory (the current one when
// empty), with no standard input or output. A program name without a directory is looked up on
// the search path. True when the program started.
bool start_detached(const std::filesystem::path& program, const std::vector<std::string>& args,
                    const std::filesystem::path& working_dir);

// A child process whose standard output is read line by line (tests, the demo).
class ChildProcess {
public:
    // Whether the child's standard error is read with its standard output or goes where this
    // process's goes.
    enum class Errors { Shared, WithOutput };

    // Starts program with args; extra_env entries are "NAME=value" and override inherited
    // variables of the same name. Standard input is empty. Null when it cannot start (missing
    // or not executable program included).
    static std::unique_ptr<ChildProcess> start(const std::filesystem::path& program,
                                               const std::vector<std::string>& args,
                                               const std::vector<std::string>& extra_env = {},
                                               Errors errors = Errors::Shared);
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();  // terminates the child if it still runs, and reaps it

    // The next line of standard output (without "\n" or "\r\n"), or nullopt on end of
    // output or when the timeout passes first (a partial line stays buffered for the next call).
    std::optional<std::string> read_line(std::chrono::milliseconds timeout);
    // Asks the child to stop (SIGTERM / TerminateProcess) and waits up to the timeout;
    // then kills it. Returns its exit code, or -1 when it ended by a signal or was killed.
    // A child that has already exited just reports its code.
    int stop(std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));
    // Waits for the child to exit by itself. Returns its exit code, or nullopt on timeout.
    std::optional<int> wait(std::chrono::milliseconds timeout);
    // True while the child has not exited.
    bool running();

    struct Handle;
private:
    explicit ChildProcess(std::unique_ptr<Handle> handle);
    std::unique_ptr<Handle> m_handle;
};

} // namespace platform
