// The services over the library layers, as the program uses them.
#pragma once

#include <memory>

#include "ui/market_services.h"

namespace trade {
class MarketSession;
}

namespace ui {

// The services over session, which must outlive every job that uses them.
std::shared_ptr<MarketServices> make_live_services(trade::MarketSession& session);

// Process start-up of the library layers (the session's wallet registration as the app "Agoran",
// libcurl) and their shut-down. The progress sentences of the layers go to the main window's
// status line.
void start_library_services(trade::MarketSession& session, const std::string& program_folder);
void stop_library_services();

} // namespace ui
