// agoran-cli as a program: what it prints and how it exits, in a data directory without a wallet
// (no command here reaches the network).
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/commands.h"
#include "net/service_config.h"
#include "tests/support/program_run.h"
#include "tests/support/devnet_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

class CliProgram : public testsupport::TempDirTest {
protected:
    // Standard output, and with errors_too standard error as well.
    testsupport::RunResult run(const std::vector<std::string>& args, bool errors_too = false)
    {
        return testsupport::run_program(
            testsupport::built_program("cli/agoran-cli"), args, {"LOCALAPPDATA=" + m_temp.path().string()},
            std::chrono::seconds(60),
            errors_too ? platform::ChildProcess::Errors::WithOutput : platform::ChildProcess::Errors::Shared);
    }
};

// Help succeeds; bad arguments fail with the refusal on standard error only; unbinding with
// nothing bound succeeds; a report file that cannot be read is refused; without a wallet every
// trade is refused before the network is asked.
TEST_F(CliProgram, WhatEachCommandDoesWithoutAWallet)
{
    auto help = run({"help"});
    EXPECT_EQ(help.exit_code, 0);
    for (const char* command : {"connect", "unbind", "balance", "book", "lots", "list", "buy", "offers", "complete",
                                "cancel", "cancel-offer", "history", "report"})
        EXPECT_NE(help.output.find(std::string("agoran-cli ") + command), std::string::npos) << command;
    auto missing = run({"list", "x_0", "--price", "1"});
    EXPECT_EQ(missing.exit_code, 1);
    EXPECT_EQ(missing.output, "");
    auto unbound = run({"unbind"});
    EXPECT_EQ(unbound.exit_code, 0);
    EXPECT_EQ(unbound.output.rfind("success", 0), 0u) << unbound.output;
    auto unread = run({"report", "--file", (m_temp.path() / "missing.txt").string()});
    EXPECT_EQ(unread.exit_code, 1);
    EXPECT_NE(unread.output.find("could not read"), std::string::npos) << unread.output;
    EXPECT_EQ(run({"report", "words", "--file", "x"}).exit_code, 1);
    for (std::vector<std::string> args : {std::vector<std::string>{"balance"}, {"lots"}, {"offers"}, {"history"},
                                          {"list", "x_0", "--price", "1", "--note", "n"}, {"cancel-offer", "0123456789abcdef"},
                                          {"report", "spam", "listing"}}) {
        auto ran = run(args);
        EXPECT_EQ(ran.exit_code, 1) << args[0];
        EXPECT_TRUE(ran.output.starts_with("error: Connect ")) << ran.output;
    }
}

// The book of services that are down is printed as far as it was read (nothing), under a
// warning that says so and when the last whole book was read, with exit status 3.
TEST_F(CliProgram, BookOfServicesThatAreDownIsMarkedAndExitsThree)
{
    auto devnet = testsupport::Devnet::start();
    ASSERT_NE(devnet, nullptr);
    ASSERT_TRUE(devnet->write_services(m_temp.path() / "TavrinNode"));
    auto whole = run({"book"}, true);
    EXPECT_EQ(whole.exit_code, 0) << whole.output;  // an empty market, read whole
    EXPECT_EQ(whole.output.find("warning:"), std::string::npos) << whole.output;

    devnet->fault("woc", {{"down", true}});
    devnet->fault("registry", {{"down", true}});
    auto down = run({"book"}, true);
    EXPECT_EQ(down.exit_code, 3);
    EXPECT_NE(down.output.find("warning: the book is incomplete: offline (OI agoran txids failed); the last whole book was read "),
              std::string::npos)
        << down.output;
    EXPECT_NE(down.output.find("Listing"), std::string::npos) << down.output;  // the table, empty
    auto json = run({"book", "--json"});
    EXPECT_EQ(json.exit_code, 3);
    EXPECT_EQ(json.output, "[]");
}

// The line agoran-cli writes to standard error before a command when services.json is in effect.
TEST_F(CliProgram, AServicesFileInEffectIsNamed)
{
    m_temp.use_as_data_root();
    const std::filesystem::path file = net::services_file_path();
    std::filesystem::create_directories(file.parent_path());
    auto note_for = [&](const std::string& text) {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
        return cli::services_note(*net::load_services_file());
    };
    EXPECT_EQ(note_for(R"({"arc": "https://arc.example"})"), "Using Custom services from " + file.string());
    EXPECT_EQ(note_for(R"({"arc": "http://arc.example"})"), "");  // refused whole: the mainnet services
    std::filesystem::remove(file);
    EXPECT_EQ(cli::services_note(*net::load_services_file()), "");
}

} // namespace
