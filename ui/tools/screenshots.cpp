// agoran-ui-shots: renders the main window (with a book), the Settings, Help and message
// windows in each theme to PNG files, on the offscreen platform.
//   agoran-ui-shots OUT_DIR            a made-up market drawn from memory
//   agoran-ui-shots OUT_DIR --live     the book of the services named by services.json (the
//                                      seeded simulator; see scripts/screenshots.sh)
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <cstring>
#include <memory>

#include "ui/control_ids.h"
#include "ui/live_services.h"
#include "ui/main_window.h"
#include "ui/message_window.h"
#include "ui/theme.h"
#include "ui/thumbnail_cache.h"
#include "ui/tools/sample_market.h"
#include "ui/ui_style.h"

namespace {

void wait_ms(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

std::string png_bytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

// A coin for a token ticker, a framed scene for a picture.
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

std::shared_ptr<ui::ScriptedServices> sample_services()
{
    auto services = std::make_shared<ui::ScriptedServices>();
    auto book = ui::sample_book(60, 11);
    ui::WalletSnapshot wallet;
    wallet.bound = true;
    wallet.wallet_id = "w1";
    wallet.paymail = "melina@tavrinnode.example";
    wallet.identity_key = book[3].pubkey;
    wallet.balance_known = true;
    wallet.balance_sats = 1'284'500'000;
    // One of the wallet's listings has an offer waiting.
    book[3].status = "live";
    book::Offer offer;
    offer.id = std::string(64, 'b');
    offer.handle = "zeno@tavrinnode.example";
    offer.qty = "1";
    offer.offer = "short";
    book[3].offers.push_back(offer);
    services->set_book(book);
    services->set_wallet(wallet);
    const char* tickers[] = {"OBOL", "DRCH", "LAUR", "OWL", "AMPH", "AGG", "TRIR", "OLIV"};
    for (int i = 0; i < 8; ++i) {
        services->set_content(std::string("icon-") + tickers[i], {png_bytes(sample_picture(i, true)), "image/png"});
        services->set_content("pic-" + std::to_string(i), {png_bytes(sample_picture(i, false)), "image/png"});
    }
    ui::PageFetch page;
    page.ok = true;
    page.status = 200;
    page.body = "<p>Current build: version 0.002</p>";
    services->set_update_page(page);
    return services;
}

bool save(QWidget* window, const QString& path)
{
    const bool ok = window->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", path.toLocal8Bit().constData());
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle("Fusion");
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    const bool live = argc > 2 && std::strcmp(argv[2], "--live") == 0;
    QDir().mkpath(out);
    if (live) ui::start_library_services(QCoreApplication::applicationDirPath().toStdString());

    std::shared_ptr<ui::MarketServices> services;
    if (live) services = ui::make_live_services();
    else services = sample_services();

    bool ok = true;
    for (int theme = 0; theme < ui::THEME_COUNT; ++theme) {
        ui::set_active_theme(theme);
        const QString name = QString::fromUtf8(ui::theme_value(theme).data());
        ui::MainWindow::Options options;
        options.ask_update_question = false;
        ui::MainWindow window(services, options);
        window.move(0, 0);
        window.show();
        QElapsedTimer timer;
        timer.start();
        while (window.isBusy() && timer.elapsed() < 60000) wait_ms(50);
        wait_ms(700);  // thumbnails and the version check
        if (auto* table = window.table(); table->model()->rowCount() > 1)
            table->selectRow(1);
        wait_ms(100);
        ok &= save(&window, out + "/main-" + name + ".png");

        window.openSettings();
        wait_ms(100);
        if (auto* settings = window.findChild<QWidget*>("TavrinNodeAgoranSettings")) ok &= save(settings, out + "/settings-" + name + ".png");
        window.openHelp();
        wait_ms(100);
        if (auto* help = window.findChild<QWidget*>("TavrinNodeAgoranHelp")) ok &= save(help, out + "/help-" + name + ".png");
        const std::string txid = "3f6c1d0a9b8e7f6a5b4c3d2e1f0a9b8c7d6e5f4a3b2c1d0e9f8a7b6c5d4e3f2a";
        window.showMessage("Tavrin Agoran", QString::fromStdString("success: " + txid +
                                                                   "\n\nYour listing is on the book. It shows as live "
                                                                   "once the book oracle has seen it."),
                           QString::fromStdString(txid));
        wait_ms(100);
        if (auto* note = window.messageWindow()) ok &= save(note, out + "/message-" + name + ".png");
        window.close();
    }
    if (live) ui::stop_library_services();
    return ok ? 0 : 1;
}
