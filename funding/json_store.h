// The small JSON files the funding layer keeps in the data directory. A file that cannot be
// read as the expected shape counts as empty; before such a file is replaced, its bytes are
// kept beside it, so nothing a user or another program wrote there is lost.
#pragma once

#include <filesystem>
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

// Writes doc (indent 2, sorted keys, owner-only) through a temporary file and a rename. When
// the file on disk is malformed (per read_store), it is first renamed to "<name>.bad-<ms>".
// False when the write failed; the previous file is then untouched.
[[nodiscard]] bool write_store(const std::filesystem::path& path, std::string_view array_member,
                               const nlohmann::json& doc);

} // namespace funding
