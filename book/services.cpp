#include "book/services.h"

#include "net/market_addresses.h"

namespace book {

BookServices market_services(std::shared_ptr<const net::ServiceConfig> config, net::Http& http, Caches& caches,
                             const core::MarketClock& clock)
{
    BookServices services;
    services.config = std::move(config);
    services.http = &http;
    services.caches = &caches;
    services.clock = &clock;
    services.oracle_address = std::string(net::BOOK_ORACLE_ADDRESS);
    services.house_fee_address = std::string(net::HOUSE_FEE_ADDRESS);
    return services;
}

} // namespace book
