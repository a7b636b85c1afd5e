#include "book/services.h"

#include "net/http_client.h"
#include "net/market_addresses.h"

namespace book {

BookServices default_services(Caches& caches)
{
    BookServices services;
    services.caches = &caches;
    services.config = net::current_services();
    services.http = &net::default_http();
    services.oracle_address = std::string(net::BOOK_ORACLE_ADDRESS);
    services.house_fee_address = std::string(net::HOUSE_FEE_ADDRESS);
    return services;
}

BookServices default_services()
{
    static Caches program_caches;
    return default_services(program_caches);
}

} // namespace book
