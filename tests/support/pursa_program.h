// The Pursa wallet program as a trader uses it: run against a data directory of its own
// (LOCALAPPDATA), to the end or left running.
#pragma once

#include <memory>

#include "tests/support/program_run.h"

namespace pursatest {

using testsupport::RunResult;

inline std::filesystem::path pursa_program() { return testsupport::built_program("pursa/pursa"); }

// Runs pursa with args, LOCALAPPDATA pointing at data_root, and waits for it to end.
inline RunResult run_pursa(const std::filesystem::path& data_root, const std::vector<std::string>& args,
                           std::chrono::milliseconds timeout = std::chrono::seconds(60))
{
    return testsupport::run_program(pursa_program(), args, {"LOCALAPPDATA=" + data_root.string()}, timeout);
}

// Starts pursa and leaves it running.
inline std::unique_ptr<platform::ChildProcess> start_pursa(const std::filesystem::path& data_root,
                                                           const std::vector<std::string>& args)
{
    return platform::ChildProcess::start(pursa_program(), args, {"LOCALAPPDATA=" + data_root.string()});
}

} // namespace pursatest
