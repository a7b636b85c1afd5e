// The cards the trade windows paint (Complete, Listings & Offers, Cancel offer): a title and
// labelled lines, and the texts those lines are made of. Pure; safe from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "book/listing.h"
#include "ui/seller_choices.h"

namespace ui {

struct CardField {
    enum class Tone { Normal, Good, Bad };  // the value drawn in the text colour, green or red
    std::string label;
    std::string value;
    Tone tone = Tone::Normal;
};

struct Card {
    std::string title;
    std::vector<CardField> fields;
};

// The card an empty section shows: "None yet" and one line of text.
Card none_yet_card(const std::string& text);

// The listing's name and its ticker in brackets, each when present, the name alone when the two
// are the same word ("" when neither).
std::string name_and_symbol(const book::Listing& listing);
// "" unless the book flagged the listing's post as naming another asset, name, ticker or picture
// than the chain holds (Listing::claims_differ); else a sentence saying what differs.
std::string seller_name_warning(const book::Listing& listing);
// name_and_symbol, else the asset it holds, shortened ("Picture 1a2b3c4d…_0" for a picture).
std::string item_label(const book::Listing& listing);
// What the seller wrote: the note, after the title the post gives a picture ("“Dawn” — note").
std::string seller_note_text(const book::Listing& listing);
// An amount in the BSV amount form; amounts past the signed 64-bit range read as "-".
std::string bsv_amount(uint64_t sats);
// bsv_amount and " BSV" ("-" alone for an amount past the range).
std::string bsv_text(uint64_t sats);

} // namespace ui
