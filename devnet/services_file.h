// The "services.json" that points the program at a running simulator.
#pragma once

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

#include "devnet/faults.h"

namespace devnet {

// The members for a simulator at base ("http://127.0.0.1:PORT"): every base URL, each under
// its own path prefix, and the request pace that suits the profile (WhatsOnChain's rate under
// wan, no pacing on the local machine). The registry domain is left to the program's default.
nlohmann::json services_json(const std::string& base, Profile profile = Profile::local);

// Writes services_json(base, profile) to data_dir/agoran/services.json (indent 2, keys sorted),
// creating the folder, replacing any earlier file atomically. False with error on failure.
[[nodiscard]] bool write_services_file(const std::filesystem::path& data_dir, const std::string& base, std::string& error,
                                       Profile profile = Profile::local);

} // namespace devnet
