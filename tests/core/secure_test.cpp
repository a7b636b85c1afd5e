#include "core/secure.h"

#include <gtest/gtest.h>

#include "platform/memory_lock.h"

namespace {

TEST(Secure, WipeClearsAndKeepsNothing)
{
    std::string text = "5f3c private";
    core::secure_wipe(text);
    EXPECT_TRUE(text.empty());

    core::Bytes bytes{1, 2, 3};
    core::secure_wipe(bytes);
    EXPECT_TRUE(bytes.empty());
}

TEST(Secure, MovedFromHoldersAreEmpty)
{
    core::SecretString a(std::string(100, 'k'));
    core::SecretString b(std::move(a));
    EXPECT_TRUE(a.empty());
    EXPECT_EQ(b.view(), std::string(100, 'k'));
    core::SecretString c;
    c = std::move(b);
    EXPECT_TRUE(b.empty());
    EXPECT_EQ(c.size(), 100u);
    c.assign("short");
    EXPECT_EQ(c.view(), "short");

    core::SecretBytes x(core::Bytes{9, 8, 7});
    core::SecretBytes y(std::move(x));
    EXPECT_TRUE(x.empty());
    EXPECT_EQ(y.size(), 3u);
}

TEST(Secure, ResizeKeepsTheContent)
{
    core::SecretBytes s(core::Bytes{1, 2, 3});
    s.resize(1000);
    ASSERT_EQ(s.size(), 1000u);
    EXPECT_EQ(s.data()[0], 1);
    EXPECT_EQ(s.data()[2], 3);
    EXPECT_EQ(s.data()[999], 0);
    s.resize(2);
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s.data()[1], 2);
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
