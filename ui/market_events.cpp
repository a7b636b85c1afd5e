#include "ui/market_events.h"

#include <optional>
#include <set>

#include "ui/quantity_text.h"
#include "ui/trade_card.h"

namespace ui {

namespace {

const book::Listing* find_listing(const std::vector<book::Listing>& book, const std::optional<tx::Txid>& id)
{
    for (const auto& listing : book)
        if (listing.id == id) return &listing;
    return nullptr;
}

} // namespace

std::vector<MarketEvent> market_events(const std::vector<book::Listing>& before, const std::vector<book::Listing>& after,
                                       const std::vector<book::HistoryRow>& before_history,
                                       const std::vector<book::HistoryRow>& after_history,
                                       const std::string& identity_key)
{
    std::vector<MarketEvent> events;
    if (identity_key.empty()) return events;
    std::set<tx::Txid> known_offers;
    for (const auto& listing : before)
        for (const auto& offer : listing.offers) known_offers.insert(offer.id);
    for (const auto& listing : after) {
        if (listing.pubkey != identity_key || listing.status != book::ListingStatus::Live) continue;
        for (const auto& offer : listing.offers) {
            if (known_offers.count(offer.id) > 0) continue;
            events.push_back({MarketEvent::Kind::NewOffer, listing.id.hex(),
                              "New offer on your " + item_label(listing) + " listing: " +
                                  quantity_text(listing, offer.qty) + " for " + bsv_text(offer.pay_sats) +
                                  (offer.handle.empty() ? std::string(".") : " from " + offer.handle + ".")});
        }
    }
    std::set<std::string> known_rows;
    for (const auto& row : before_history) known_rows.insert(row.txid.hex());
    for (const auto& row : after_history) {
        if (row.type != "ag_fill" || row.role != "buy" || known_rows.count(row.txid.hex()) > 0) continue;
        const std::optional<tx::Txid> id = tx::Txid::parse(row.listing);
        const book::Listing* listing = find_listing(after, id);
        if (!listing) listing = find_listing(before, id);
        book::Listing unknown;
        unknown.name = row.name;
        const book::Listing& shown = listing ? *listing : unknown;
        const std::string item = listing ? item_label(*listing) : (row.name.empty() ? "a listing" : row.name);
        events.push_back({MarketEvent::Kind::OfferFilled, row.listing,
                          "Your offer on " + item + " was filled: " + quantity_text(shown, row.qty) + " for " +
                              bsv_text(row.pay_sats) +
                              (row.counterparty.empty() ? std::string(".") : " from " + row.counterparty + ".")});
    }
    return events;
}

} // namespace ui
