#include "ui/list_lot.h"

#include <algorithm>

#include "core/token_amount.h"
#include "tx/outpoint.h"

namespace ui {

namespace {

std::string unit_of(const wallet::TvPursaOrdRow& lot) { return lot.name.empty() ? std::string("units") : lot.name; }

// a - b for decimal digit strings with a >= b; nullopt otherwise.
std::optional<std::string> subtract(const std::string& a, const std::string& b)
{
    if (a.size() < b.size() || (a.size() == b.size() && a < b)) return std::nullopt;
    std::string out(a.size(), '0');
    int borrow = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const size_t ai = a.size() - 1 - i;
        int d = (a[ai] - '0') - borrow - (i < b.size() ? b[b.size() - 1 - i] - '0' : 0);
        borrow = d < 0 ? 1 : 0;
        out[ai] = static_cast<char>('0' + (d + 10) % 10);
    }
    const size_t first = out.find_first_not_of('0');
    return first == std::string::npos ? std::string("0") : out.substr(first);
}

} // namespace

int lot_decimals(const wallet::TvPursaOrdRow& lot)
{
    if (lot.is_picture() || lot.dec.empty() || lot.dec.size() > 2) return 0;
    if (!std::all_of(lot.dec.begin(), lot.dec.end(), [](char c) { return c >= '0' && c <= '9'; })) return 0;
    return std::min(std::stoi(lot.dec), core::MAX_TOKEN_DECIMALS);
}

std::string lot_held_text(const wallet::TvPursaOrdRow& lot)
{
    if (lot.is_picture()) return "1 picture";
    return core::format_token_amount(lot.amt, lot_decimals(lot)).value_or(lot.amt) + " " + unit_of(lot);
}

bool lot_is_listed(const wallet::TvPursaOrdRow& lot, const std::vector<std::string>& reserved_utxos)
{
    std::vector<tx::Outpoint> outputs = lot.outpoints;
    outputs.push_back({lot.txid, lot.vout});
    return std::any_of(reserved_utxos.begin(), reserved_utxos.end(), [&](const std::string& reserved) {
        auto outpoint = tx::parse_outpoint(reserved);
        return outpoint && std::find(outputs.begin(), outputs.end(), *outpoint) != outputs.end();
    });
}

std::string lot_choice_label(const wallet::TvPursaOrdRow& lot, bool listed)
{
    const std::string name = !lot.name.empty() ? lot.name : !lot.token_id.empty() ? lot.token_id : lot.origin;
    return name + " \u00B7 " + (lot.is_picture() ? std::string("picture") : lot_held_text(lot) + " held") +
           (listed ? " \u00B7 listed" : "");
}

std::optional<std::string> lot_quantity(const wallet::TvPursaOrdRow& lot, std::string_view typed)
{
    if (lot.is_picture()) return std::string("1");
    auto units = core::parse_token_amount(typed, lot_decimals(lot));
    if (!units || *units == "0") return std::nullopt;
    return units;
}

std::string lot_rest_note(const wallet::TvPursaOrdRow& lot, std::string_view typed)
{
    if (lot.is_picture()) return {};
    const auto units = lot_quantity(lot, typed);
    const auto held = core::parse_token_amount(lot.amt, 0);
    if (!units || !held) return {};
    const auto rest = subtract(*held, *units);
    if (!rest || *rest == "0") return {};
    return "The whole lot stays held while it is listed: the other " +
           core::format_token_amount(*rest, lot_decimals(lot)).value_or(*rest) + " " + unit_of(lot) +
           " wait until the listing ends.";
}

trade::LotToList lot_to_list(const wallet::TvPursaOrdRow& lot)
{
    trade::LotToList out;
    out.id = lot.origin;
    out.txid = lot.txid;
    out.vout = lot.vout;
    out.name = lot.name;
    out.token_id = lot.token_id;
    out.amount = lot.amt;
    return out;
}

} // namespace ui
