#include "platform/process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/line_buffer.h"

extern char** environ;

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// argv / envp storage that outlives the spawn call.
struct CStrings {
    std::vector<std::string> owned;
    std::vector<char*> pointers;

    explicit CStrings(std::vector<std::string> strings) : owned(std::move(strings))
    {
        for (auto& s : owned) pointers.push_back(s.data());
        pointers.push_back(nullptr);
    }
    char** get() { return pointers.data(); }
};

std::vector<std::string> make_argv(const std::filesystem::path& program, const std::vector<std::string>& args)
{
    std::vector<std::string> argv{program.string()};
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
}

std::vector<std::string> make_env(const std::vector<std::string>& extra_env)
{
    auto name_of = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) {
        std::string entry(*e);
        bool overridden = false;
        for (const auto& extra : extra_env) overridden = overridden || name_of(extra) == name_of(entry);
        if (!overridden) env.push_back(std::move(entry));
    }
    env.insert(env.end(), extra_env.begin(), extra_env.end());
    return env;
}

bool has_directory(const std::filesystem::path& program)
{
    return program.native().find('/') != std::string::npos;
}

int exit_code_of(int status)
{
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

std::filesystem::path executable_path()
{
    std::error_code ec;
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : path;
}

bool start_detached(const std::filesystem::path& program, const std::vector<std::string>& args,
                    const std::filesystem::path& working_dir)
{
    // Everything the children need is prepared before fork: after it only async-signal-safe
    // calls are allowed, since other threads may hold locks.
    CStrings argv(make_argv(program, args));
    const std::string file = program.string();
    const std::string dir = working_dir.string();
    const bool search_path = !has_directory(program);

    int report[2];  // the grandchild writes errno here when exec fails; EOF means it started
    if (::pipe2(report, O_CLOEXEC) != 0) return false;

    pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        ::close(report[0]);
        ::setsid();
        pid_t grandchild = ::fork();
        if (grandchild != 0) ::_exit(grandchild < 0 ? 1 : 0);
        int err = 0;
        if (!dir.empty() && ::chdir(dir.c_str()) != 0) err = errno;
        int null_fd = ::open("/dev/null", O_RDWR);
        if (null_fd >= 0) {
            ::dup2(null_fd, 0);
            ::dup2(null_fd, 1);
            ::dup2(null_fd, 2);
            if (null_fd > 2) ::close(null_fd);
        }
        if (err == 0) {
            if (search_path) ::execvp(file.c_str(), argv.get());
            else ::execv(file.c_str(), argv.get());
            err = errno;
        }
        ssize_t ignored = ::write(report[1], &err, sizeof err);
        (void)ignored;
        ::_exit(127);
    }

    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int err = 0;
    ssize_t n;
    do {
        n = ::read(report[0], &err, sizeof err);
    } while (n < 0 && errno == EINTR);
    ::close(report[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && n == 0;
}

struct ChildProcess::Handle {
    pid_t pid = -1;
    int out_fd = -1;
    LineBuffer lines;
    std::optional<int> exit_code;
};

ChildProcess::ChildProcess(std::unique_ptr<Handle> handle) : m_handle(std::move(handle)) {}

ChildProcess::~ChildProcess()
{
    if (running()) stop();
    if (m_handle->out_fd >= 0) ::close(m_handle->out_fd);
}

std::unique_ptr<ChildProcess> ChildProcess::start(const std::filesystem::path& program,
                                                  const std::vector<std::string>& args,
                                                  const std::vector<std::string>& extra_env, Errors errors)
{
    CStrings argv(make_argv(program, args));
    CStrings envp(make_env(extra_env));

    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return nullptr;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    if (errors == Errors::WithOutput) posix_spawn_file_actions_adddup2(&actions, out[1], 2);

    // The child starts with default signal handling whatever this process ignores.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGINT);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    sigset_t no_mask;
    sigemptyset(&no_mask);
    posix_spawnattr_setsigmask(&attr, &no_mask);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    pid_t pid = -1;
    const std::string file = program.string();
    int rc = has_directory(program)
        ? ::posix_spawn(&pid, file.c_str(), &actions, &attr, argv.get(), envp.get())
        : ::posix_spawnp(&pid, file.c_str(), &actions, &attr, argv.get(), envp.get());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    ::close(out[1]);
    if (rc != 0) {
        ::close(out[0]);
        return nullptr;
    }
    auto handle = std::make_unique<Handle>();
    handle->pid = pid;
    handle->out_fd = out[0];
    return std::unique_ptr<ChildProcess>(new ChildProcess(std::move(handle)));
}

std::optional<std::string> ChildProcess::read_line(std::chrono::milliseconds timeout)
{
    Handle& h = *m_handle;
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (auto line = h.lines.take_line()) return line;
        if (h.lines.ended()) return std::nullopt;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() < 0) return std::nullopt;
        struct pollfd pfd {h.out_fd, POLLIN, 0};
        int ready = ::poll(&pfd, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return std::nullopt;
        char chunk[4096];
        ssize_t n = ::read(h.out_fd, chunk, sizeof chunk);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) {
            h.lines.mark_end();
            continue;
        }
        h.lines.append(chunk, static_cast<size_t>(n));
    }
}

bool ChildProcess::running()
{
    Handle& h = *m_handle;
    if (h.exit_code || h.pid < 0) return false;
    int status = 0;
    pid_t r = ::waitpid(h.pid, &status, WNOHANG);
    if (r == h.pid) {
        h.exit_code = exit_code_of(status);
        return false;
    }
    if (r < 0 && errno == ECHILD) {
        h.exit_code = -1;
        return false;
    }
    return true;
}

std::optional<int> ChildProcess::wait(std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (running()) {
        if (Clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return m_handle->exit_code;
}

int ChildProcess::stop(std::chrono::milliseconds timeout)
{
    Handle& h = *m_handle;
    if (!running()) return h.exit_code.value_or(-1);
    ::kill(h.pid, SIGTERM);
    if (auto code = wait(timeout)) return *code;
    ::kill(h.pid, SIGKILL);
    int status = 0;
    while (::waitpid(h.pid, &status, 0) < 0 && errno == EINTR) {
    }
    h.exit_code = -1;
    return -1;
}

} // namespace platform
