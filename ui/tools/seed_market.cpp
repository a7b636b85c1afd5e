#include "ui/tools/seed_market.h"

#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "book/signing.h"
#include "core/base58.h"
#include "core/hex.h"
#include "core/json_get.h"
#include "core/key.h"
#include "core/message.h"
#include "net/http_client.h"
#include "net/market_addresses.h"
#include "tx/raw_tx.h"
#include "tx/script.h"
#include "ui/tools/sample_art.h"

namespace {

using core::Json;

struct Trader {
    std::string priv;
    std::string pub;
    std::string address;
    std::string handle;
};

struct Seeder {
    std::string base;
    std::string error;

    Json admin(const std::string& path, const Json& body)
    {
        net::PostOptions options;
        options.timeout_seconds = 30;
        const net::HttpReply reply = net::default_http().post_json(base + "/admin" + path, body.dump(), options);
        if (!reply.ok) {
            error = "admin " + path + ": " + reply.error;
            return Json();
        }
        return core::parse_json(reply.body).value_or(Json());
    }

    // Pays the signed post into the chain: the house fee for a listing, 1 sat to the oracle,
    // the post in a data carrier. The input is the simulator's to trust (an import).
    std::string publish(const Json& post, uint64_t nonce)
    {
        tx::RawTx raw;
        tx::RawTxInput input;
        for (int i = 0; i < 8; ++i) input.prev_hash[size_t(i)] = static_cast<uint8_t>(nonce >> (8 * i));
        input.prev_hash[31] = 0x7e;
        input.script_sig = {0x51};
        raw.inputs.push_back(input);
        auto lock = [](std::string_view address) { return tx::p2pkh_script(*core::hash160_from_address(address)); };
        if (core::json_string(post, "type") == "ag_list") raw.outputs.push_back({1'000'000, lock(net::HOUSE_FEE_ADDRESS)});
        raw.outputs.push_back({1, lock(net::BOOK_ORACLE_ADDRESS)});
        const std::string text = post.dump();
        raw.outputs.push_back({0, tx::data_carrier_script(core::as_bytes(text))});
        return admin("/import", {{"hex", core::hex_encode(tx::serialize_raw_tx(raw))}}).value("txid", "");
    }
};

Trader make_trader(unsigned n, const std::string& handle)
{
    char priv[65];
    std::snprintf(priv, sizeof priv, "%064x", 0x5eed0000u + n);
    Trader t;
    t.priv = priv;
    t.pub = core::pubkey_from_privkey(t.priv).value_or("");
    t.address = core::address_from_pubkey(t.pub);
    t.handle = handle;
    return t;
}

Json sign(Json post, const Trader& who, int64_t ts)
{
    post["protocol"] = "TV-Agoran";
    post["location"] = "agoran";
    post["handle"] = who.handle;
    post["actor"] = who.handle;
    post["ts"] = ts;
    post["pubkey"] = who.pub;
    post["sig"] = core::sign_message_plain(book::signing_string(post), who.priv).value_or("");
    return post;
}

} // namespace

namespace ui {

SeedResult seed_market(const std::string& base_url, int listings)
{
    SeedResult result;
    Seeder seeder{base_url, {}};

    const char* names[] = {"ariadne", "basilios", "calliope", "demos", "eudora", "melina", "nikias", "zeno"};
    std::vector<Trader> traders;
    for (unsigned i = 0; i < std::size(names); ++i) {
        traders.push_back(make_trader(i + 1, names[i]));
        seeder.admin("/identity", {{"handle", traders.back().handle}, {"pubkey", traders.back().pub}});
    }
    const char* tokens[][2] = {{"Obol", "OBOL"}, {"Drachma", "DRCH"}, {"Laurel", "LAUR"}, {"Owl Coin", "OWL"}};
    const char* pictures[] = {"Dawn over the Stoa", "Golden Owl #12", "Temple at Night", "Harbour Lights"};
    const char* notes[] = {"Fresh mint, fair price", "Partial fills welcome", "Rare early lot", "Quick sale"};

    struct Lot {
        std::string origin, kind, name, sym, icon;
    };
    std::vector<Lot> lots;
    for (int i = 0; i < 4; ++i) {
        const Trader& owner = traders[size_t(i)];
        const std::string icon = seeder.admin("/inscribe", {{"address", owner.address}, {"content_type", "image/png"},
                                                            {"content_hex", core::hex_encode(core::as_bytes(ui::png_bytes(ui::sample_picture(i, true))))}})
                                     .value("origin", "");
        const std::string id = seeder.admin("/mint", {{"address", owner.address}, {"amount", "1000000"},
                                                      {"symbol", tokens[i][1]}, {"icon", icon}, {"decimals", "0"}})
                                   .value("id", "");
        lots.push_back({id, "bsv21", tokens[i][0], tokens[i][1], icon});
        const std::string picture = seeder.admin("/inscribe", {{"address", traders[size_t(i + 4)].address}, {"content_type", "image/png"},
                                                               {"content_hex", core::hex_encode(core::as_bytes(ui::png_bytes(ui::sample_picture(i + 4, false))))}})
                                        .value("origin", "");
        lots.push_back({picture, "picture", pictures[i], "", ""});
    }
    if (!seeder.error.empty()) {
        result.error = seeder.error;
        return result;
    }

    std::mt19937 rng(42);
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    uint64_t nonce = 1;
    for (int i = 0; i < listings; ++i) {
        const Lot& lot = lots[size_t(i) % lots.size()];
        const Trader& seller = traders[(size_t(i) * 3 + (lot.kind == "picture" ? 4 : 0)) % traders.size()];
        Json post = {{"type", "ag_list"}, {"origin", lot.origin}, {"kind", lot.kind}, {"utxo", lot.origin},
                     {"qty", lot.kind == "picture" ? "1" : std::to_string(10 + rng() % 900)},
                     {"price_sats", 100'000 + (rng() % 200) * 50'000}, {"note", notes[rng() % std::size(notes)]},
                     {"exp", now + 2'419'200}, {"pay_addr", seller.address}, {"ord_addr", seller.address},
                     {"name", lot.name}};
        if (!lot.sym.empty()) post["sym"] = lot.sym;
        if (!lot.icon.empty()) post["icon"] = lot.icon;
        const std::string txid = seeder.publish(sign(post, seller, now - 3600 + i), nonce++);
        if (txid.empty()) break;
        ++result.listed;
        if (i % 9 == 4) {  // a few sellers changed their minds
            Json cancel = {{"type", "ag_cancel"}, {"listing", txid}};
            if (!seeder.publish(sign(cancel, seller, now - 1800 + i), nonce++).empty()) ++result.cancelled;
        }
    }
    seeder.admin("/mine", {{"blocks", 1}});
    result.traders = traders.size();
    result.error = seeder.error;
    return result;
}

} // namespace ui
