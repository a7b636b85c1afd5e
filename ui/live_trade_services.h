// The trade services over trade/, as the program runs them.
#pragma once

#include <memory>

#include "ui/trade_services.h"

namespace trade {
class MarketSession;
}

namespace ui {

// The routines run over session, which must outlive every job that uses them.
std::shared_ptr<TradeServices> make_live_trade_services(trade::MarketSession& session);

} // namespace ui
