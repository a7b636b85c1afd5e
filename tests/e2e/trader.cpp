#include "tests/e2e/trader.h"

#include <set>
#include <sstream>

#include "book/post.h"
#include "book/signing.h"
#include "core/base58.h"
#include "core/hash.h"
#include "core/hex.h"
#include "core/key.h"
#include "core/market_clock.h"
#include "core/message.h"
#include "net/market_addresses.h"
#include "platform/process.h"
#include "tests/support/pursa_program.h"
#include "tx/bsv20.h"
#include "tx/inscription.h"
#include "tx/outpoint.h"
#include "tx/script.h"
#include "tx/serialize.h"
#include "tx/sign.h"
#include "tests/support/test_txid.h"

namespace e2e {

namespace {

std::filesystem::path cli_binary()
{
    return testsupport::built_program("cli/agoran-cli");
}

constexpr int64_t POST_FEE = 2'000;

// The value after "label:" on a line of `pursa show`.
std::string shown_value(const std::string& text, const std::string& label)
{
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t value = line.find_first_not_of(' ', label.size() + 1);
        if (line.rfind(label + ":", 0) == 0 && value != std::string::npos) return line.substr(value);
    }
    return {};
}

core::Hash160 hash_of_address(std::string_view address)
{
    return core::hash160_from_address(address).value_or(core::Hash160{});
}

} // namespace

std::string Outcome::last_line() const
{
    std::string text = out;
    while (!text.empty() && text.back() == '\n') text.pop_back();
    size_t nl = text.rfind('\n');
    return nl == std::string::npos ? text : text.substr(nl + 1);
}

std::string txid_of(const std::string& result)
{
    if (result.rfind("success: ", 0) != 0 || result.size() < 9 + 64) return {};
    std::string txid = result.substr(9, 64);
    return core::is_hex64(txid) ? txid : std::string();
}

Moments::Moments() : m_last(core::system_seconds()) {}

Trader::Trader(std::string name, const testsupport::Devnet& devnet, Moments& moments)
    : m_name(std::move(name)), m_devnet(devnet), m_moments(moments), m_data_dir(m_root.path() / "TavrinNode")
{
    std::filesystem::create_directories(m_data_dir);
    m_devnet.write_services(m_data_dir);
}

Outcome Trader::run(const std::filesystem::path& program, const std::vector<std::string>& args,
                    std::chrono::seconds timeout) const
{
    testsupport::RunResult r = testsupport::run_program(program, args, {"LOCALAPPDATA=" + m_root.path().string()}, timeout);
    if (r.exit_code == -1) ADD_FAILURE() << m_name << ": " << program.filename() << " did not start or finish in time";
    return {r.exit_code, r.output};
}

Outcome Trader::cli(const std::vector<std::string>& args, std::chrono::seconds timeout) const
{
    static const std::set<std::string> posting = {"list", "buy", "complete", "cancel", "cancel-offer", "report"};
    if (args.empty() || !posting.count(args[0])) return run(cli_binary(), args, timeout);
    std::vector<std::string> at_moment{"--at", std::to_string(m_moments.next())};
    at_moment.insert(at_moment.end(), args.begin(), args.end());
    return run(cli_binary(), at_moment, timeout);
}

