// agoran-demo-counterparty: the trader who answers the user in the demo market.
//   agoran-demo-counterparty --state DIR [--once] [--at SECONDS]
// DIR is the demo's seeded state folder; the user's services.json there names the simulator.
// --at acts at that moment (Unix seconds) instead of the computer's clock, as agoran-cli does.
// Runs until SIGINT or SIGTERM (or after one look with --once), printing what it does.
#include <atomic>
#include <charconv>
#include <chrono>
#include <csignal>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "core/json_get.h"
#include "core/log.h"
#include "demo/counterparty.h"
#include "net/service_config.h"
#include "demo/market_script.h"
#include "demo/seed_market.h"
#include "demo/trader_desk.h"
#include "platform/crash_dumps.h"
#include "trade/market_session.h"

namespace {

std::atomic<bool> g_stop{false};

extern "C" void on_signal(int)
{
    g_stop.store(true);
}

// Whole seconds since 1970, above 0; anything else is refused.
bool moment(std::string_view text, int64_t& at)
{
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), at);
    return ec == std::errc() && end == text.data() + text.size() && at > 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (!platform::disable_crash_dumps()) std::cerr << platform::CRASH_DUMPS_WARNING << "\n";  // it signs with the traders' keys
    std::filesystem::path state;
    bool once = false;
    int64_t at = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--state" && i + 1 < argc) state = argv[++i];
        else if (arg == "--once") once = true;
        else if (arg == "--at" && i + 1 < argc && moment(argv[i + 1], at)) ++i;
        else {
            std::cerr << "usage: agoran-demo-counterparty --state DIR [--once] [--at SECONDS]\n";
            return 1;
        }
    }
    std::ifstream file(demo::seed_report_path(state));
    std::stringstream text;
    text << file.rdbuf();
    const std::string user_key = core::json_string(core::parse_json(text.str()).value_or(core::Json()), "user_key");
    if (user_key.empty()) {
        std::cerr << "agoran-demo-counterparty: " << demo::seed_report_path(state).string() << " names no user; seed first\n";
        return 1;
    }
    const auto root = demo::trader_root(state, demo::TRADER_NAMES[demo::COUNTERPARTY]);
    std::string error;
    if (!demo::copy_services(demo::user_root(state), root, error)) {
        std::cerr << "agoran-demo-counterparty: " << error << "\n";
        return 1;
    }
    core::set_log_sink([](core::LogLevel, const std::string&) {});
    std::signal(SIGINT, on_signal);
    std::signal(SIGTERM, on_signal);
    std::cout << demo::TRADER_NAMES[demo::COUNTERPARTY] << " is watching the book" << std::endl;
    demo::CounterpartyMemory memory;
    const std::unique_ptr<trade::MarketSession> held = demo::act_as(root, "agoran-demo-counterparty");
    trade::MarketSession& session = *held;
    session.clock().fix(at);
    while (!g_stop.load()) {
        for (const auto& line : demo::counterparty_pass(session, user_key, memory)) std::cout << line << std::endl;
        if (once) break;
        for (int i = 0; i < 15 && !g_stop.load(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return 0;
}
