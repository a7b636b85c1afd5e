// Two traders in data directories of their own, each command an agoran-cli process, against one
// simulator: a trade once through, and listings whose lot does not hold what they claim, which
// the buyer refuses before paying. The trade rules themselves are the trade suite's.
#include <gtest/gtest.h>

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
#include "tests/support/devnet_fixture.h"
#include "tests/support/pursa_program.h"
#include "tests/support/test_txid.h"
#include "tx/bsv20.h"
#include "tx/inscription.h"
#include "tx/script.h"
#include "tx/serialize.h"
#include "tx/sign.h"

namespace {

using nlohmann::json;
using testsupport::RunResult;

class TradeEndToEnd : public testsupport::DevnetTest {
protected:
    // A trader: its own LOCALAPPDATA, a Pursa wallet under a published name, funded and
    // connected to agoran-cli. Returns the wallet's ordinals address ("" on failure).
    std::string open(const testsupport::TempDir& root, const std::string& name)
    {
        std::filesystem::create_directories(root / "TavrinNode");
        devnet().write_services(root / "TavrinNode");
        pursatest::run_pursa(root.path(), {"create", "--name", name});
        pursatest::run_pursa(root.path(), {"paymail", name});
        pursatest::run_pursa(root.path(), {"fund", "3000000"});
        std::istringstream shown(pursatest::run_pursa(root.path(), {"show"}).output);
        std::string line, ordinals;
        while (std::getline(shown, line)) {
            if (line.starts_with("ordinals:")) ordinals = line.substr(line.find_last_of(' ') + 1);
        }
        auto approver = pursatest::start_pursa(root.path(), {"approve", "--wait", "--timeout", "60"});
        const RunResult connected = cli(root, {"connect", "--timeout", "60"});
        if (approver) approver->wait(std::chrono::seconds(10));
        EXPECT_EQ(connected.exit_code, 0) << name << ": " << connected.output;
        return connected.exit_code == 0 ? ordinals : "";
    }

    // Every command runs at the next moment, so that each post sorts after the one before it.
    RunResult cli(const testsupport::TempDir& root, std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--at", std::to_string(++m_moment)});
        return testsupport::run_program(testsupport::built_program("cli/agoran-cli"), args,
                                        {"LOCALAPPDATA=" + root.path().string()}, std::chrono::seconds(180));
    }

    // Units of the token an address holds in valid unspent outputs.
    std::vector<std::string> token_units(const std::string& address, const std::string& token_id)
    {
        std::vector<std::string> out;
        const json list = devnet().get("/ordinals/api/bsv20/" + address + "/id/" + token_id).json();
        for (const auto& t : list.is_array() ? list : json::array()) out.push_back(t.value("amt", ""));
        return out;
    }

    int64_t m_moment = core::system_seconds();
    testsupport::TempDir m_alice, m_bob;
};

// A forger's key, with a registered identity: pays its own signed listings into the book.
struct Forger {
    const testsupport::Devnet& devnet;
    std::string priv = core::hex_encode(core::sha256(core::as_bytes("forger key of mallory")));
    std::string pub = core::pubkey_from_privkey(priv).value_or("");
    std::string address = core::address_from_pubkey(pub);
    core::Hash160 hash = *core::hash160_from_address(address);

