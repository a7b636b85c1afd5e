// Running one of the project's programs as a child process to its end: its exit code and what
// it printed, lines joined with "\n".
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/process.h"
#include "tests/support/test_data.h"

namespace testsupport {

struct RunResult {
    int exit_code = -1;  // -1: it could not start, or was stopped at the timeout
    std::string output;
};

// Runs program with args and extra environment ("NAME=value"); stops it after timeout.
inline RunResult run_program(const std::filesystem::path& program, const std::vector<std::string>& args,
                             const std::vector<std::string>& env, std::chrono::milliseconds timeout,
                             platform::ChildProcess::Errors errors = platform::ChildProcess::Errors::Shared)
{
    RunResult result;
    auto child = platform::ChildProcess::start(program, args, env, errors);
    if (!child) return result;
    auto add = [&](const std::string& line) { result.output += (result.output.empty() ? "" : "\n") + line; };
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (auto line = child->read_line(std::chrono::milliseconds(200))) add(*line);
        else if (!child->running()) break;
    }
    auto code = child->wait(std::chrono::seconds(5));
    result.exit_code = code ? *code : child->stop();
    // Lines printed just before the end.
    while (auto line = child->read_line(std::chrono::milliseconds(10))) add(*line);
    return result;
}

// A program of this build, by its path under the build folder ("cli/agoran-cli").
inline std::filesystem::path built_program(const std::string& relative)
{
    return build_dir() / relative;
}

} // namespace testsupport
