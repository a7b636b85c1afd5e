#include "ui/main_texts.h"

#include <array>

#include "core/text.h"
#include "trade/result_text.h"
#include "ui/quantity_text.h"
#include "ui/seller_choices.h"
#include "ui/trade_card.h"

namespace ui {

std::string wait_label(unsigned counter) { return "Wait" + std::string(counter % 4, '.'); }

std::string book_loaded_status(size_t live)
{
    return "Book: " + std::to_string(live) + (live == 1 ? " listing. " : " listings. ") +
           "Double-click a row for the list tx.";
}

std::string incomplete_load_status(size_t unread)
{
    return "The market's services are busy; " + std::to_string(unread) + (unread == 1 ? " post" : " posts") +
           " not read yet. The last complete book stays on screen.";
}

std::string row_count_text(size_t rows) { return std::to_string(rows) + (rows == 1 ? " listing" : " listings"); }

std::string book_marker_text(const BookFreshness& freshness, const TimeFormatter& format)
{
    if (freshness.complete) return {};
    const std::string when = freshness.as_of > 0 ? format(freshness.as_of, "%H:%M") : std::string();
    const std::string head = when.empty() ? std::string("No book yet") : "Book as of " + when;
    if (freshness.offline) return head + " \u2014 offline";
    return head + " \u2014 the market's services are busy; " + std::to_string(freshness.unread) +
           (freshness.unread == 1 ? " post" : " posts") + " not read yet";
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
        if (listing.status == book::ListingStatus::Live) ++n;
    return n;
}

std::string local_date(int64_t unix_seconds)
{
    if (unix_seconds <= 0) return "-";
    const std::string text = local_time_text(unix_seconds, "%Y-%m-%d");
    return text.empty() ? "-" : text;
}

const char* book_column_title(BookColumn column)
{
    switch (column) {
    case BookColumn::Thumb: return "";
    case BookColumn::Item: return "Item";
    case BookColumn::Note: return "Seller's note";
    case BookColumn::Seller: return "Seller";
    case BookColumn::Qty: return "Qty";
    case BookColumn::Price: return "Price (BSV)";
    case BookColumn::UnitPrice: return "Per unit (BSV)";
    case BookColumn::Expires: return "Expires";
    case BookColumn::Status: return "Status";
    }
    return "";
}

std::string book_cell_text(const book::Listing& listing, BookColumn column)
{
    switch (column) {
    case BookColumn::Thumb: return {};
    case BookColumn::Item:
        // A name the seller gave that is not the chain's is flagged in the row.
        return (seller_name_warning(listing).empty() ? std::string() : std::string("\u26A0 ")) + item_label(listing);
    case BookColumn::Note: return seller_note_text(listing);
    case BookColumn::Seller: return seller_label(listing);
    case BookColumn::Qty: return quantity_number(listing, listing.qty);
    case BookColumn::Price: return bsv_amount(listing.price_sats);
    case BookColumn::UnitPrice: return unit_price_text(listing);
    case BookColumn::Expires: return local_date(listing.exp);
    case BookColumn::Status: return std::string(book::listing_status_text(listing.status));
    }
    return {};
}

std::string short_txid(const std::string& txid)
{
    if (txid.size() <= 14) return txid;
    return txid.substr(0, 6) + "\u2026" + txid.substr(txid.size() - 6);
}

ActionOutcome action_outcome(const std::string& done_text, const trade::TradeResult<trade::Sent>& result)
{
    ActionOutcome out;
    out.success = result.ok();
    if (!out.success) {
        out.text = trade::failure_text(result.error());
        out.status = out.text.substr(0, out.text.find('\n'));
        return out;
    }
    out.txid = result->txid.hex();
    const std::string rest = trade::follow_up_text(*result);
    const std::string done = done_text.empty() ? std::string("Done.") : done_text;
    out.status = out.txid.empty() ? done : done + " (" + short_txid(out.txid) + ")";
    out.text = rest.empty() ? done : done + "\n" + rest;
    return out;
}

} // namespace ui
