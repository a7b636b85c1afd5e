#include "ui/history_texts.h"

#include "ui/quantity_text.h"
#include "ui/trade_card.h"

namespace ui {

namespace {

bool posted_by_me(const book::HistoryRow& row, const std::string& my_key)
{
    return !my_key.empty() && row.pubkey == my_key;
}

// A purchase row: the seller's fill, shown with the wallet as its buyer.
bool is_purchase(const book::HistoryRow& row) { return row.type == "ag_fill" && row.handle == "you"; }

} // namespace

std::string history_action_label(const book::HistoryRow& row, const std::string& my_key)
{
    if (row.type == "ag_list") return "Listed";
    if (row.type == "ag_buy") {
        if (!posted_by_me(row, my_key)) return "Offer to you";
        return row.open ? "Offer (open)" : "Offer";
    }
    if (row.type == "ag_fill") return row.role == "buy" ? "Bought" : "Sold";
    if (row.type == "ag_cancel") return "Unlisted";
    if (row.type == "ag_offer_cancel") return "Offer cancelled";
    if (row.type == "ag_force_cancel") return "Force-cancelled";
    return row.type;
}

std::string history_who_text(const book::HistoryRow& row, const std::string& my_key)
{
    if (is_purchase(row)) return row.counterparty.empty() ? std::string("you") : row.counterparty + " \u2192 you";
    if (posted_by_me(row, my_key) || my_key.empty())
        return row.counterparty.empty() ? std::string("you") : "you \u2192 " + row.counterparty;
    return (row.handle.empty() ? std::string("someone") : row.handle) + " \u2192 you";
}

const char* history_column_title(HistoryColumn column)
{
    switch (column) {
    case HistoryColumn::When: return "When";
    case HistoryColumn::Side: return "Side";
    case HistoryColumn::Action: return "Action";
    case HistoryColumn::Name: return "Name";
    case HistoryColumn::Qty: return "Qty";
    case HistoryColumn::Bsv: return "BSV";
    case HistoryColumn::Who: return "Who";
    case HistoryColumn::Txid: return "Txid";
    }
    return "";
}

std::string history_cell_text(const book::HistoryRow& row, HistoryColumn column, const std::string& my_key,
                              const book::Listing* listing, const TimeFormatter& format)
{
    switch (column) {
    case HistoryColumn::When: {
        if (row.time < 1) return "-";
        const std::string text = format(row.time, "%Y-%m-%d %H:%M");
        return text.empty() ? "-" : text;
    }
    case HistoryColumn::Side:
        if (row.role == "buy") return "Buy";
        if (row.role == "sell") return "Sell";
        return "Book";
    case HistoryColumn::Action: return history_action_label(row, my_key);
    case HistoryColumn::Name: return row.name.empty() ? row.origin : row.name;
    case HistoryColumn::Qty: return listing ? quantity_text(*listing, row.qty) : row.qty;
    case HistoryColumn::Bsv: return row.pay_sats == 0 ? "-" : bsv_amount(row.pay_sats);
    case HistoryColumn::Who: return history_who_text(row, my_key);
    case HistoryColumn::Txid: return row.txid.hex();
    }
    return {};
}

} // namespace ui
