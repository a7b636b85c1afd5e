// agoran-cli as a program: what it prints and how it exits, in a data directory without a wallet
// (no command here reaches the network).
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/commands.h"
#include "net/service_config.h"
#include "platform/process.h"
#include "tests/support/devnet_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

struct Ran {
    int code = -1;
    std::string out;
};

class CliProgram : public testsupport::TempDirTest {
protected:
    // Standard output, and with errors_too standard error as well.
    Ran run(const std::vector<std::string>& args, bool errors_too = false)
    {
        Ran ran;
        auto program = std::filesystem::path(AGORAN_BINARY_DIR) / "cli" / "agoran-cli";
        auto child = platform::ChildProcess::start(
            program, args, {"LOCALAPPDATA=" + m_temp.path().string()},
            errors_too ? platform::ChildProcess::Errors::WithOutput : platform::ChildProcess::Errors::Shared);
        if (!child) {
            ADD_FAILURE() << "cannot start " << program;
            return ran;
        }
        while (auto line = child->read_line(std::chrono::seconds(30))) ran.out += *line + "\n";
        auto code = child->wait(std::chrono::seconds(30));
        ran.code = code ? *code : child->stop();
        return ran;
    }
};

TEST_F(CliProgram, HelpSucceedsAndListsTheCommands)
{
    Ran help = run({"help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("agoran-cli cancel-offer OFFER"), std::string::npos) << help.out;
}

TEST_F(CliProgram, BadArgumentsFailWithoutOutput)
{
    EXPECT_EQ(run({}).code, 1);
    EXPECT_EQ(run({"frobnicate"}).code, 1);
    Ran missing = run({"list", "x_0", "--price", "1"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.out, "");  // the refusal goes to standard error
}

TEST_F(CliProgram, WithoutAWalletEveryTradeIsRefusedWithTheLibrarysText)
{
    for (std::vector<std::string> args : {std::vector<std::string>{"balance"},
                                          {"lots"},
                                          {"offers"},
                                          {"history"},
                                          {"list", "x_0", "--price", "1", "--note", "n"},
                                          {"cancel-offer", "0123456789abcdef"}}) {
        Ran ran = run(args);
        EXPECT_EQ(ran.code, 1) << args[0];
        EXPECT_EQ(ran.out, "error: Connect a Pursa wallet first.\n") << args[0];
    }
    Ran report = run({"report", "spam", "listing"});
    EXPECT_EQ(report.code, 1);
    EXPECT_EQ(report.out, "error: Connect Pursa and publish a paymail first.\n");
}

TEST_F(CliProgram, UnbindSucceedsEvenWhenNothingIsBound)
{
    Ran ran = run({"unbind"});
    EXPECT_EQ(ran.code, 0);
    EXPECT_EQ(ran.out.rfind("success", 0), 0u) << ran.out;
}

TEST_F(CliProgram, AReportFileThatCannotBeReadIsRefused)
{
    Ran ran = run({"report", "--file", (m_temp.path() / "missing.txt").string()});
    EXPECT_EQ(ran.code, 1);
    EXPECT_NE(ran.out.find("could not read"), std::string::npos) << ran.out;
    EXPECT_EQ(run({"report", "words", "--file", "x"}).code, 1);
}

// The book of services that are down is printed as far as it was read (nothing), under a
// warning that says so and when the last whole book was read, with exit status 3.
TEST_F(CliProgram, BookOfServicesThatAreDownIsMarkedAndExitsThree)
{
    auto devnet = testsupport::Devnet::start();
    ASSERT_NE(devnet, nullptr);
    ASSERT_TRUE(devnet->write_services(m_temp.path() / "TavrinNode"));
    Ran whole = run({"book"}, true);
    EXPECT_EQ(whole.code, 0) << whole.out;  // an empty market, read whole
    EXPECT_EQ(whole.out.find("warning:"), std::string::npos) << whole.out;

    devnet->fault("woc", {{"down", true}});
    devnet->fault("registry", {{"down", true}});
    Ran down = run({"book"}, true);
    EXPECT_EQ(down.code, 3);
    EXPECT_NE(down.out.find("warning: the book is incomplete: offline (OI agoran txids failed); the last whole book was read "),
              std::string::npos)
        << down.out;
    EXPECT_NE(down.out.find("Listing"), std::string::npos) << down.out;  // the table, empty
    Ran json = run({"book", "--json"});
    EXPECT_EQ(json.code, 3);
    EXPECT_EQ(json.out, "[]\n");
}

// The line agoran-cli writes to standard error before a command when services.json is in effect.
TEST_F(CliProgram, AServicesFileInEffectIsNamed)
{
    m_temp.use_as_data_root();
    const std::filesystem::path file = net::services_file_path();
    std::filesystem::create_directories(file.parent_path());
    auto note_for = [&](const std::string& text) {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
        net::reload_current_services();
        return cli::services_note();
    };
    const std::string simulator = "http://127.0.0.1:41234";
    EXPECT_EQ(note_for(R"({"woc_api": ")" + simulator + R"(/woc", "woc_site": ")" + simulator + R"(/site",
                          "ordinals_api": ")" + simulator + R"(/o/api", "ordinals_content": ")" + simulator + R"(/o",
                          "arc": ")" + simulator + R"(/arc", "registry": ")" + simulator + R"(/registry",
                          "product_page": ")" + simulator + R"(/product"})"),
              "Using Simulator at 127.0.0.1:41234 from " + file.string());
    EXPECT_EQ(note_for(R"({"arc": "https://arc.example"})"), "Using Custom services from " + file.string());
    EXPECT_EQ(note_for(R"({"arc": "http://arc.example"})"), "");  // refused whole: the mainnet services
    std::filesystem::remove(file);
    net::reload_current_services();
    EXPECT_EQ(cli::services_note(), "");
}

} // namespace