bool Trader::open(const std::vector<int64_t>& coins)
{
    // A wallet under a published paymail name, with the addresses `pursa show` prints.
    const testsupport::RunResult created = pursatest::run_pursa(m_root.path(), {"create", "--name", m_name});
    if (created.exit_code == 0 && created.output.rfind("success: ", 0) == 0) m_wallet_id = created.output.substr(9);
    const testsupport::RunResult named = pursatest::run_pursa(m_root.path(), {"paymail", m_name});
    const std::string shown = pursatest::run_pursa(m_root.path(), {"show"}).output;
    m_receive = shown_value(shown, "receive");
    m_ordinals = shown_value(shown, "ordinals");
    if (m_wallet_id.empty() || named.exit_code != 0 || m_receive.empty() || m_ordinals.empty()) {
        ADD_FAILURE() << m_name << ": pursa create, paymail, show:\n" << created.output << "\n" << named.output << "\n" << shown;
        return false;
    }
    for (int64_t sats : coins) {  // through Pursa's own faucet command
        const testsupport::RunResult funded = pursatest::run_pursa(m_root.path(), {"fund", std::to_string(sats)});
        if (funded.exit_code != 0) {
            ADD_FAILURE() << m_name << ": pursa fund: " << funded.output;
            return false;
        }
    }
    auto approver = pursatest::start_pursa(m_root.path(), {"approve", "--wait", "--timeout", "60"});
    Outcome connected = cli({"connect", "--timeout", "60"}, std::chrono::seconds(90));
    if (approver) approver->wait(std::chrono::milliseconds(10'000));
    if (approver && connected.code == 0) return true;
    ADD_FAILURE() << m_name << ": agoran-cli connect: " << connected.out;
    return false;
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

nlohmann::json Trader::offers() const
{
    return cli_json({"offers", "--json"});
}

nlohmann::json Trader::listing(const std::string& id) const
{
    nlohmann::json all = cli_json({"book", "--json"});
    if (!all.is_array()) return nullptr;
    for (const auto& l : all) {
        if (l.value("id", "") == id) return l;
    }
    return nullptr;
}

Forger::Forger(std::string handle, const testsupport::Devnet& devnet, Moments& moments)
    : m_handle(std::move(handle)), m_devnet(devnet), m_moments(moments)
{
    m_priv = core::hex_encode(core::sha256(core::as_bytes("forger key of " + m_handle)));
    m_pub = core::pubkey_from_privkey(m_priv).value_or("");
    m_address = core::address_from_pubkey(m_pub);
    m_hash = hash_of_address(m_address);
    m_devnet.set_identity(m_handle, m_pub);
}

tx::TxInput Forger::coin(int64_t sats) const
{
    tx::TxInput in;
    in.txid = test_txid(m_devnet.fund(m_address, sats));
    in.vout = 0;
    in.value = sats;
    in.pub_key_hash = m_hash;
    return in;
}

tx::TxOutput Forger::transfer(const std::string& token_id, const std::string& amt) const
{
    return {1, tx::inscription_script(m_hash, tx::BSV20_CONTENT_TYPE, core::as_bytes(tx::bsv20_transfer_json(token_id, amt)))};
}

bool Forger::sign(std::vector<tx::TxInput>& inputs, const std::vector<tx::TxOutput>& outputs, size_t index) const
{
    return tx::tx_sign_input(index, inputs, outputs, m_hash, m_priv, m_pub);
}

std::string Forger::broadcast(const std::vector<tx::TxInput>& inputs, const std::vector<tx::TxOutput>& outputs) const
{
    core::Bytes raw = tx::tx_serialize(inputs, outputs);
    auto reply = m_devnet.post("/woc/v1/bsv/main/tx/raw", nlohmann::json{{"txhex", core::hex_encode(raw)}}.dump());
    if (reply.status != 200) {
        ADD_FAILURE() << m_handle << ": broadcast refused: " << reply.status << " " << reply.body;
        return {};
    }
    return tx::tx_id(raw).hex();
}

std::string Forger::publish(nlohmann::json post, bool house_fee) const
{
    post["protocol"] = std::string(book::POST_PROTOCOL);
    post["location"] = std::string(book::POST_LOCATION);
    post["handle"] = m_handle;
    post["actor"] = m_handle;
    post["paymail"] = m_handle + "@tavrinnode.example";
    if (!post.contains("ts")) post["ts"] = m_moments.next();
    post["pubkey"] = m_pub;
    post["sig"] = core::sign_message_plain(book::signing_string(post), m_priv).value_or("");
    return copy(post, house_fee);
}

std::string Forger::copy(const nlohmann::json& post, bool house_fee) const
{
    std::string payload = post.dump();

    std::vector<tx::TxOutput> outputs;
    int64_t spend = POST_FEE + 1;
    if (house_fee) {
        outputs.push_back({1'000'000, tx::p2pkh_script(hash_of_address(net::HOUSE_FEE_ADDRESS))});
        spend += 1'000'000;
    }
    outputs.push_back({1, tx::p2pkh_script(hash_of_address(net::BOOK_ORACLE_ADDRESS))});
    outputs.push_back({0, tx::data_carrier_script(core::as_bytes(payload))});
    std::vector<tx::TxInput> inputs{coin(spend + 10'000)};
    outputs.push_back({10'000, tx::p2pkh_script(m_hash)});
    if (!sign(inputs, outputs, 0)) {
        ADD_FAILURE() << m_handle << ": cannot sign the post transaction";
        return {};
    }
    return broadcast(inputs, outputs);
}

} // namespace e2e
