// The one door between the desktop program and the library layers. Workers call it; the UI
// thread calls only the functions marked as safe there. The program uses the live services
// (ui/live_services.h); tests hand the window a simulator-backed or a scripted one.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "book/history.h"
#include "book/listing.h"
#include "trade/error.h"
#include "ui/reserve_reconcile.h"
#include "ui/wallet_snapshot.h"
#include "wallet/lots.h"

namespace ui {

// A book load: the view the table shows, the state of every listing of the reduced book, and
// the history of the wallet the load was asked for.
struct BookLoad {
    bool ok = false;
    // The load read every transaction the book lists. An incomplete load is never shown as
    // the market: the window keeps its last complete book and says what is missing.
    bool complete = true;
    size_t unread = 0;  // posts the load could not read
    std::vector<book::Listing> view;
    std::map<tx::Txid, ListingState> states;  // by listing id; sold listings included
    std::vector<book::HistoryRow> history;       // the wallet's rows, newest first
    bool history_ok = false;                     // history holds the rows of this load
    std::string error;                           // the loader's sentence when !ok (may be empty)
};

struct InscriptionContent {
    std::string bytes;
    std::string content_type;
};

struct PageFetch {
    bool ok = false;   // the transfer completed
    long status = 0;   // HTTP status
    std::string body;
};

class MarketServices {
public:
    virtual ~MarketServices() = default;

    // Worker threads only: these may wait on the network or take the wallet lock.
    virtual trade::TradeResult<void> connect() = 0;
    virtual void disconnect() = 0;
    virtual WalletSnapshot wallet_snapshot() = 0;
    // Refreshes the cached balance; true when the query succeeded.
    virtual bool refresh_balance() = 0;
    // The book, and the history of the wallet whose identity key is given ("" for none).
    virtual BookLoad load_book(const std::string& identity_key) = 0;
    // Listing ids of the bound wallet's reserves that are bound to a listing.
    virtual std::vector<tx::Txid> reserve_listing_ids() = 0;
    virtual void remove_reserve(const tx::Txid& listing_id) = 0;
    // The content of an inscription (origin or txid), from the "/ord_cache" files when they
    // hold it, else from the network (and then cached there). nullopt when unavailable.
    virtual std::optional<InscriptionContent> inscription_content(const std::string& key) = 0;
    // The bound wallet's lots; "" on success, else the error sentence.
    virtual std::string list_lots(std::vector<wallet::TvPursaOrdRow>& lots) = 0;
    // The trade history of the wallet whose identity key is given; false with the error.
    virtual bool load_history(const std::string& identity_key, std::vector<book::HistoryRow>& rows,
                              std::string& error) = 0;
    // GET of a web page for the update check (redirects followed, capped at 400000 bytes).
    virtual PageFetch fetch_page(const std::string& url) = 0;

    // Any thread: pure functions and configuration.
    virtual bool offer_spends_listing(const std::string& offer_hex, const tx::Outpoint& utxo) = 0;
    virtual std::string product_page() = 0;
    virtual std::string tx_page_url(const std::string& txid) = 0;
    // Where the program talks, when not to the real services: "Simulator at 127.0.0.1:PORT",
    // "Custom services", or "" for the real ones.
    virtual std::string services_badge() = 0;
};

} // namespace ui
