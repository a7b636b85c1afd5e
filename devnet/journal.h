// The chain's journal: one JSON line per accepted transaction or mined block, appended as it
// happens, replayed in order at start-up. A line cut short by a crash is dropped on reading.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace devnet {

struct JournalEvent {
    enum class Kind { tx, block, seed };
    Kind kind = Kind::tx;
    std::string hex;       // raw transaction (tx events)
    bool trusted = false;  // imported without validation (tx events)
    int64_t time = 0;      // seconds since the epoch
    std::string txid;      // seeded output (seed events): txid, vout, value; hex is its script
    uint32_t vout = 0;
    uint64_t value = 0;
};

class Journal {
public:
    // Reads every complete event of the file (none when it does not exist), then opens it for
    // appending. A malformed line that is not the last one is an error (nullopt, error set);
    // a torn last line is dropped and the file rewritten without it.
    std::optional<std::vector<JournalEvent>> open(const std::filesystem::path& path, std::string& error);

    // Appends one event and flushes it. False when the write fails. Safe from any thread.
    bool append(const JournalEvent& event);

private:
    std::mutex m_mutex;
    std::ofstream m_out;
};

} // namespace devnet
