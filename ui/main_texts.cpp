#include "ui/main_texts.h"

#include <array>

#include "core/amount.h"
#include "ui/control_ids.h"
#include "ui/seller_choices.h"
#include "ui/time_text.h"

namespace ui {

std::string idle_label(int control_id, bool bound)
{
    switch (control_id) {
    case ID_CONNECT: return bound ? "Connected" : "Connect";
    case ID_REFRESH: return "Refresh";
    case ID_LIST: return "List";
    case ID_CANCEL: return "Cancel";
    case ID_BUY: return "Buy";
    case ID_REPORT: return "Report";
    case ID_COMPLETE: return "Complete";
    case ID_HISTORY: return "History";
    default: return {};
    }
}

std::string wait_label(unsigned counter) { return "Wait" + std::string(counter % 4, '.'); }

std::string book_loaded_status(size_t live)
{
    return "Book: " + std::to_string(live) + (live == 1 ? " listing. " : " listings. ") +
           "Double-click a row for the list tx.";
}

std::string row_count_text(size_t rows)
{
    return std::to_string(rows) + (rows == 1 ? " listing" : " listings");
}

EmptyTableTexts empty_table_texts(bool book_empty, size_t live)
{
    if (book_empty) return {"No listings found", "Try adjusting your search or filters, or create a listing."};
    return {"No listings match these filters",
            std::to_string(live) + (live == 1 ? " live listing" : " live listings") +
                ". Set Status to All if a row is cancelled or expired."};
}

size_t live_count(const std::vector<book::Listing>& book)
{
    size_t n = 0;
    for (const auto& listing : book)
        if (listing.status == "live") ++n;
    return n;
}

std::string local_date(int64_t unix_seconds)
{
    if (unix_seconds <= 0) return "-";
    const std::string text = local_time_text(unix_seconds, "%Y-%m-%d");
    return text.empty() ? "-" : text;
}

namespace {

struct ColumnInfo {
    const char* title;
    int width;
};

constexpr std::array<ColumnInfo, BOOK_COLUMN_COUNT> COLUMNS = {{
    {"", 64}, {"Name", 200}, {"Ticker", 90}, {"Note", 240}, {"Seller", 140},
    {"Qty", 70}, {"Price (BSV)", 130}, {"Expires", 120}, {"Status", 100},
}};

} // namespace

const char* book_column_title(BookColumn column) { return COLUMNS[static_cast<size_t>(column)].title; }
int book_column_width(BookColumn column) { return COLUMNS[static_cast<size_t>(column)].width; }

std::string book_cell_text(const book::Listing& listing, BookColumn column)
{
    switch (column) {
    case BookColumn::Thumb: return {};
    case BookColumn::Name: return listing.name;
    case BookColumn::Ticker: return listing.sym;
    case BookColumn::Note: return listing.note;
    case BookColumn::Seller: return seller_label(listing);
    case BookColumn::Qty: return listing.qty;
    case BookColumn::Price:
        return core::format_bsv(listing.price_sats > static_cast<uint64_t>(INT64_MAX)
                                    ? INT64_MAX
                                    : static_cast<core::Amount>(listing.price_sats));
    case BookColumn::Expires: return local_date(listing.exp);
    case BookColumn::Status: return listing.status;
    }
    return {};
}

} // namespace ui
