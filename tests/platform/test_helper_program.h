// Where the platform suite's helper program (test_helper.cpp) was built.
#pragma once

#include <filesystem>

#include "tests/support/test_data.h"

inline std::filesystem::path test_helper_program()
{
    return testsupport::build_dir() / "tests" / "platform" / PLATFORM_TEST_HELPER_NAME;
}
