#include "tests/e2e/forger.h"

#include "tests/e2e/trader.h"

#include <chrono>

#include "book/post.h"
#include "book/signing.h"
#include "core/base58.h"
#include "core/hash.h"
#include "core/hex.h"
#include "core/key.h"
#include "core/message.h"
#include "net/market_addresses.h"
#include "tx/outpoint.h"
#include "tx/script.h"
#include "tx/serialize.h"
#include "tx/sign.h"

namespace e2e {

namespace {

constexpr int64_t POST_FEE = 2'000;

core::Hash160 hash_of_address(std::string_view address)
{
    return core::hash160_from_address(address).value_or(core::Hash160{});
}

} // namespace

Forger::Forger(std::string handle, const testsupport::Devnet& devnet) : m_handle(std::move(handle)), m_devnet(devnet)
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
    in.txid = m_devnet.fund(m_address, sats);
    in.vout = 0;
    in.value = sats;
    in.pub_key_hash = m_hash;
    return in;
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
    return tx::tx_id(raw);
}

std::string Forger::publish(nlohmann::json post, bool house_fee) const
{
    post["protocol"] = std::string(book::POST_PROTOCOL);
    post["location"] = std::string(book::POST_LOCATION);
    post["handle"] = m_handle;
    post["actor"] = m_handle;
    post["paymail"] = m_handle + "@tavrinnode.example";
    if (!post.contains("ts"))
        post["ts"] = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
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
    std::string txid = broadcast(inputs, outputs);
    next_post_second();
    return txid;
}

} // namespace e2e
