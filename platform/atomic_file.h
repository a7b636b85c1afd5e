// Replacing files so that a crash or a full disk never leaves a half-written file behind.
#pragma once

#include <filesystem>
#include <string_view>

namespace platform {

enum class FileAccess { Default, OwnerOnly };

// Writes content to a new temporary file beside path (path + ".tmp-" and 16 random hex digits,
// created exclusively, never through a link, so that two processes writing the same file at once
// never share one), flushes it to disk, then renames it over path (replacing any existing file).
// On any failure the temporary file is removed, the old file is left untouched and false is
// returned. OwnerOnly makes the new file readable and writable by its owner only (where the
// system has such permissions). Safe from any thread.
[[nodiscard]] bool write_file_atomic(const std::filesystem::path& path, std::string_view content,
                                     FileAccess access = FileAccess::Default);

// Moves from over to, replacing to, writing through to disk. False on failure.
[[nodiscard]] bool replace_file(const std::filesystem::path& from, const std::filesystem::path& to);

// Restricts an existing file to its owner. False on failure.
[[nodiscard]] bool make_owner_only(const std::filesystem::path& path);

} // namespace platform
