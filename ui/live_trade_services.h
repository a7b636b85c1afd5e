// The trade services over trade/, as the program runs them.
#pragma once

#include <memory>

#include "ui/trade_services.h"

namespace ui {

std::shared_ptr<TradeServices> make_live_trade_services();

} // namespace ui
