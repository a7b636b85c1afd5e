// Draws the program's art into a folder: logo.png (512 px), icon.png (256 px), banner.png
// (2400 x 336) and the glyphs of the tiles and buttons (glyphs/<name>.png, 64 px, white on
// transparent; the program tints them). Runs without a display (QGuiApplication on the
// offscreen platform).
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>

#include <cmath>
#include <cstdio>
#include <utility>

namespace {

const QColor GOLD(0xD4, 0xAF, 0x37);
const QColor GOLD_LIGHT(0xF8, 0xEC, 0xC8);
const QColor NAVY(0x04, 0x08, 0x12);
const QColor NAVY_MID(0x0E, 0x16, 0x2A);

// A gold coin with a stylised agora portico: three columns under a pediment.
QImage draw_logo(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    const double s = size;
    const QPointF c(s / 2, s / 2);

    QRadialGradient rim(c, s * 0.5, QPointF(s * 0.35, s * 0.3));
    rim.setColorAt(0, GOLD_LIGHT);
    rim.setColorAt(0.55, GOLD);
    rim.setColorAt(1, QColor(0x7A, 0x5C, 0x12));
    p.setPen(Qt::NoPen);
    p.setBrush(rim);
    p.drawEllipse(c, s * 0.48, s * 0.48);

    QRadialGradient face(c, s * 0.42, QPointF(s * 0.4, s * 0.35));
    face.setColorAt(0, NAVY_MID);
    face.setColorAt(1, NAVY);
    p.setBrush(face);
    p.drawEllipse(c, s * 0.40, s * 0.40);

    // Dotted inner ring.
    p.setBrush(GOLD);
    for (int i = 0; i < 48; ++i) {
        const double a = i * 2 * M_PI / 48;
        p.drawEllipse(QPointF(c.x() + std::cos(a) * s * 0.36, c.y() + std::sin(a) * s * 0.36), s * 0.006, s * 0.006);
    }

    // Portico.
    QLinearGradient gold(QPointF(0, s * 0.25), QPointF(0, s * 0.75));
    gold.setColorAt(0, GOLD_LIGHT);
    gold.setColorAt(1, GOLD);
    p.setBrush(gold);
    QPainterPath roof;
    roof.moveTo(s * 0.26, s * 0.40);
    roof.lineTo(s * 0.50, s * 0.25);
    roof.lineTo(s * 0.74, s * 0.40);
    roof.closeSubpath();
    p.drawPath(roof);
    p.drawRect(QRectF(s * 0.27, s * 0.415, s * 0.46, s * 0.035));
    for (int i = 0; i < 4; ++i) {
        const double x = s * (0.305 + i * 0.12);
        p.drawRect(QRectF(x, s * 0.47, s * 0.05, s * 0.19));
    }
    p.drawRect(QRectF(s * 0.25, s * 0.675, s * 0.50, s * 0.035));
    p.drawRect(QRectF(s * 0.22, s * 0.72, s * 0.56, s * 0.03));
    return image;
}

// A night market skyline under a gold horizon, fading into the window's dark blue.
QImage draw_banner(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);

    QLinearGradient sky(QPointF(0, 0), QPointF(0, h));
    sky.setColorAt(0, QColor(0x03, 0x06, 0x10));
    sky.setColorAt(0.7, QColor(0x0B, 0x14, 0x28));
    sky.setColorAt(1, QColor(0x16, 0x1C, 0x28));
    p.fillRect(image.rect(), sky);

    // A warm glow to the right of centre.
    QRadialGradient glow(QPointF(w * 0.68, h * 1.05), w * 0.45);
    glow.setColorAt(0, QColor(0xD4, 0xAF, 0x37, 120));
    glow.setColorAt(0.4, QColor(0xD4, 0xAF, 0x37, 40));
    glow.setColorAt(1, QColor(0xD4, 0xAF, 0x37, 0));
    p.fillRect(image.rect(), glow);

