#include "ui/history_texts.h"

#include "ui/trade_card.h"

namespace ui {

std::string history_action_label(const book::HistoryRow& row)
{
    if (row.type == "ag_list") return "Listed";
    if (row.type == "ag_buy") return "Offer";
    if (row.type == "ag_fill") return row.role == "buy" ? "Bought" : "Sold";
    if (row.type == "ag_cancel") return "Unlisted";
    if (row.type == "ag_offer_cancel") return "Offer cancelled";
    if (row.type == "ag_force_cancel") return "Force-cancelled";
    return row.type;
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

int history_column_width(HistoryColumn column)
{
    switch (column) {
    case HistoryColumn::When: return 130;
    case HistoryColumn::Side: return 60;
    case HistoryColumn::Action: return 120;
    case HistoryColumn::Name: return 120;
    case HistoryColumn::Qty: return 60;
    case HistoryColumn::Bsv: return 90;
    case HistoryColumn::Who: return 160;
    case HistoryColumn::Txid: return 160;
    }
    return 0;
}

std::string history_cell_text(const book::HistoryRow& row, HistoryColumn column, const TimeFormatter& format)
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
    case HistoryColumn::Action: return history_action_label(row);
    case HistoryColumn::Name: return row.name.empty() ? row.origin : row.name;
    case HistoryColumn::Qty: return row.qty;
    case HistoryColumn::Bsv:
        return row.pay_sats == 0 ? "-" : bsv_amount(row.pay_sats);
    case HistoryColumn::Who: return row.counterparty.empty() ? row.handle : row.handle + " / " + row.counterparty;
    case HistoryColumn::Txid: return row.txid;
    }
    return {};
}

} // namespace ui
