// agoran-cli: the market from a terminal, over the same trade routines as the desktop program.
// The result text goes to standard output exactly as the library returns it; progress and
// warnings go to standard error. Exit status 0 only on success; 3 when book or history could
// read the book only in part.
#include <iostream>
#include <string>
#include <vector>

#include "cli/args.h"
#include "cli/commands.h"
#include "core/log.h"
#include "net/service_config.h"
#include "platform/crash_dumps.h"
#include "trade/market_session.h"
#include "trade/result_text.h"

int main(int argc, char** argv)
{
    if (!platform::disable_crash_dumps()) std::cerr << platform::CRASH_DUMPS_WARNING << "\n";  // a dump would hold the bound wallet's keys
    std::vector<std::string> words(argv + 1, argv + argc);
    cli::ParsedArgs parsed = cli::parse_args(words);
    if (!parsed.invocation) {
        std::cerr << trade::refusal_text(parsed.error) << "\n";
        return 1;
    }
    core::set_log_sink([](core::LogLevel level, const std::string& text) {
        const char* mark = level == core::LogLevel::Progress ? "... " : (level == core::LogLevel::Warning ? "warning: " : "error: ");
        std::cerr << mark << text << (text.ends_with("\n") ? "" : "\n") << std::flush;
    });
    const auto services = net::load_services_file();
    if (parsed.invocation->command != "help") {
        if (const std::string note = cli::services_note(*services); !note.empty()) std::cerr << note << "\n" << std::flush;
    }
    trade::MarketSession session(services);
    session.clock().fix(parsed.invocation->at);
    return cli::run_command(session, *parsed.invocation, std::cout);
}
