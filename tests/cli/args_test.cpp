#include "cli/args.h"

#include <gtest/gtest.h>

#include "cli/table.h"

namespace {

cli::ParsedArgs parse(std::vector<std::string> argv)
{
    return cli::parse_args(argv);
}

// Options in either spelling, values that look like options, "--" ending the options, and
// flags apart from options.
TEST(CliArgs, OptionsFlagsAndArguments)
{
    auto parsed = parse({"list", "ab_0", "--price", "1.5", "--note=fresh lot", "--qty", "3"});
    ASSERT_TRUE(parsed.invocation) << parsed.error;
    EXPECT_EQ(parsed.invocation->command, "list");
    EXPECT_EQ(parsed.invocation->args, std::vector<std::string>{"ab_0"});
    EXPECT_EQ(parsed.invocation->option("price"), "1.5");
    EXPECT_EQ(parsed.invocation->option("note"), "fresh lot");
    EXPECT_EQ(parsed.invocation->option("qty"), "3");
    EXPECT_EQ(parsed.invocation->option("missing", "fallback"), "fallback");

    parsed = parse({"list", "x_1", "--note", "--not an option", "--price="});
    ASSERT_TRUE(parsed.invocation) << parsed.error;
    EXPECT_EQ(parsed.invocation->option("note"), "--not an option");
    EXPECT_TRUE(parsed.invocation->has_option("price"));
    EXPECT_EQ(parsed.invocation->option("price", "unset"), "");

    parsed = parse({"report", "--", "--price", "is", "wrong"});
    ASSERT_TRUE(parsed.invocation) << parsed.error;
    EXPECT_EQ(parsed.invocation->args, (std::vector<std::string>{"--price", "is", "wrong"}));
    EXPECT_TRUE(parsed.invocation->options.empty());

    EXPECT_TRUE(parse({"book", "--json"}).invocation->flag("json"));
    EXPECT_FALSE(parse({"book", "--json=yes"}).invocation);
    EXPECT_FALSE(parse({"balance", "--json"}).invocation);
}

TEST(CliArgs, RefusalsNameTheProblem)
{
    EXPECT_NE(parse({}).error.find("no command"), std::string::npos);
    EXPECT_NE(parse({"sell"}).error.find("unknown command \"sell\""), std::string::npos);
    EXPECT_NE(parse({"list", "x_0", "--note", "n"}).error.find("needs --price"), std::string::npos);
    EXPECT_NE(parse({"list", "x_0", "--price", "1", "--note"}).error.find("--note needs a value"), std::string::npos);
    EXPECT_NE(parse({"list", "x_0", "--price", "1", "--price", "2", "--note", "n"}).error.find("twice"),
              std::string::npos);
    EXPECT_NE(parse({"buy", "id", "--price", "1"}).error.find("no option --price"), std::string::npos);
    EXPECT_EQ(parse({"buy"}).error, "usage: agoran-cli buy LISTING [--qty N]");
    EXPECT_EQ(parse({"complete", "a", "b"}).error, "usage: agoran-cli complete OFFER");
    EXPECT_FALSE(parse({"unbind", "now"}).invocation);
    for (const char* at : {"0", "-5", "+5", "12x", "1.5", "", "253402300800", "99999999999999999999"})
        EXPECT_NE(parse({"--at", at, "balance"}).error.find("--at takes a moment"), std::string::npos) << at;
    EXPECT_NE(parse({"--at"}).error.find("--at needs a value"), std::string::npos);
    EXPECT_NE(parse({"--at=5", "--at", "6", "balance"}).error.find("twice"), std::string::npos);
    EXPECT_NE(parse({"--at", "5"}).error.find("no command"), std::string::npos);
    EXPECT_NE(parse({"balance", "--at", "5"}).error.find("no option --at"), std::string::npos);
}

TEST(CliArgs, TheMomentComesBeforeTheCommand)
{
    EXPECT_EQ(parse({"balance"}).invocation->at, 0);
    EXPECT_EQ(parse({"--at", "1700000000", "balance"}).invocation->at, 1'700'000'000);
    auto parsed = parse({"--at=253402300799", "buy", "id"});
    ASSERT_TRUE(parsed.invocation) << parsed.error;
    EXPECT_EQ(parsed.invocation->at, 253'402'300'799);
    EXPECT_EQ(parsed.invocation->args, std::vector<std::string>{"id"});
}

TEST(CliArgs, HelpAndUsageListEveryCommand)
{
    EXPECT_EQ(parse({"--help"}).invocation->command, "help");
    std::string usage = cli::usage_text();
    for (const char* command : {"connect", "unbind", "balance", "book", "lots", "list", "buy", "offers", "complete",
                                "cancel", "cancel-offer", "history", "report"})
        EXPECT_NE(usage.find(std::string("agoran-cli ") + command), std::string::npos) << command;
}

TEST(CliTable, PadsColumnsByCharactersNotBytes)
{
    std::string table = cli::format_table({"Item", "Qty"}, {{"caf\xc3\xa9", "7"}, {"tea", "10", "extra"}, {"x"}});
    EXPECT_EQ(table,
              "Item  Qty\n"
              "caf\xc3\xa9  7\n"
              "tea   10\n"
              "x\n");
}

} // namespace
