// The program's art, decoded from the PNGs built into the program: the 88-pixel logo, the
// window icon made from it, and the banner of the main window. Missing or undecodable art
// falls back (the icon to the icon PNG, then the platform's default) or is simply not drawn.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace ui {

struct AppArt {
    QPixmap logo;    // 88 x 88, null when it could not be decoded
    QPixmap banner;  // null when it could not be decoded
    QIcon icon;
};

// Decodes PNG bytes to a square bitmap of size pixels; null for data shorter than 8 bytes or
// anything that does not decode.
QPixmap decode_art(const QByteArray& png, int size);

// Registers the program's resources (art, glyphs, the style sheet) once.
void ensure_resources();

// The art from the program's resources (":/agoran/logo.png", "banner.png", "icon.png").
const AppArt& app_art();

} // namespace ui
