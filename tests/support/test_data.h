// Locating and reading the test vectors kept in tests/data.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace testsupport {

// Full path of a file under tests/data.
std::string data_path(const std::string& name);

// The whole content of a file under tests/data; fails the running test when unreadable.
std::string read_data_file(const std::string& name);

// A JSON file under tests/data; fails the running test when unreadable or malformed.
nlohmann::json read_json_vector(const std::string& name);

} // namespace testsupport
