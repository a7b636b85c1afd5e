#include "core/secure.h"

#include <gtest/gtest.h>

#include "platform/memory_lock.h"

namespace {

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

} // namespace
