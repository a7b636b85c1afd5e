#include "cli/lots.h"

#include "book/post.h"
#include "tx/outpoint.h"
#include "wallet/lots.h"

namespace cli {

WalletLots load_wallet_lots(wallet::WalletSession& wallet_session)
{
    WalletLots out;
    std::vector<wallet::TvPursaOrdRow> rows;
    if (auto listed = wallet::tv_pursa_list_ordinals(wallet_session, rows, true, false); !listed) {
        out.error = wallet::error_text(listed.error());
        return out;
    }
    for (const auto& row : rows) {
        out.lots.push_back({row.origin, row.txid, row.vout, row.name, row.token_id, row.amt});
    }
    return out;
}

std::string tx_outpoint_text(const trade::LotToList& lot)
{
    return tx::format_outpoint(lot.txid, lot.vout);
}

const trade::LotToList* find_lot(const std::vector<trade::LotToList>& lots, const std::string& key, std::string& error)
{
    auto wanted = tx::parse_outpoint(key);
    const std::string text = core::ascii_lower(key);
    const trade::LotToList* found = nullptr;
    for (const auto& lot : lots) {
        bool match = (wanted && *wanted == tx::Outpoint{lot.txid, lot.vout}) ||
                     core::ascii_lower(lot.id) == text || (!lot.token_id.empty() && core::ascii_lower(lot.token_id) == text);
        if (!match) continue;
        if (found && found != &lot) {
            error = "more than one lot of this wallet matches " + key + ".";
            return nullptr;
        }
        found = &lot;
    }
    if (!found) error = "no lot " + key + " in this wallet. Try: agoran-cli lots";
    return found;
}

} // namespace cli
