// Writes the seeds of the fuzz corpora that must be signed or built by the program itself (signed
// posts, the chain transactions that carry them, snapshots and reserves files), into the corpus
// folder given as the only argument. Run by hand when the post format changes:
//   ninja -C build agoran-fuzz-make-seeds && build/fuzz/agoran-fuzz-make-seeds fuzz/corpus
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "book/signing.h"
#include "core/hex.h"
#include "core/json_get.h"
#include "core/key.h"
#include "core/message.h"
#include "tx/script.h"

namespace {

using Json = core::Json;

const std::string PRIV = std::string(63, '0') + "5";

void write(const std::filesystem::path& root, const std::string& target, const std::string& name, const std::string& text)
{
    std::filesystem::create_directories(root / target);
    std::ofstream(root / target / name, std::ios::binary) << text;
}

// The post as alice signs it at ts (a number, or the text of one).
Json signed_post(Json post, Json ts)
{
    post.update({{"protocol", "TV-Agoran"}, {"location", "agoran"}, {"handle", "alice"}, {"actor", "alice"},
                 {"paymail", "alice@registry.test"}, {"ts", ts}, {"pubkey", core::pubkey_from_privkey(PRIV).value_or("")}});
    post["sig"] = core::sign_message_plain(book::signing_string(post), PRIV).value_or("");
    return post;
}

Json carrier_tx(const Json& post)
{
    const std::string text = post.dump();
    const auto script = tx::data_carrier_script(core::ByteView(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
    return Json{{"txid", std::string(64, 'b')},
                {"vout", Json::array({Json{{"value", 0.00000001}, {"n", 0},
                                           {"scriptPubKey", {{"hex", "76a914" + std::string(40, '0') + "88ac"},
                                                             {"addresses", Json::array({"1BgGZ9tcN4rm9KBzDn7KprQz87SZ26SAMH"})}}}},
                                      Json{{"value", 0}, {"n", 1}, {"scriptPubKey", {{"hex", core::hex_encode(script)}}}}})}};
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 1;
    }
    const std::filesystem::path root = argv[1];
    const std::string utxo = std::string(64, 'e') + "_0";
    const Json listing = signed_post({{"type", "ag_list"}, {"origin", std::string(64, 'd') + "_0"}, {"kind", "bsv21"},
                                      {"utxo", utxo}, {"qty", "100"}, {"price_sats", 5000}, {"note", "lot"},
                                      {"exp", 4'000'000'000LL}, {"pay_addr", "1BgGZ9tcN4rm9KBzDn7KprQz87SZ26SAMH"},
                                      {"ord_addr", "1BgGZ9tcN4rm9KBzDn7KprQz87SZ26SAMH"}},
                                     1'700'000'000);
    const Json cancel = signed_post({{"type", "ag_cancel"}, {"listing", std::string(64, 'f')}}, 1'700'000'100);
    const Json text_ts = signed_post({{"type", "ag_list"}, {"utxo", utxo}, {"price_sats", 1}}, "1700000000");
    for (const auto& [name, post] : {std::pair{"listing", &listing}, std::pair{"cancel", &cancel}, std::pair{"text-ts", &text_ts}}) {
        if (!book::verify_post_signature(*post)) {
            std::fprintf(stderr, "a seed post does not verify: %s\n", post->dump().c_str());
            return 1;
        }
        write(root, "verify_post", std::string("signed-") + name + ".json", post->dump());
    }
    write(root, "read_post_from_tx", "listing-tx.json", carrier_tx(listing).dump(2));
    write(root, "read_post_from_tx", "cancel-tx.json", carrier_tx(cancel).dump());
    return 0;
}
