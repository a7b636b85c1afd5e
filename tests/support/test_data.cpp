#include "tests/support/test_data.h"

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace testsupport {

std::filesystem::path source_dir() { return AGORAN_SOURCE_DIR; }
std::filesystem::path build_dir() { return AGORAN_BINARY_DIR; }

std::string read_data_file(const std::string& name)
{
    const std::filesystem::path path = source_dir() / "tests" / "data" / name;
    std::ifstream in(path, std::ios::binary);
    if (!in) ADD_FAILURE() << "cannot open test data " << path.string();
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

nlohmann::json read_json_vector(const std::string& name)
{
    nlohmann::json doc = nlohmann::json::parse(read_data_file(name), nullptr, false);
    if (!doc.is_discarded()) return doc;
    ADD_FAILURE() << "test data is not JSON: " << name;
    return nlohmann::json::object();
}

} // namespace testsupport
