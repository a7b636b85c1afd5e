#include "ui/live_trade_services.h"

#include "funding/reserves.h"
#include "trade/cancel_routine.h"
#include "trade/market_session.h"
#include "trade/offer_complete.h"
#include "trade/report.h"
#include "trade/result_text.h"

namespace ui {

namespace {

class LiveTradeServices final : public TradeServices {
public:
    explicit LiveTradeServices(trade::MarketSession& session) : m_session(session) {}

    trade::ListingPlan plan_listing(const trade::ListRequest& request) override
    {
        return trade::plan_listing(m_session, request, m_session.clock().now());
    }
    std::optional<trade::TradeError> reserve_add(const tx::Outpoint& outpoint, const std::string& origin, int64_t exp) override
    {
        auto reserved = funding::reserve_add(m_session.wallet(), outpoint, origin, exp);
        if (reserved) return std::nullopt;
        return trade::TradeError(reserved.error());
    }
    void reserve_remove(const tx::Outpoint& outpoint) override { (void)funding::reserve_remove(m_session.wallet(), outpoint); }
    trade::TradeResult<trade::Sent> publish_listing(const core::Json& post, const tx::Outpoint& outpoint) override
    {
        return trade::publish_listing(m_session, post, outpoint);
    }
    trade::BuyPlan plan_buy(const book::Listing& listing, const std::string& qty_box) override
    {
        return trade::plan_buy(m_session, listing, qty_box);
    }
    trade::TradeResult<trade::Sent> run_buy(const trade::BuyPlan& plan) override { return trade::run_buy(m_session, plan); }
    trade::TradeResult<trade::Sent> run_cancel_listing(const book::Listing& listing) override
    {
        return trade::run_cancel_listing(m_session, listing);
    }
    trade::TradeResult<trade::Sent> run_offer_cancel(const tx::Txid& listing_id, const book::Offer& offer) override
    {
        return trade::run_offer_cancel(m_session, listing_id, offer);
    }
    std::vector<trade::OfferRow> offers_on_my_listings(const std::vector<book::Listing>& listings,
                                                       const std::string& my_key) override
    {
        return trade::offers_on_my_listings(m_session, listings, my_key);
    }
    trade::OfferCheck evaluate_offer(const std::string& offer_text, const book::Listing& listing) override
    {
        return trade::evaluate_offer(m_session, offer_text, listing);
    }
    std::optional<trade::TradeError> check_completion(const trade::OfferRow& row) override { return trade::check_completion(m_session, row); }
    trade::TradeResult<trade::Sent> run_completion(const trade::OfferRow& row) override { return trade::run_completion(m_session, row); }
    trade::TradeResult<trade::Sent> send_report(const std::string& text) override { return trade::send_report(m_session, text); }
    std::string registry_domain() override { return m_session.funding().services().registry_domain; }

private:
    trade::MarketSession& m_session;
};

} // namespace

std::shared_ptr<TradeServices> make_live_trade_services(trade::MarketSession& session)
{
    return std::make_shared<LiveTradeServices>(session);
}

} // namespace ui
