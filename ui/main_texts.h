// Texts of the main window that depend on what it shows: labels of idle and busy buttons, the
// book's status sentence, the row count, the empty-table texts and the table cells. Pure.
#pragma once

#include <cstdint>
#include <string>

#include "book/listing.h"

namespace ui {

// The label a button shows when not busy (Connect by binding). Empty for a control whose label
// does not change.
std::string idle_label(int control_id, bool bound);
// "Wait", "Wait.", "Wait..", "Wait..." by counter modulo 4.
std::string wait_label(unsigned counter);

// After a book load: "Book: N listing. " (N = 1) or "Book: N listings. ", then
// "Double-click a row for the list tx.".
std::string book_loaded_status(size_t live_count);
// "%d listing%s" with the number of rows shown.
std::string row_count_text(size_t rows);

struct EmptyTableTexts {
    std::string title;
    std::string detail;
};
// The empty-table drawing for an empty book, or for a book whose rows are all filtered out.
EmptyTableTexts empty_table_texts(bool book_empty, size_t live_count);

// Number of listings of the book whose status is "live".
size_t live_count(const std::vector<book::Listing>& book);

// A Unix time as a local date "%Y-%m-%d"; "-" when 0 or less.
std::string local_date(int64_t unix_seconds);

// Cells of the book table, by column (the thumbnail column has no text).
enum class BookColumn { Thumb, Name, Ticker, Note, Seller, Qty, Price, Expires, Status };
inline constexpr int BOOK_COLUMN_COUNT = 9;
const char* book_column_title(BookColumn column);
int book_column_width(BookColumn column);
std::string book_cell_text(const book::Listing& listing, BookColumn column);

// Messages the main window shows.
inline constexpr const char* STATUS_WELCOME = "Connect Pursa, Refresh the book, then List or Buy.";
inline constexpr const char* STATUS_ALREADY_WORKING = "Already working...";
inline constexpr const char* STATUS_LOADING_BOOK = "Loading the book (OI, then WhatsOnChain if needed)...";
inline constexpr const char* STATUS_OFFER_WAITING = "Someone offered on your listing.";
inline constexpr const char* BOOK_LOAD_FAILED = "error: book load failed";

} // namespace ui
