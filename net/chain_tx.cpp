#include "net/chain_tx.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "core/hex.h"
#include "core/json_get.h"
#include "net/text.h"

namespace net {

namespace {

constexpr core::Amount MAX_SATS = 21'000'000 * core::SATS_PER_BSV;


std::optional<core::Amount> integer_sats(const nlohmann::json& v)
{
    if (v.is_number_float()) {
        double d = v.get<double>();
        if (!std::isfinite(d) || d < 0 || d > static_cast<double>(MAX_SATS)) return std::nullopt;
        return static_cast<core::Amount>(std::floor(d + 0.5));
    }
    auto sats = core::json_number_as_int64(v);
    if (!sats || *sats < 0 || *sats > MAX_SATS) return std::nullopt;
    return sats;
}

} // namespace

std::optional<core::Amount> bsv_to_sats(double bsv)
{
    if (!std::isfinite(bsv) || bsv < 0 || bsv > 21'000'000.0) return std::nullopt;
    // A double holds these amounts to far better than half a satoshi, so its nearest
    // 8-decimal text is the amount the service wrote.
    char text[64];
    int n = std::snprintf(text, sizeof text, "%.8f", bsv);
    if (n <= 0 || n >= static_cast<int>(sizeof text)) return std::nullopt;
    core::Amount sats = 0;
    for (const char* p = text; *p; ++p) {
        if (*p == '.') continue;
        if (*p < '0' || *p > '9') return std::nullopt;
        sats = sats * 10 + (*p - '0');
    }
    if (sats > MAX_SATS) return std::nullopt;
    return sats;
}

std::optional<core::Amount> chain_output_sats(const nlohmann::json& output)
{
    for (const char* key : {"valueSat", "satoshis"}) {
        const auto* v = core::json_member(output, key);
        if (v && v->is_number()) return integer_sats(*v);
    }
    const auto* value = core::json_member(output, "value");
    if (!value || !value->is_number()) return std::nullopt;
    return bsv_to_sats(value->get<double>());
}

ChainPosition chain_position(const nlohmann::json& answer, bool names_block_when_mined)
{
    ChainPosition position;
    auto blockhash = core::json_string_opt(answer, "blockhash");
    auto confirmations = core::json_int64_opt(answer, "confirmations");
    auto height = core::json_int64_opt(answer, "blockheight");
    bool mined = (blockhash && !blockhash->empty()) || (confirmations && *confirmations > 0);
    if (mined && height && *height >= 0) {
        position.state = ChainPosition::State::Confirmed;
        position.height = *height;
    } else if (!mined && names_block_when_mined) {
        position.state = ChainPosition::State::Unconfirmed;
    }
    return position;
}

std::optional<ChainTx> parse_chain_tx(const nlohmann::json& tx)
{
    auto text = core::json_string_opt(tx, "txid");
    auto txid = text ? tx::Txid::parse(*text) : std::nullopt;
    if (!txid) return std::nullopt;
    const auto* vout = core::json_array(tx, "vout");
    if (!vout) return std::nullopt;

    ChainTx out;
    out.txid = *txid;
    for (size_t i = 0; i < vout->size(); ++i) {
        const auto& entry = (*vout)[i];
        if (!entry.is_object()) return std::nullopt;
        if (const auto* n = core::json_member(entry, "n")) {
            auto index = core::json_number_as_int64(*n);
            if (!n->is_number_integer() || !index || *index != static_cast<int64_t>(i)) return std::nullopt;
        }
        ChainTxOutput output;
        auto sats = chain_output_sats(entry);
        if (!sats) return std::nullopt;
        output.sats = *sats;
        if (const auto* spk = core::json_object(entry, "scriptPubKey")) {
            output.script_truncated = core::json_bool_opt(*spk, "isTruncated").value_or(false);
            if (const auto* hex = core::json_member(*spk, "hex")) {
                bool valid = hex->is_string() && is_hex_text(hex->get_ref<const std::string&>());
                // A cut script may end in anything; only a whole script must be proper hex.
                if (!valid && !output.script_truncated) return std::nullopt;
                if (valid) output.script_hex = core::ascii_lower(hex->get<std::string>());
            }
            if (const auto* addresses = core::json_array(*spk, "addresses")) {
                for (const auto& a : *addresses) {
                    if (a.is_string()) output.addresses.push_back(a.get<std::string>());
                }
            } else if (auto address = core::json_string_opt(*spk, "address")) {
                output.addresses.push_back(*address);
            }
        }
        out.outputs.push_back(std::move(output));
    }
    auto blockhash = core::json_string_opt(tx, "blockhash");
    out.confirmed = blockhash && !blockhash->empty();
    if (out.confirmed) out.block_height = std::max<int64_t>(core::json_int64(tx, "blockheight"), 0);
    return out;
}

} // namespace net
