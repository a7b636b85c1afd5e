#include "ui/app_art.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QStyle>

// The PNGs and the style sheet are compiled into this static library; its resource initialiser
// must be called explicitly or the linker drops it.
static void init_art_resources() { Q_INIT_RESOURCE(resources); }

namespace ui {

void ensure_resources()
{
    static const bool done = [] {
        init_art_resources();
        return true;
    }();
    (void)done;
}

namespace {

QByteArray read_resource(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

AppArt load_art()
{
    ensure_resources();
    AppArt art;
    art.logo = decode_art(read_resource(":/agoran/logo.png"), 88);
    const QByteArray banner = read_resource(":/agoran/banner.png");
    if (banner.size() >= 8) {
        QImage image;
        if (image.loadFromData(banner)) art.banner = QPixmap::fromImage(image);
    }
    if (!art.logo.isNull()) {
        art.icon = QIcon(art.logo);
    } else {
        const QPixmap fallback = decode_art(read_resource(":/agoran/icon.png"), 88);
        if (!fallback.isNull()) art.icon = QIcon(fallback);
    }
    const QPixmap small32 = decode_art(read_resource(":/agoran/icon.png"), 32);
    const QPixmap small16 = decode_art(read_resource(":/agoran/icon.png"), 16);
    if (!small32.isNull()) art.icon.addPixmap(small32);
    if (!small16.isNull()) art.icon.addPixmap(small16);
    if (art.icon.isNull() && qApp) art.icon = qApp->style()->standardIcon(QStyle::SP_DesktopIcon);
    return art;
}

} // namespace

QPixmap decode_art(const QByteArray& png, int size)
{
    if (png.size() < 8) return {};
    QImage image;
    if (!image.loadFromData(png)) return {};
    return QPixmap::fromImage(
        image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

const AppArt& app_art()
{
    static const AppArt art = load_art();
    return art;
}

} // namespace ui
