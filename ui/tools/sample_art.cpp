#include "ui/tools/sample_art.h"

#include <QBuffer>
#include <QPainter>
#include <QPainterPath>

namespace ui {

std::string png_bytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

QImage sample_picture(int index, bool token)
{
    QImage image(96, 96, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QColor hues[] = {QColor(0xD4, 0xAF, 0x37), QColor(0x8C, 0xC4, 0xEC), QColor(0xBA, 0xE6, 0xC4),
                           QColor(0xE8, 0x56, 0x60), QColor(0xC4, 0x48, 0x76), QColor(0xE8, 0xC4, 0x60),
                           QColor(0xB0, 0xC4, 0xD8), QColor(0x2E, 0x8C, 0x3E)};
    const QColor hue = hues[index % 8];
    if (token) {
        QRadialGradient g(QPointF(40, 36), 52);
        g.setColorAt(0, hue.lighter(150));
        g.setColorAt(1, hue.darker(170));
        p.setBrush(g);
        p.setPen(QPen(hue.lighter(120), 3));
        p.drawEllipse(QRectF(6, 6, 84, 84));
        p.setPen(QPen(QColor(0x10, 0x10, 0x18), 4));
        p.drawEllipse(QRectF(24, 24, 48, 48));
    } else {
        QLinearGradient sky(QPointF(0, 0), QPointF(0, 96));
        sky.setColorAt(0, hue.darker(250));
        sky.setColorAt(1, hue);
        p.setBrush(sky);
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(QRectF(0, 0, 96, 96), 12, 12);
        p.setBrush(QColor(0xF8, 0xEC, 0xC8));
        p.drawEllipse(QPointF(28 + index * 6, 30), 10, 10);
        QPainterPath hills;
        hills.moveTo(0, 96);
        hills.lineTo(0, 70);
        hills.cubicTo(30, 50, 50, 80, 96, 58);
        hills.lineTo(96, 96);
        p.setBrush(QColor(0x06, 0x08, 0x0E, 200));
        p.drawPath(hills);
    }
    return image;
}

std::string solid_png(const QColor& colour)
{
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(colour);
    return png_bytes(image);
}

} // namespace ui
