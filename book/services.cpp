#include "book/services.h"

#include "net/http_client.h"
#include "net/market_addresses.h"

namespace book {

BookServices default_services()
{
    BookServices services;
    services.config = net::current_services();
    services.http = &net::default_http();
    services.oracle_address = std::string(net::BOOK_ORACLE_ADDRESS);
    services.house_fee_address = std::string(net::HOUSE_FEE_ADDRESS);
    return services;
}

} // namespace book
