#include "cli/args.h"

#include <gtest/gtest.h>

#include "cli/table.h"

namespace {

constexpr auto parse = &cli::parse_args;

// Options in either spelling, values that look like options, "--" ending the options, flags
// apart from options, and the moment before the command.
TEST(CliArgs, OptionsFlagsArgumentsAndTheMoment)
{
    auto parsed = parse({"--at=253402300799", "list", "ab_0", "--price", "1.5", "--note=fresh lot", "--qty", "3"});
    ASSERT_TRUE(parsed.invocation) << parsed.error;
    EXPECT_EQ(parsed.invocation->at, 253'402'300'799);
    EXPECT_EQ(parsed.invocation->command, "list");
    EXPECT_EQ(parsed.invocation->args, std::vector<std::string>{"ab_0"});
    EXPECT_EQ(parsed.invocation->option("price"), "1.5");
    EXPECT_EQ(parsed.invocation->option("note"), "fresh lot");
    EXPECT_EQ(parsed.invocation->option("missing", "fallback"), "fallback");

    parsed = parse({"list", "x_1", "--note", "--not an option", "--price="});
    ASSERT_TRUE(parsed.invocation) << parsed.error;
    EXPECT_EQ(parsed.invocation->at, 0);
    EXPECT_EQ(parsed.invocation->option("note"), "--not an option");
    EXPECT_EQ(parsed.invocation->option("price", "unset"), "");

    parsed = parse({"report", "--", "--price", "is", "wrong"});
    ASSERT_TRUE(parsed.invocation) << parsed.error;
    EXPECT_EQ(parsed.invocation->args, (std::vector<std::string>{"--price", "is", "wrong"}));
    EXPECT_TRUE(parsed.invocation->options.empty());

    EXPECT_TRUE(parse({"book", "--json"}).invocation->flag("json"));
    EXPECT_EQ(parse({"--help"}).invocation->command, "help");
}

TEST(CliArgs, RefusalsNameTheProblem)
{
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{}, "no command"},
        {{"sell"}, "unknown command \"sell\""},
        {{"list", "x_0", "--note", "n"}, "needs --price"},
        {{"list", "x_0", "--price", "1", "--note"}, "--note needs a value"},
        {{"list", "x_0", "--price", "1", "--price", "2", "--note", "n"}, "twice"},
        {{"buy", "id", "--price", "1"}, "no option --price"},
        {{"buy"}, "usage: agoran-cli buy LISTING [--qty N]"},
        {{"complete", "a", "b"}, "usage: agoran-cli complete OFFER"},
        {{"book", "--json=yes"}, "json"},
        {{"balance", "--json"}, "json"},
        {{"--at"}, "--at needs a value"},
        {{"--at=5", "--at", "6", "balance"}, "twice"},
        {{"balance", "--at", "5"}, "no option --at"},
    };
    for (const auto& [argv, problem] : cases) {
        const auto parsed = parse(argv);
        EXPECT_FALSE(parsed.invocation) << problem;
        EXPECT_NE(parsed.error.find(problem), std::string::npos) << parsed.error;
    }
    for (const char* at : {"0", "-5", "+5", "12x", "1.5", "", "253402300800", "99999999999999999999"})
        EXPECT_NE(parse({"--at", at, "balance"}).error.find("--at takes a moment"), std::string::npos) << at;
}

TEST(CliTable, PadsColumnsByCharactersNotBytes)
{
    EXPECT_EQ(cli::format_table({"Item", "Qty"}, {{"caf\xc3\xa9", "7"}, {"tea", "10", "extra"}, {"x"}}),
              "Item  Qty\n"
              "caf\xc3\xa9  7\n"
              "tea   10\n"
              "x\n");
}

} // namespace
