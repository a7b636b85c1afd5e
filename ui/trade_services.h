// The door between the trade dialogs and the trade routines of the library layers. Every
// function may wait on the network or take the wallet lock: workers call them, the UI thread
// never does (registry_domain aside). The program uses the live services over trade/
// (ui/live_trade_services.h); pictures and widget tests use scripted ones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "book/listing.h"
#include "ui/offer_verdict.h"

namespace ui {

struct AssetDetails {
    std::string name;
    std::string sym;
    std::string icon;
};

// A sealed report ready to send, or the sentence that says why it could not be sealed.
struct SealedReport {
    std::string payload;  // compact JSON
    std::string error;
};

class TradeServices {
public:
    virtual ~TradeServices() = default;

    // --- Checks ---
    // Whether the registry marks the identity key frozen (a registry out of reach: false).
    virtual bool identity_frozen(const std::string& pubkey) = 0;
    // Whether the listing output is unspent; reason says why not.
    virtual bool listing_output_unspent(const std::string& outpoint, std::string& reason) = 0;
    // Name, symbol and icon of an asset, starting from what the caller knows.
    virtual AssetDetails asset_details(const std::string& origin, const std::string& kind, AssetDetails known) = 0;
    // Whether any coin the offer's buyer funded it with is spent.
    virtual bool buyer_coins_spent(const std::string& offer_hex) = 0;
    // What the seller's check finds in an offer on one of the wallet's listings.
    virtual OfferVerdict check_offer(const book::Listing& listing, const book::Offer& offer) = 0;

    // --- Reserves ---
    // Reserves the outpoint for a listing: "success" or "error: " and a sentence.
    virtual std::string reserve_add(const std::string& outpoint, const std::string& origin, int64_t expiry) = 0;
    virtual void reserve_remove(const std::string& key) = 0;

    // --- The trade routines; each returns a result text ---
    // Publishes an "ag_list" post with the house fee; binds the reserve of reserve_key to the
    // new listing, or releases it when publishing failed.
    virtual std::string post_listing(const nlohmann::json& post, const std::string& reserve_key) = 0;
    // Builds the half-signed offer on the listing for qty lots paying pay_sats, puts it in the
    // "ag_buy" post and publishes it.
    virtual std::string post_offer(const nlohmann::json& post, const book::Listing& listing, const std::string& qty,
                                   uint64_t pay_sats) = 0;
    // Signs the listing input of the offer, broadcasts it and posts the "ag_fill".
    virtual std::string complete_sale(const book::Listing& listing, const book::Offer& offer) = 0;
    // Publishes an "ag_cancel" post; on success releases the listing's reserve.
    virtual std::string cancel_listing(const nlohmann::json& post, const std::string& listing_id,
                                       const std::string& utxo) = 0;
    // Publishes an "ag_offer_cancel" post; on success frees the coins the offer locked.
    virtual std::string cancel_offer(const nlohmann::json& post, const std::string& offer_hex) = 0;
    // Seals a report's text for the architect; then sends the sealed report.
    virtual SealedReport seal_report(const std::string& text) = 0;
    virtual std::string send_report(const std::string& payload) = 0;

    // --- Configuration; any thread ---
    // The family registry's paymail domain (the part after "@").
    virtual std::string registry_domain() = 0;
};

} // namespace ui
