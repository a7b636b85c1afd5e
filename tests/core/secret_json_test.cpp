// The secret-holding JSON reader and writer give exactly what the plain ones give (the fuzz
// target secret_json compares them over its corpus); only the way their buffers are released
// differs (checked by the hardening suite's freed-memory scan).
#include <gtest/gtest.h>

#include "core/json_get.h"
#include "core/secret_json.h"

namespace {

// Text that is not UTF-8 never comes out of a parse; a document built from it is written as the
// file writer writes it.
TEST(SecretJson, DumpsTextThatIsNotUtf8AsTheFileWriterDoes)
{
    const core::Json odd = {{"name", std::string("caf\xE9")}, {"z", {1, {{"y", "\u2603"}}}}};
    EXPECT_EQ(core::dump_secret_json_file(odd).str(), core::json_dump_file(odd));
}

} // namespace
