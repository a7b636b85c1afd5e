// The History window's rows as text: the action each row stands for, seen from the wallet
// ("Offer to you" for someone's offer on its listing, "(open)" for its own open offer), who
// took part with the wallet always "you", and every cell. Pure; safe from any thread.
#pragma once

#include <string>
#include <vector>

#include "book/history.h"
#include "book/listing.h"
#include "ui/time_text.h"

namespace ui {

// "ag_list" "Listed"; "ag_buy" "Offer" ("Offer (open)" while open) for the wallet's own offer,
// "Offer to you" for someone else's; "ag_fill" "Bought" (side "buy") or "Sold"; "ag_cancel"
// "Unlisted", "ag_offer_cancel" "Offer cancelled", "ag_force_cancel" "Force-cancelled"; any
// other type as it stands.
std::string history_action_label(const book::HistoryRow& row, const std::string& my_key);

// Who took part, the wallet as "you": "you", "you → zeno" (its own post towards zeno) or
// "zeno → you" (zeno's offer on its listing, or zeno's sale to it).
std::string history_who_text(const book::HistoryRow& row, const std::string& my_key);

enum class HistoryColumn { When, Side, Action, Name, Qty, Bsv, Who, Txid };
inline constexpr int HISTORY_COLUMN_COUNT = 8;
const char* history_column_title(HistoryColumn column);

// When: "%Y-%m-%d %H:%M" ("-" before 1970-01-01 00:00:01); Side: "Buy", "Sell" or "Book";
// Name: the name, else the origin; Qty: in the units of the row's listing when it is known
// (null when not); BSV: the amount, "-" when zero; Txid unchanged.
std::string history_cell_text(const book::HistoryRow& row, HistoryColumn column, const std::string& my_key,
                              const book::Listing* listing, const TimeFormatter& format = local_time_text);

} // namespace ui
