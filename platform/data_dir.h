// Where the shared data directory lives on this operating system.
#pragma once

#include <filesystem>

namespace platform {

// The shared data directory: "LOCALAPPDATA" when set and non-empty; otherwise on Windows "."
// and on Linux $XDG_DATA_HOME, else $HOME/.local/share; followed by "TavrinNode".
// Creates it (and any missing parent) for its owner only; on Linux a directory of this user that
// others may enter is closed to them. Returns the path even when creation failed.
std::filesystem::path data_dir();

} // namespace platform
