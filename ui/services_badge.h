// The badge that says where the program talks when services.json replaces the real services.
// Pure.
#pragma once

#include <string>

#include "net/service_config.h"

namespace ui {

// "" for the real services; "Simulator at 127.0.0.1:PORT" when every service the configuration
// replaces is at one loopback address and port; else "Custom services".
std::string services_badge_text(const net::ServiceConfig& config);

} // namespace ui
