// Texts of the main window that depend on what it shows: the busy label, the book's status
// sentences and its freshness marker, the row count, the empty-table texts, the table cells and
// the short line an action's result is shown as. Pure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "book/listing.h"
#include "trade/error.h"
#include "ui/time_text.h"

namespace ui {

// "Wait", "Wait.", "Wait..", "Wait..." by counter modulo 4.
std::string wait_label(unsigned counter);

// After a book load: "Book: N listing. " (N = 1) or "Book: N listings. ", then
// "Double-click a row for the list tx.".
std::string book_loaded_status(size_t live_count);
// After a load that could not read every post.
std::string incomplete_load_status(size_t unread);
// "%d listing%s" with the number of rows shown.
std::string row_count_text(size_t rows);

// How current the book on screen is.
struct BookFreshness {
    bool complete = true;    // the book shown is what the last load read
    bool offline = false;    // the last load got no answer at all
    size_t unread = 0;       // posts the last, incomplete load could not read
    int64_t as_of = 0;       // when the book shown was read (Unix seconds), 0 before any
};
// "" for a complete book; else "Book as of 14:02 — the market's services are busy; 37 posts not
// read yet", "Book as of 14:02 — offline", or "No book yet — ..." before any complete book.
std::string book_marker_text(const BookFreshness& freshness, const TimeFormatter& format = local_time_text);

struct EmptyTableTexts {
    std::string title;
    std::string detail;
};
// The empty-table texts for an empty book, or for a book whose rows are all filtered out.
EmptyTableTexts empty_table_texts(bool book_empty, size_t live_count);

// Number of listings of the book whose status is "live".
size_t live_count(const std::vector<book::Listing>& book);

// A Unix time as a local date "%Y-%m-%d"; "-" when 0 or less.
std::string local_date(int64_t unix_seconds);

// Columns of the book table (the thumbnail column has no text).
enum class BookColumn { Thumb, Item, Note, Seller, Qty, Price, UnitPrice, Expires, Status };
inline constexpr int BOOK_COLUMN_COUNT = 9;
const char* book_column_title(BookColumn column);
std::string book_cell_text(const book::Listing& listing, BookColumn column);

// "3f6c1d…4e3f2a": the first and last six characters of a txid.
std::string short_txid(const std::string& txid);

// How an action's result is shown.
struct ActionOutcome {
    bool success = false;
    std::string status;  // the status line: the done text and the short txid, or the error
    std::string text;    // the message window's line: the done text (and any follow-up line of the
                         // result), or the result text as it stands
    std::string txid;    // the transaction sent, or ""
};
ActionOutcome action_outcome(const std::string& done_text, const trade::TradeResult<trade::Sent>& result);

// Messages the main window shows.
inline constexpr const char* STATUS_WELCOME = "Connect Pursa, Refresh the book, then List or Buy.";
inline constexpr const char* STATUS_ALREADY_WORKING = "Already working...";
inline constexpr const char* STATUS_LOADING_BOOK = "Loading the book (OI, then WhatsOnChain if needed)...";
inline constexpr const char* STATUS_OFFER_WAITING = "Someone offered on your listing.";

} // namespace ui
