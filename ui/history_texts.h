// The History window's rows as text: the action a post type stands for and every cell of the
// list. Pure; safe from any thread.
#pragma once

#include <string>

#include "book/history.h"
#include "ui/time_text.h"

namespace ui {

// "ag_list" "Listed", "ag_buy" "Offer", "ag_fill" "Bought" (side "buy") or "Sold",
// "ag_cancel" "Unlisted", "ag_offer_cancel" "Offer cancelled", "ag_force_cancel"
// "Force-cancelled"; any other type as it stands.
std::string history_action_label(const book::HistoryRow& row);

enum class HistoryColumn { When, Side, Action, Name, Qty, Bsv, Who, Txid };
inline constexpr int HISTORY_COLUMN_COUNT = 8;
const char* history_column_title(HistoryColumn column);
int history_column_width(HistoryColumn column);

// When: "%Y-%m-%d %H:%M" ("-" before 1970-01-01 00:00:01); Side: "Buy", "Sell" or "Book";
// Name: the name, else the origin; BSV: the amount, "-" when zero; Who: the poster, then
// " / " and the counterparty when there is one; Qty and Txid unchanged.
std::string history_cell_text(const book::HistoryRow& row, HistoryColumn column,
                              const TimeFormatter& format = local_time_text);

} // namespace ui