    // Stars.
    QRandomGenerator rng(20260101);
    for (int i = 0; i < 260; ++i) {
        const double x = rng.bounded(w);
        const double y = rng.bounded(h * 0.7);
        const int alpha = 40 + rng.bounded(140);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xF8, 0xEC, 0xC8, alpha));
        const double r = 0.6 + rng.bounded(10) / 10.0;
        p.drawEllipse(QPointF(x, y), r, r);
    }

    // A thin ledger grid, like a price chart, over the right half.
    p.setPen(QPen(QColor(0xD4, 0xAF, 0x37, 26), 1));
    for (int x = w / 2; x < w; x += 48) p.drawLine(x, 0, x, h);
    for (int y = 0; y < h; y += 48) p.drawLine(w / 2, y, w, y);
    QPainterPath line;
    line.moveTo(w * 0.5, h * 0.72);
    double y = h * 0.72;
    for (double x = w * 0.5; x <= w; x += 36) {
        y += (rng.bounded(100) - 56) * h / 900.0;
        y = std::clamp(y, h * 0.25, h * 0.8);
        line.lineTo(x, y);
    }
    p.setPen(QPen(QColor(0xD4, 0xAF, 0x37, 150), 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(line);

    // Skyline of market stalls and porticos.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x02, 0x04, 0x0A));
    QPainterPath city;
    city.moveTo(0, h);
    double x = 0;
    while (x < w) {
        const double bw = 40 + rng.bounded(90);
        const double bh = h * (0.12 + rng.bounded(22) / 100.0);
        city.lineTo(x, h - bh);
        if (rng.bounded(4) == 0) {
            city.lineTo(x + bw / 2, h - bh - 18);
        }
        city.lineTo(x + bw, h - bh);
        city.lineTo(x + bw, h);
        x += bw;
    }
    city.lineTo(w, h);
    city.closeSubpath();
    p.drawPath(city);

    // Lit windows.
    for (int i = 0; i < 200; ++i) {
        const double wx = rng.bounded(w);
        const double wy = h - rng.bounded(int(h * 0.12)) - 6;
        p.setBrush(QColor(0xE8, 0xC4, 0x60, 60 + rng.bounded(120)));
        p.drawRect(QRectF(wx, wy, 3, 4));
    }
    // Fade the left side so the name reads clearly.
    QLinearGradient fade(QPointF(0, 0), QPointF(w * 0.45, 0));
    fade.setColorAt(0, QColor(0x04, 0x08, 0x12, 230));
    fade.setColorAt(1, QColor(0x04, 0x08, 0x12, 0));
    p.fillRect(image.rect(), fade);
    return image;
}

enum class Glyph {
    Buy, List, Complete, Current, History, Cancel, Report, Gear, Copy, Refresh, Plug, Unplug, Help, Close, Wallet,
    Basket,
};

// Line drawings centred in rect, in colour.
void draw_glyph(QPainter& p, Glyph glyph, const QRectF& r, const QColor& colour)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const qreal s = std::min(r.width(), r.height());
    const QPointF c = r.center();
    QPen pen(colour, std::max<qreal>(1.6, s / 11.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    auto at = [&](qreal fx, qreal fy) { return QPointF(c.x() + fx * s / 2, c.y() + fy * s / 2); };
    switch (glyph) {
    case Glyph::Buy: {  // a bag with a handle
        QPainterPath bag;
        bag.moveTo(at(-0.7, -0.2));
        bag.lineTo(at(0.7, -0.2));
        bag.lineTo(at(0.55, 0.8));
        bag.lineTo(at(-0.55, 0.8));
        bag.closeSubpath();
        p.drawPath(bag);
        p.drawArc(QRectF(at(-0.35, -0.75), at(0.35, 0.25)), 0, 180 * 16);
        break;
    }
    case Glyph::List: {  // a price tag
        QPainterPath tag;
        tag.moveTo(at(-0.8, -0.3));
        tag.lineTo(at(-0.3, -0.8));
        tag.lineTo(at(0.8, -0.8));
        tag.lineTo(at(0.8, 0.3));
        tag.lineTo(at(-0.3, 0.8));
        tag.closeSubpath();
        p.drawPath(tag);
        p.drawEllipse(at(0.35, -0.35), s * 0.08, s * 0.08);
        break;
    }
    case Glyph::Complete: {  // a check in a circle
        p.drawEllipse(c, s * 0.42, s * 0.42);
        p.drawPolyline(QPolygonF({at(-0.4, 0.0), at(-0.1, 0.3), at(0.42, -0.3)}));
        break;
    }
    case Glyph::Current: {  // stacked cards
        p.drawRoundedRect(QRectF(at(-0.7, -0.45), at(0.5, 0.75)), s * 0.08, s * 0.08);
        p.drawPolyline(QPolygonF({at(-0.45, -0.7), at(0.75, -0.7), at(0.75, 0.5)}));
        break;
    }
    case Glyph::History: {  // a clock
        p.drawEllipse(c, s * 0.42, s * 0.42);
        p.drawPolyline(QPolygonF({at(0.0, -0.5), at(0.0, 0.0), at(0.35, 0.2)}));
        break;
    }
    case Glyph::Cancel: {  // a crossed circle
        p.drawEllipse(c, s * 0.42, s * 0.42);
        p.drawLine(at(-0.3, -0.3), at(0.3, 0.3));
        p.drawLine(at(0.3, -0.3), at(-0.3, 0.3));
        break;
    }
    case Glyph::Report: {  // a flag
        p.drawLine(at(-0.6, -0.8), at(-0.6, 0.85));
        QPainterPath flag;
        flag.moveTo(at(-0.6, -0.75));
        flag.cubicTo(at(-0.1, -1.0), at(0.2, -0.45), at(0.75, -0.7));
        flag.lineTo(at(0.75, 0.1));
        flag.cubicTo(at(0.2, 0.35), at(-0.1, -0.2), at(-0.6, 0.05));
        p.drawPath(flag);
        break;
    }
    case Glyph::Gear: {
        p.drawEllipse(c, s * 0.16, s * 0.16);
        p.drawEllipse(c, s * 0.34, s * 0.34);
        for (int i = 0; i < 8; ++i) {
            const qreal a = i * M_PI / 4;
            p.drawLine(QPointF(c.x() + std::cos(a) * s * 0.34, c.y() + std::sin(a) * s * 0.34),
                       QPointF(c.x() + std::cos(a) * s * 0.47, c.y() + std::sin(a) * s * 0.47));
        }
        break;
    }
    case Glyph::Copy: {
        p.drawRoundedRect(QRectF(at(-0.6, -0.3), at(0.3, 0.75)), s * 0.06, s * 0.06);
        p.drawPolyline(QPolygonF({at(-0.3, -0.6), at(0.6, -0.6), at(0.6, 0.45)}));
        break;
    }
    case Glyph::Refresh: {
        p.drawArc(QRectF(at(-0.6, -0.6), at(0.6, 0.6)), 40 * 16, 280 * 16);
        p.drawPolyline(QPolygonF({at(0.2, -0.75), at(0.5, -0.42), at(0.12, -0.22)}));
        break;
    }
    case Glyph::Plug:
    case Glyph::Unplug: {
        p.drawRoundedRect(QRectF(at(-0.45, -0.3), at(0.45, 0.35)), s * 0.08, s * 0.08);
        p.drawLine(at(-0.2, -0.3), at(-0.2, -0.7));
        p.drawLine(at(0.2, -0.3), at(0.2, -0.7));
        p.drawLine(at(0.0, 0.35), at(0.0, 0.8));
        if (glyph == Glyph::Unplug) p.drawLine(at(-0.75, 0.75), at(0.75, -0.75));
        break;
    }
    case Glyph::Help: {
        p.drawEllipse(c, s * 0.42, s * 0.42);
        p.drawArc(QRectF(at(-0.22, -0.45), at(0.22, -0.02)), -90 * 16, 270 * 16);
        p.drawLine(at(0.0, -0.02), at(0.0, 0.12));
        p.drawPoint(at(0.0, 0.32));
        break;
    }
    case Glyph::Close: {
        p.drawLine(at(-0.4, -0.4), at(0.4, 0.4));
        p.drawLine(at(0.4, -0.4), at(-0.4, 0.4));
        break;
    }
    case Glyph::Wallet: {
        p.drawRoundedRect(QRectF(at(-0.8, -0.55), at(0.8, 0.7)), s * 0.1, s * 0.1);
        p.drawRoundedRect(QRectF(at(0.2, -0.15), at(0.8, 0.3)), s * 0.06, s * 0.06);
        break;
    }
    case Glyph::Basket: {
        QPainterPath basket;
        basket.moveTo(at(-0.85, -0.15));
        basket.lineTo(at(0.85, -0.15));
        basket.lineTo(at(0.6, 0.75));
        basket.lineTo(at(-0.6, 0.75));
        basket.closeSubpath();
        p.drawPath(basket);
        p.drawLine(at(-0.45, -0.15), at(-0.15, -0.75));
        p.drawLine(at(0.45, -0.15), at(0.15, -0.75));
        p.drawLine(at(-0.25, 0.1), at(-0.2, 0.5));
        p.drawLine(at(0.25, 0.1), at(0.2, 0.5));
        break;
    }
    }
    p.restore();
}


bool draw_glyphs(const QString& folder)
{
    const std::pair<Glyph, const char*> glyphs[] = {
        {Glyph::Buy, "buy"},       {Glyph::List, "list"},       {Glyph::Complete, "complete"},
        {Glyph::Current, "current"}, {Glyph::History, "history"}, {Glyph::Cancel, "cancel"},
        {Glyph::Report, "report"}, {Glyph::Gear, "gear"},       {Glyph::Copy, "copy"},
        {Glyph::Refresh, "refresh"}, {Glyph::Plug, "plug"},     {Glyph::Unplug, "unplug"},
        {Glyph::Help, "help"},     {Glyph::Close, "close"},     {Glyph::Wallet, "wallet"},
        {Glyph::Basket, "basket"},
    };
    QDir().mkpath(folder + "/glyphs");
    bool ok = true;
    for (const auto& [glyph, name] : glyphs) {
        QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        draw_glyph(p, glyph, QRectF(6, 6, 52, 52), Qt::white);
        p.end();
        ok &= image.save(folder + "/glyphs/" + name + ".png");
    }
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("resources");
    QDir().mkpath(folder);
    const bool ok = draw_logo(512).save(folder + "/logo.png") && draw_logo(256).save(folder + "/icon.png") &&
                    draw_banner(2400, 336).save(folder + "/banner.png") && draw_glyphs(folder);
    std::printf("%s\n", ok ? "art written" : "could not write the art");
    return ok ? 0 : 1;
}
