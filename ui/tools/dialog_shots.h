// Pictures of the trade dialogs for the screenshot program: List, Buy, Cancel offer, Complete,
// Listings & Offers, History, the chart (lines and bars) and Report, over a made-up market.
#pragma once

#include <QString>

namespace ui {

// Renders every trade dialog in the active theme to out_dir/<dialog>-<theme_name>.png.
// Needs a QApplication. False when a picture could not be made or written.
bool shoot_trade_dialogs(const QString& out_dir, const QString& theme_name);

} // namespace ui
