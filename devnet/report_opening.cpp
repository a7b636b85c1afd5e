#include "devnet/report_opening.h"

#include "core/json_get.h"
#include "trade/report.h"
#include "tx/push.h"
#include "tx/raw_tx.h"

namespace devnet {
namespace {

// The first data output (00 6A push, or 6A push) whose push is a "QDL-Relay" report object.
std::optional<nlohmann::json> report_envelope(core::ByteView raw_tx)
{
    auto parsed = tx::parse_raw_tx(raw_tx);
    if (!parsed) return std::nullopt;
    for (const auto& out : parsed->outputs) {
        core::ByteView script(out.script);
        size_t pos = !script.empty() && script[0] == 0x00 ? 1 : 0;
        if (pos >= script.size() || script[pos] != 0x6a) continue;
        ++pos;
        auto push = tx::read_script_op(script, pos);
        if (!push || !push->is_push) continue;
        auto doc = core::parse_json(std::string_view(reinterpret_cast<const char*>(push->data.data()), push->data.size()));
        if (doc && core::json_string(*doc, "protocol") == "QDL-Relay" && core::json_string(*doc, "type") == "report")
            return doc;
    }
    return std::nullopt;
}

} // namespace

nlohmann::json open_report(const std::string& txid, core::ByteView raw_tx, core::ByteView architect_key,
                           const book::IdentityKeyLookup& identity_key)
{
    nlohmann::json out = {{"txid", txid}};
    auto envelope = report_envelope(raw_tx);
    if (!envelope) {
        out["error"] = "no report envelope";
        return out;
    }
    out["handle"] = core::json_string(*envelope, "handle");
    out["to_handle"] = core::json_string(*envelope, "to_handle");
    trade::ReportOpening opened = trade::open_report_envelope(*envelope, architect_key, identity_key);
    if (!opened.report) {
        out["error"] = opened.error;
        return out;
    }
    out["from_key"] = opened.report->sender_pubkey_hex;
    out["text"] = opened.report->text.str();
    return out;
}

} // namespace devnet
