// agoran-devnet: the local services simulator.
//   agoran-devnet --port 0 --state DIR [--write-services DATA_DIR] [--fee-rate SATS_PER_KB]
//                 [--oracle ADDRESS] [--block-interval SECONDS] [--threads N] [--profile local|wan]
// Prints one line "http://127.0.0.1:PORT" when it serves, and runs until SIGINT or SIGTERM.
#include <atomic>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

#include "core/base58.h"
#include "devnet/server.h"
#include "devnet/services_file.h"
#include "net/market_addresses.h"

namespace {

std::atomic<bool> g_stop{false};

extern "C" void on_signal(int)
{
    g_stop.store(true);
}

bool read_int(const std::string& text, int64_t& out)
{
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && ptr == text.data() + text.size();
}

constexpr const char* USAGE =
    "usage: agoran-devnet --port N --state DIR [--write-services DATA_DIR] [--fee-rate SATS_PER_KB]\n"
    "                     [--oracle ADDRESS] [--block-interval SECONDS] [--threads N] [--profile local|wan]\n"
    "  --profile wan: every request takes about 100 ms and WhatsOnChain serves 3 requests a second\n";

int usage(const std::string& problem)
{
    std::cerr << "agoran-devnet: " << problem << "\n" << USAGE;
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    devnet::ServerOptions options;
    options.book_oracle = std::string(net::BOOK_ORACLE_ADDRESS);
    options.report_oracle = std::string(net::REPORT_ORACLE_ADDRESS);
    std::string services_dir;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << USAGE;
            return 0;
        }
        if (i + 1 >= argc) return usage("missing value after " + arg);
        std::string value = argv[++i];
        int64_t n = 0;
        if (arg == "--port" && read_int(value, n) && n >= 0 && n <= 65535) {
            options.port = static_cast<int>(n);
        } else if (arg == "--state") {
            options.state_dir = value;
        } else if (arg == "--write-services") {
            services_dir = value;
        } else if (arg == "--fee-rate" && read_int(value, n) && n >= 0) {
            options.fee_rate = n;
        } else if (arg == "--oracle" && core::hash160_from_address(value)) {
            options.book_oracle = value;
        } else if (arg == "--block-interval" && read_int(value, n) && n >= 0 && n <= 86400) {
            options.block_interval_s = static_cast<int>(n);
        } else if (arg == "--threads" && read_int(value, n) && n >= 2 && n <= 256) {
            options.threads = static_cast<int>(n);
        } else if (arg == "--profile" && devnet::profile_from_name(value)) {
            options.profile = *devnet::profile_from_name(value);
        } else {
            return usage("bad option " + arg + " " + value);
        }
    }
    if (options.state_dir.empty()) return usage("--state DIR is required");

    devnet::DevnetServer server(options);
    std::string error;
    if (!server.start(error)) {
        std::cerr << "agoran-devnet: " << error << "\n";
        return 1;
    }
    if (!services_dir.empty() && !devnet::write_services_file(services_dir, server.base_url(), error, options.profile)) {
        std::cerr << "agoran-devnet: " << error << "\n";
        server.stop();
        return 1;
    }
    std::signal(SIGINT, on_signal);
    std::signal(SIGTERM, on_signal);
    std::cout << server.base_url() << std::endl;
    while (!g_stop.load()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    server.stop();
    return 0;
}
