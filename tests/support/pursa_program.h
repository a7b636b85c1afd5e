// The Pursa wallet program as a trader uses it: run against a data directory of its own
// (LOCALAPPDATA), to the end or left running.
#pragma once

#include <memory>
#include <sstream>

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

// A wallet made by pursa under a published paymail name, with the addresses `pursa show` prints.
struct NamedWallet {
    std::string id;
    std::string receive;
    std::string ordinals;
    std::string identity;
    std::string failure;  // the step that failed and what pursa printed; empty when all went well
};

// The value after "label:" on a line of `pursa show`.
inline std::string shown_value(const std::string& text, const std::string& label)
{
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(label + ":", 0) != 0) continue;
        const size_t first = line.find_first_not_of(' ', label.size() + 1);
        return first == std::string::npos ? std::string() : line.substr(first);
    }
    return {};
}

// Creates a wallet named name in data_root, publishes the name and reads the wallet's addresses.
inline NamedWallet create_named_wallet(const std::filesystem::path& data_root, const std::string& name)
{
    NamedWallet w;
    auto failed = [](std::string step) {
        NamedWallet f;
        f.failure = std::move(step);
        return f;
    };
    const RunResult created = run_pursa(data_root, {"create", "--name", name});
    const size_t at = created.output.rfind("success: ");
    if (created.exit_code != 0 || at == std::string::npos) return failed("pursa create: " + created.output);
    w.id = created.output.substr(at + 9, created.output.find('\n', at) - at - 9);
    if (const RunResult named = run_pursa(data_root, {"paymail", name}); named.exit_code != 0)
        return failed("pursa paymail: " + named.output);
    const RunResult show = run_pursa(data_root, {"show"});
    w.receive = shown_value(show.output, "receive");
    w.ordinals = shown_value(show.output, "ordinals");
    w.identity = shown_value(show.output, "identity");
    if (w.receive.empty() || w.ordinals.empty()) return failed("pursa show: " + show.output);
    return w;
}

} // namespace pursatest
