// Locating and reading the test vectors kept in tests/data.
#pragma once

#include <filesystem>
#include <string>

#include <nlohmann/json.hpp>

namespace testsupport {

// The top of the source tree and of the build tree. Only test_data.cpp knows them, so that no
// other test unit holds an absolute path and a fresh clone reuses the compiled objects.
std::filesystem::path source_dir();
std::filesystem::path build_dir();

// The whole content of a file under tests/data; fails the running test when unreadable.
std::string read_data_file(const std::string& name);

// A JSON file under tests/data; fails the running test when unreadable or malformed.
nlohmann::json read_json_vector(const std::string& name);

} // namespace testsupport
