// Running the pursa program against a temporary data directory.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/process.h"

namespace pursatest {

inline std::filesystem::path pursa_program()
{
    return std::filesystem::path(AGORAN_BINARY_DIR) / "pursa" / "pursa";
}

struct RunResult {
    int exit_code = -1;
    std::string output;  // standard output, lines joined with "\n"
};

// Runs pursa with args, LOCALAPPDATA pointing at data_root, and waits for it to end.
inline RunResult run_pursa(const std::filesystem::path& data_root, const std::vector<std::string>& args,
                           std::chrono::milliseconds timeout = std::chrono::seconds(60))
{
    RunResult result;
    auto child = platform::ChildProcess::start(pursa_program(), args, {"LOCALAPPDATA=" + data_root.string()});
    if (!child) return result;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        auto line = child->read_line(std::chrono::milliseconds(200));
        if (line) {
            result.output += (result.output.empty() ? "" : "\n") + *line;
            continue;
        }
        if (!child->running()) break;
    }
    auto code = child->wait(std::chrono::seconds(5));
    result.exit_code = code ? *code : child->stop();
    // Lines printed just before the end.
    while (auto line = child->read_line(std::chrono::milliseconds(10))) result.output += (result.output.empty() ? "" : "\n") + *line;
    return result;
}

// Starts pursa and leaves it running.
inline std::unique_ptr<platform::ChildProcess> start_pursa(const std::filesystem::path& data_root,
                                                           const std::vector<std::string>& args)
{
    return platform::ChildProcess::start(pursa_program(), args, {"LOCALAPPDATA=" + data_root.string()});
}

} // namespace pursatest
