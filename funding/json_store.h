// The small JSON files the funding layer keeps in the data directory. A file that cannot be
// read as the expected shape counts as empty; before such a file is replaced, its bytes are
// kept beside it, so nothing a user or another program wrote there is lost.
//
// Several programs may change one file at once (the desktop program, agoran-cli, Pursa's
// siblings): every change is a read-modify-write under the file's cross-process lock
// ("<file>.lock", platform/file_lock.h), and the file itself is only ever replaced whole, so a
// reader without the lock sees the old or the new content, never a mix.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

#include <nlohmann/json.hpp>

namespace funding {

enum class StoreState {
    Missing,    // no file
    Malformed,  // a file that is not JSON, not an object, or lacks the expected array
    Ok,
};

struct StoreRead {
    StoreState state = StoreState::Missing;
    nlohmann::json doc;  // the object when Ok, null otherwise
};

// Reads an object whose member array_member, when present, must be an array (a missing member
// reads as Ok: an empty list).
StoreRead read_store(const std::filesystem::path& path, std::string_view array_member);

enum class StoreUpdate {
    Written,    // the change was written
    Unchanged,  // the change asked for no write
    Busy,       // another program kept the file's lock for the whole wait; nothing written
    Failed,     // the write failed; the previous file is untouched
};

// How long a change waits for another program's change of the same file.
inline constexpr std::chrono::milliseconds STORE_LOCK_WAIT{10'000};

// Changes the file under its cross-process lock: reads it (a missing or malformed file is
// handed over as an empty object), lets change edit the document, and when change returns true
// writes it (indent 2, sorted keys, owner-only, through a temporary file and a rename; a
// malformed file on disk is first renamed to "<name>.bad-<ms>"). The folder is created when
// missing. Waits at most `wait` for another program's change (Busy after that).
StoreUpdate update_store(const std::filesystem::path& path, std::string_view array_member,
                         const std::function<bool(nlohmann::json& doc)>& change,
                         std::chrono::milliseconds wait = STORE_LOCK_WAIT);

} // namespace funding
