#include "core/secure.h"

#include <gtest/gtest.h>

#include "platform/memory_lock.h"

namespace {

// Holders keep their content across moves and resizes; what they move from is empty.
TEST(Secure, MovesAndResizesKeepTheContent)
{
    core::SecretString a(std::string(100, 'k'));
    core::SecretString b(std::move(a));
    EXPECT_TRUE(a.empty());
    core::SecretString c;
    c = std::move(b);
    EXPECT_TRUE(b.empty());
    EXPECT_EQ(c.view(), std::string(100, 'k'));

    core::SecretBytes x(core::Bytes{1, 2, 3});
    core::SecretBytes s(std::move(x));
    EXPECT_TRUE(x.empty());
    s.resize(1000);
    ASSERT_EQ(s.size(), 1000u);
    EXPECT_EQ(s.data()[2], 3);
    EXPECT_EQ(s.data()[999], 0);
    s.resize(2);
    EXPECT_EQ(core::Bytes(s.data(), s.data() + s.size()), (core::Bytes{1, 2}));

    std::string text = "5f3c private";
    core::secure_wipe(text);
    EXPECT_TRUE(text.empty());
}

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
