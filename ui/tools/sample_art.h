// Pictures for the made-up and the seeded markets: coins for tokens, small scenes for pictures.
#pragma once

#include <QImage>

#include <string>

namespace ui {

// A 96-pixel picture: a coin (token) or a framed scene, in one of eight hues by index.
QImage sample_picture(int index, bool token);
// The image as PNG bytes.
std::string png_bytes(const QImage& image);
// A 32-pixel picture of one colour, as PNG bytes.
std::string solid_png(const QColor& colour);

} // namespace ui
