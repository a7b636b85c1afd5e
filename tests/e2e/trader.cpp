#include "tests/e2e/trader.h"

#include <fstream>
#include <set>
#include <thread>
#include <sstream>

#include "core/hex.h"
#include "platform/process.h"
#include "wallet/mnemonic.h"

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;

// The value after "label:" on a line of `pursa show`.
std::string shown(const std::string& text, const std::string& label)
{
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(label + ":", 0) != 0) continue;
        std::string value = line.substr(label.size() + 1);
        size_t first = value.find_first_not_of(' ');
        return first == std::string::npos ? std::string() : value.substr(first);
    }
    return {};
}

} // namespace

std::string Outcome::last_line() const
{
    std::string text = out;
    while (!text.empty() && text.back() == '\n') text.pop_back();
    size_t nl = text.rfind('\n');
    return nl == std::string::npos ? text : text.substr(nl + 1);
}

std::filesystem::path cli_binary()
{
    return std::filesystem::path(AGORAN_BINARY_DIR) / "cli" / "agoran-cli";
}

std::filesystem::path pursa_binary()
{
    return std::filesystem::path(AGORAN_BINARY_DIR) / "pursa" / "pursa";
}

std::string txid_of(const std::string& result)
{
    if (result.rfind("success: ", 0) != 0 || result.size() < 9 + 64) return {};
    std::string txid = result.substr(9, 64);
    return core::is_hex64(txid) ? txid : std::string();
}

Trader::Trader(std::string name, const testsupport::Devnet& devnet)
    : m_name(std::move(name)), m_devnet(devnet), m_data_dir(m_root.path() / "TavrinNode")
{
    std::filesystem::create_directories(m_data_dir);
    m_devnet.write_services(m_data_dir);
}

Outcome Trader::run(const std::filesystem::path& program, const std::vector<std::string>& args,
                std::chrono::seconds timeout) const
{
    Outcome result;
    auto child = platform::ChildProcess::start(program, args, {"LOCALAPPDATA=" + m_root.path().string()});
    if (!child) {
        ADD_FAILURE() << "cannot start " << program;
        return result;
    }
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        auto line = child->read_line(left);
        if (!line) break;
        result.out += *line + "\n";
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    auto code = child->wait(std::max(left, std::chrono::milliseconds(1)));
    if (!code) {
        child->stop();
        ADD_FAILURE() << m_name << ": " << program.filename() << " did not finish in time";
        return result;
    }
    result.code = *code;
    return result;
}

void next_post_second()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
}

Outcome Trader::cli(const std::vector<std::string>& args, std::chrono::seconds timeout) const
{
    Outcome outcome = run(cli_binary(), args, timeout);
    static const std::set<std::string> posting = {"list", "buy", "complete", "cancel", "cancel-offer", "report"};
    if (!args.empty() && posting.count(args[0])) next_post_second();
    return outcome;
}

Outcome Trader::pursa(const std::vector<std::string>& args, std::chrono::seconds timeout) const
{
    return run(pursa_binary(), args, timeout);
}

bool Trader::open(const std::vector<int64_t>& coins)
{
    Outcome created = pursa({"create", "--name", m_name});
    if (created.code != 0 || created.last_line().rfind("success: ", 0) != 0) {
        ADD_FAILURE() << m_name << ": pursa create: " << created.out;
        return false;
    }
    m_wallet_id = created.last_line().substr(9);
    Outcome named = pursa({"paymail", m_name});
    if (named.code != 0) {
        ADD_FAILURE() << m_name << ": pursa paymail: " << named.out;
        return false;
    }
    Outcome show = pursa({"show"});
    m_receive = shown(show.out, "receive");
    m_ordinals = shown(show.out, "ordinals");
    if (m_receive.empty() || m_ordinals.empty()) {
        ADD_FAILURE() << m_name << ": pursa show: " << show.out;
        return false;
    }
    for (int64_t sats : coins) {
        if (m_devnet.fund(m_receive, sats).empty()) return false;
    }

    auto approver = platform::ChildProcess::start(pursa_binary(), {"approve", "--wait", "--timeout", "60"},
                                                  {"LOCALAPPDATA=" + m_root.path().string()});
    if (!approver) {
        ADD_FAILURE() << "cannot start pursa approve";
        return false;
    }
    Outcome connected = cli({"connect", "--timeout", "60"}, std::chrono::seconds(90));
    approver->wait(std::chrono::milliseconds(10'000));
    if (connected.code != 0) {
        ADD_FAILURE() << m_name << ": agoran-cli connect: " << connected.out;
        return false;
    }
    return true;
}

nlohmann::json Trader::cli_json(const std::vector<std::string>& args) const
{
    Outcome r = cli(args);
    nlohmann::json doc = nlohmann::json::parse(r.out, nullptr, false);
    if (r.code != 0 || doc.is_discarded()) {
        ADD_FAILURE() << m_name << ": " << args.front() << " --json: " << r.out;
        return nullptr;
    }
    return doc;
}

nlohmann::json Trader::book() const
{
    return cli_json({"book", "--json"});
}

nlohmann::json Trader::offers() const
{
    return cli_json({"offers", "--json"});
}

nlohmann::json Trader::lots() const
{
    return cli_json({"lots", "--json"});
}

nlohmann::json Trader::listing(const std::string& id) const
{
    nlohmann::json all = book();
    if (!all.is_array()) return nullptr;
    for (const auto& l : all) {
        if (l.value("id", "") == id) return l;
    }
    return nullptr;
}

wallet::DerivedKey Trader::key(const wallet::DerivationPath& path) const
{
    std::ifstream file(m_data_dir / "wallets" / m_wallet_id / "wallet.json");
    std::stringstream text;
    text << file.rdbuf();
    nlohmann::json doc = nlohmann::json::parse(text.str(), nullptr, false);
    std::string words = doc.is_object() ? doc.value("mnemonic", "") : "";
    core::SecretBytes seed = wallet::mnemonic_to_seed(words);
    core::SecretBytes master = wallet::master_key_from_seed(seed.view());
    auto derived = wallet::derive_from_master(master, path);
    if (!derived) {
        ADD_FAILURE() << m_name << ": cannot derive a key from the wallet file";
        return {};
    }
    return std::move(*derived);
}

} // namespace e2e
