#include "ui/live_services.h"

namespace ui {

namespace {

class LiveServices final : public MarketServices {
public:
    std::string connect() override { return "error: Pursa is not reachable from this build."; }
    void disconnect() override {}
    WalletSnapshot wallet_snapshot() override { return {}; }
    bool refresh_balance() override { return false; }
    BookLoad load_book() override
    {
        BookLoad load;
        load.error = "error: the book cannot be loaded by this build.";
        return load;
    }
    std::vector<std::string> reserve_listing_ids() override { return {}; }
    void remove_reserve(const std::string&) override {}
    std::optional<InscriptionContent> inscription_content(const std::string&) override { return std::nullopt; }
    PageFetch fetch_page(const std::string&) override { return {}; }
    bool offer_spends_listing(const std::string&, const std::string&) override { return true; }
    std::string product_page() override { return "https://tavrinnode.example/agoran"; }
    std::string tx_page_url(const std::string& txid) override { return "https://whatsonchain.com/tx/" + txid; }
};

} // namespace

std::shared_ptr<MarketServices> make_live_services() { return std::make_shared<LiveServices>(); }

void start_library_services(const std::string&) {}
void stop_library_services() {}

} // namespace ui
