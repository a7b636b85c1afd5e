// Secret holders: their pages stay locked while they live; the secret-holding JSON reader and
// writer give exactly what the plain ones give (the fuzz target secret_json compares them over
// its corpus), only the way their buffers are released differs (the hardening suite's scan).
#include <gtest/gtest.h>

#include "core/json_get.h"
#include "core/secret_json.h"
#include "core/secure.h"
#include "platform/memory_lock.h"

namespace secrets_test {


// Holders are moved and resized throughout the wallet code, whose tests read their content back.
TEST(Secure, SecretsKeepTheirPagesLockedWhileTheyLiveAndOnlyThen)
{
    const auto before = platform::locked_memory_bytes();
    if (!before) GTEST_SKIP() << "the system does not tell how much memory is locked";
    {
        core::SecretString key(std::string(10'000, 'k'));  // three pages at least
        if (platform::locked_memory_bytes() == before) GTEST_SKIP() << "the system allows no locked memory here";
        core::SecretString moved(std::move(key));
        core::SecretString assigned;
        assigned = std::move(moved);
        assigned.assign(std::string(20'000, 'm'));
        core::SecretBytes seed(core::Bytes(64, 1));
        seed.resize(50'000);
        core::SecretBytes other(std::move(seed));
        EXPECT_GE(*platform::locked_memory_bytes(), *before + 20'000 + 50'000);
    }
    EXPECT_EQ(platform::locked_memory_bytes(), before) << "a holder left pages locked";
}

// Text that is not UTF-8 never comes out of a parse; a document built from it is written as the
// file writer writes it.
TEST(SecretJson, DumpsTextThatIsNotUtf8AsTheFileWriterDoes)
{
    const core::Json odd = {{"name", std::string("caf\xE9")}, {"z", {1, {{"y", "\u2603"}}}}};
    EXPECT_EQ(core::dump_secret_json_file(odd).str(), core::json_dump_file(odd));
}

} // namespace secrets_test
