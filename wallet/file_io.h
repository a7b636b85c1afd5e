// Reading and writing the small JSON files of the data directory.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "core/secure.h"

namespace wallet {

// The whole file, or nullopt when it cannot be opened or read.
std::optional<std::string> read_text_file(const std::filesystem::path& path);
// The whole file in a wiping holder (files that may hold a mnemonic or a private key).
std::optional<core::SecretString> read_secret_file(const std::filesystem::path& path);
// The file parsed as JSON, or nullopt when it cannot be read or is not JSON.
std::optional<nlohmann::json> read_json_file(const std::filesystem::path& path);

// Overwrites every string held in the value (keys aside) before it is destroyed: for parsed
// wallet files, whose strings may hold a mnemonic or a private key.
void wipe_json(nlohmann::json& value);

// A parsed JSON document whose strings are wiped when it dies.
class SecretJson {
public:
    SecretJson() = default;
    explicit SecretJson(nlohmann::json doc) : m_doc(std::move(doc)) {}
    SecretJson(const SecretJson&) = delete;
    SecretJson& operator=(const SecretJson&) = delete;
    ~SecretJson() { wipe_json(m_doc); }
    nlohmann::json& doc() { return m_doc; }
    [[nodiscard]] const nlohmann::json& doc() const { return m_doc; }

private:
    nlohmann::json m_doc;
};

// Reads a file that may hold secrets and parses it; an empty document (null) when it cannot be
// read or is not JSON. The file text is wiped.
void read_secret_json(const std::filesystem::path& path, SecretJson& out);

// Writes the value (indent 2, sorted keys, final line feed) through a temporary file and a
// rename, readable by the owner only; creates the parent folder. False when it fails (the old
// file is then untouched).
[[nodiscard]] bool write_json_file(const std::filesystem::path& path, const nlohmann::json& value);

} // namespace wallet