    tx::TxInput coin(int64_t sats) const { return test_input(test_txid(devnet.fund(address, sats)), 0, sats, hash); }
    std::string broadcast(std::vector<tx::TxInput> inputs, const std::vector<tx::TxOutput>& outputs) const
    {
        EXPECT_TRUE(tx::tx_sign_input(0, inputs, outputs, hash, priv, pub));
        const core::Bytes raw = tx::tx_serialize(inputs, outputs);
        const auto reply = devnet.post("/woc/v1/bsv/main/tx/raw", json{{"txhex", core::hex_encode(raw)}}.dump());
        EXPECT_EQ(reply.status, 200) << reply.body;
        return tx::tx_id(raw).hex();
    }
    std::string list(json post, int64_t ts) const
    {
        post.update(json{{"type", "ag_list"}, {"price_sats", 100'000}, {"exp", 4'000'000'000}, {"pay_addr", address},
                     {"ord_addr", address}, {"protocol", std::string(book::POST_PROTOCOL)},
                     {"location", std::string(book::POST_LOCATION)},
                     {"handle", "mallory"}, {"actor", "mallory"}, {"paymail", "mallory@tavrinnode.example"}, {"ts", ts},
                     {"pubkey", pub}, {"note", "genuine, trust me"}});
        post["sig"] = core::sign_message_plain(book::signing_string(post), priv).value_or("");
        const auto pay_to = [](std::string_view a) { return tx::p2pkh_script(*core::hash160_from_address(a)); };
        return broadcast({coin(1'100'000)}, {{1'000'000, pay_to(net::HOUSE_FEE_ADDRESS)},
                                             {1, pay_to(net::BOOK_ORACLE_ADDRESS)},
                                             {0, tx::data_carrier_script(core::as_bytes(post.dump()))},
                                             {90'000, tx::p2pkh_script(hash)}});
    }
};

TEST_F(TradeEndToEnd, ABuyerAndASellerTradeAndLotsThatDoNotHoldTheirClaimAreRefused)
{
    ASSERT_TRUE(m_devnet);
    const std::string alice_ord = open(m_alice, "alice");
    const std::string bob_ord = open(m_bob, "bob");
    ASSERT_FALSE(alice_ord.empty() || bob_ord.empty());

    // Three of a lot of ten: listed eight, offered on, completed once; the second time refused.
    const std::string token = devnet().mint(alice_ord, "10", "TEN");
    const RunResult listed = cli(m_alice, {"list", token, "--qty", "8", "--price", "0.01", "--note", "fresh"});
    ASSERT_TRUE(listed.output.starts_with("success: ")) << listed.output;
    const std::string listing = listed.output.substr(9, 64);
    const RunResult bought = cli(m_bob, {"buy", listing, "--qty", "3"});
    ASSERT_EQ(bought.exit_code, 0) << bought.output;
    const json offers = json::parse(cli(m_alice, {"offers", "--json"}).output, nullptr, false);
    ASSERT_TRUE(offers.is_array() && offers.size() == 1) << offers.dump();
    EXPECT_EQ(offers[0]["check"]["due_sats"], 375'000);
    const std::string offer = offers[0].value("id", "");
    const RunResult done = cli(m_alice, {"complete", offer});
    ASSERT_EQ(done.exit_code, 0) << done.output;
    EXPECT_EQ(cli(m_alice, {"complete", offer}).exit_code, 1);
    EXPECT_EQ(token_units(bob_ord, token), std::vector<std::string>{"3"});
    EXPECT_EQ(token_units(alice_ord, token), std::vector<std::string>{"7"});
    const json book = json::parse(cli(m_bob, {"book", "--json"}).output, nullptr, false);
    ASSERT_TRUE(book.is_array() && book.size() == 1) << book.dump();
    EXPECT_EQ(book[0]["qty"], "5");
    EXPECT_EQ(book[0]["price_sats"], 625'000);

    // A plain coin listed as someone's picture, and a transfer inscription with no tokens
    // behind it listed as ten of the token: the buyer asks the index and pays nothing. A
    // listing dated an hour ahead is refused before any coin is locked for it.
    const Forger mallory{devnet()};
    devnet().set_identity("mallory", mallory.pub);
    const tx::TxInput plain = mallory.coin(1);
    const std::string picture = devnet().inscribe(alice_ord, "image/png", "famous picture");
    const std::string fake_picture =
        mallory.list({{"kind", "picture"}, {"qty", "1"}, {"origin", picture}, {"utxo", plain.txid.hex() + "_0"}}, ++m_moment);
    const tx::TxOutput transfer{1, tx::inscription_script(mallory.hash, tx::BSV20_CONTENT_TYPE,
                                                          core::as_bytes(tx::bsv20_transfer_json(token, "10")))};
    const std::string empty = mallory.broadcast({mallory.coin(10'000)}, {transfer, {9'000, tx::p2pkh_script(mallory.hash)}});
    const std::string fake_tokens =
        mallory.list({{"kind", "bsv21"}, {"qty", "10"}, {"origin", token}, {"utxo", empty + "_0"}}, ++m_moment);
    const std::string own = devnet().inscribe(mallory.address, "image/png", "an hour ahead");
    const std::string ahead = mallory.list({{"kind", "picture"}, {"qty", "1"}, {"origin", own}, {"utxo", own}}, m_moment + 3600);
    for (const auto& [forged, refusal] : {std::pair{fake_picture, "error: the listed lot does not hold the listed picture."},
                                          {fake_tokens, "error: the listed lot does not hold 10 valid tokens"},
                                          {ahead, "error: That listing is dated ahead of this computer's clock."}}) {
        const RunResult refused = cli(m_bob, {"buy", forged});
        EXPECT_EQ(refused.exit_code, 1) << refused.output;
        EXPECT_NE(refused.output.find(refusal), std::string::npos) << refused.output;
    }
}

} // namespace
