// pursa: the wallet program that apps connect to. Keeps wallets in the shared data directory
// and answers connect requests.
#include <chrono>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/crash_dumps.h"
#include "platform/file_lock.h"
#include "pursa/approvals.h"
#include "pursa/services.h"
#include "pursa/vault.h"
#include "wallet/data_paths.h"

namespace {

constexpr const char* USAGE =
    "usage: pursa                         wait for connect requests and ask in this terminal\n"
    "       pursa create [--name NAME]\n"
    "       pursa restore WORDS... [--name NAME]\n"
    "       pursa list\n"
    "       pursa show [--wallet ID]\n"
    "       pursa approve [REQUEST | --all | --wait [--timeout SECONDS]] [--wallet ID]\n"
    "       pursa deny [REQUEST | --all | --wait [--timeout SECONDS]]\n"
    "       pursa lock|unlock [--wallet ID] [--password PASSWORD]\n"
    "       pursa paymail NAME [--wallet ID]\n"
    "       pursa fund [SATOSHIS] [--wallet ID]\n";

struct Args {
    std::string command;
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;  // --name value
    bool all = false;
    bool wait = false;
};

bool parse_args(int argc, char** argv, Args& args)
{
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--all") args.all = true;
        else if (a == "--wait") args.wait = true;
        else if (a == "--name" || a == "--wallet" || a == "--password" || a == "--timeout") {
            if (i + 1 >= argc) return false;
            args.options[a.substr(2)] = argv[++i];
        } else if (a.starts_with("--")) return false;
        else if (args.command.empty()) args.command = a;
        else args.positional.push_back(a);
    }
    return true;
}

std::string option(const Args& args, const std::string& name)
{
    auto it = args.options.find(name);
    return it == args.options.end() ? std::string() : it->second;
}

int finish(const std::string& result)
{
    std::cout << result << (result.ends_with("\n") ? "" : "\n");
    return result.starts_with("error") ? 1 : 0;
}

std::string read_password(const Args& args)
{
    std::string password = option(args, "password");
    if (!password.empty()) return password;
    std::cerr << "password: " << std::flush;
    std::getline(std::cin, password);
    return password;
}

// Held while this Pursa serves connect requests, so that apps can find it running.
std::unique_ptr<platform::FileLock> hold_running_lock()
{
    return platform::FileLock::try_acquire(wallet::pursa_running_lock_path());
}

int answer(const Args& args, bool approve)
{
    pursa::AnswerOptions opts;
    opts.approve = approve;
    if (approve) {
        opts.wallet_id = pursa::choose_wallet(option(args, "wallet"));
        if (opts.wallet_id.empty()) return finish("error: no such wallet: use pursa create or name one with --wallet.");
    }
    if (args.wait) opts.scope = pursa::AnswerScope::Next;
    else if (args.all) opts.scope = pursa::AnswerScope::All;
    else if (!args.positional.empty()) {
        opts.scope = pursa::AnswerScope::One;
        opts.request_id = args.positional[0];
    }
    if (const std::string t = option(args, "timeout"); !t.empty()) {
        try {
            opts.timeout = std::chrono::milliseconds(static_cast<int64_t>(std::stod(t) * 1000));
        } catch (...) {
            return finish("error: --timeout takes a number of seconds.");
        }
    }
    std::unique_ptr<platform::FileLock> running;
    if (args.wait) running = hold_running_lock();
    if (args.wait) std::cout << "waiting" << std::endl;
    return finish(pursa::answer_requests(opts));
}

int run(const Args& args)
{
    const std::string& cmd = args.command;
    if (cmd.empty() || cmd == "serve") {
        auto running = hold_running_lock();
        return pursa::serve_interactively(std::cin, std::cout, option(args, "wallet"));
    }
    if (cmd == "create") return finish(pursa::create_wallet(option(args, "name")));
    if (cmd == "restore") {
        std::string words;
        for (const auto& w : args.positional) words += (words.empty() ? "" : " ") + w;
        return finish(pursa::restore_wallet(words, option(args, "name")));
    }
    if (cmd == "list") {
        std::cout << pursa::list_wallets_text();
        return 0;
    }
    const std::string wallet_id = pursa::choose_wallet(option(args, "wallet"));
    if (cmd == "show") return finish(pursa::show_wallet(wallet_id));
    if (cmd == "approve") return answer(args, true);
    if (cmd == "deny") return answer(args, false);
    if (cmd == "lock") return finish(pursa::lock_wallet(wallet_id, read_password(args)));
    if (cmd == "unlock") return finish(pursa::unlock_wallet(wallet_id, read_password(args)));
    if (cmd == "paymail") {
        if (args.positional.size() != 1) return finish("error: name the paymail: pursa paymail NAME.");
        return finish(pursa::set_paymail(wallet_id, args.positional[0], pursa::publish_paymail));
    }
    if (cmd == "fund") {
        int64_t sats = pursa::DEFAULT_FUND_SATS;
        if (!args.positional.empty()) {
            try {
                size_t used = 0;
                sats = std::stoll(args.positional[0], &used);
                if (used != args.positional[0].size() || sats <= 0) throw 0;
            } catch (...) {
                return finish("error: fund takes a positive number of satoshis.");
            }
        }
        return finish(pursa::fund_wallet(wallet_id, sats));
    }
    std::cerr << USAGE;
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (!platform::disable_crash_dumps()) std::cerr << platform::CRASH_DUMPS_WARNING << "\n";  // a dump would hold the wallets' mnemonics
    Args args;
    if (!parse_args(argc, argv, args)) {
        std::cerr << USAGE;
        return 2;
    }
    try {
        return run(args);
    } catch (const std::exception& e) {
        return finish(std::string("error: ") + e.what());
    } catch (...) {
        return finish("error: unexpected failure.");
    }
}
