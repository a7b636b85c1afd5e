// agoran-ui-shots: renders the main window (with a book), the Settings, Help and message
// windows and the trade dialogs in each theme to PNG files (OUT_DIR/<window>-<theme>.png), on
// the offscreen platform. Exits 1 when a picture could not be made.
//   agoran-ui-shots OUT_DIR            a made-up market drawn from memory
//   agoran-ui-shots OUT_DIR --live     the book of the services named by services.json (the
//                                      seeded simulator; see scripts/screenshots.sh)
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>

#include <cstdio>
#include <cstring>
#include <memory>

#include "net/service_config.h"
#include "trade/market_session.h"
#include "ui/live_services.h"
#include "ui/main_window.h"
#include "ui/message_window.h"
#include "ui/theme.h"
#include "ui/tools/dialog_shots.h"
#include "ui/thumbnail_cache.h"
#include "ui/tools/sample_art.h"
#include "ui/tools/sample_market.h"
#include "ui/ui_style.h"

namespace {

void wait_ms(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

std::shared_ptr<ui::ScriptedServices> sample_services()
{
    auto services = std::make_shared<ui::ScriptedServices>();
    auto book = ui::sample_book(60, 11);
    const ui::WalletSnapshot wallet = ui::sample_wallet(book[3].pubkey);
    // One of the wallet's listings has an offer waiting.
    book[3].status = book::ListingStatus::Live;
    book::Offer offer;
    offer.id = tx::Txid::parse(std::string(64, 'b')).value();
    offer.handle = "zeno@tavrinnode.example";
    offer.qty = "1";
    offer.offer = "short";
    book[3].offers.push_back(offer);
    services->set_book(book);
    services->set_wallet(wallet);
    const char* tickers[] = {"OBOL", "DRCH", "LAUR", "OWL", "AMPH", "AGG", "TRIR", "OLIV"};
    for (int i = 0; i < 8; ++i) {
        services->set_content(std::string("icon-") + tickers[i], {ui::png_bytes(ui::sample_picture(i, true)), "image/png"});
        services->set_content("pic-" + std::to_string(i), {ui::png_bytes(ui::sample_picture(i, false)), "image/png"});
    }
    services->set_services_badge("Simulator at 127.0.0.1:8417");
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
    std::unique_ptr<trade::MarketSession> session;
    std::shared_ptr<ui::MarketServices> services;
    if (live) {
        session = std::make_unique<trade::MarketSession>(net::load_services_file());
        ui::start_library_services(*session, QCoreApplication::applicationDirPath().toStdString());
        services = ui::make_live_services(*session);
    }
    else services = sample_services();

    bool ok = true;
    for (int theme = 0; theme < ui::THEME_COUNT; ++theme) {
        ui::set_active_theme(theme);
        const QString name = QString::fromUtf8(ui::theme_value(theme).data());
        ui::MainWindow::Options options;
        options.ask_update_question = false;
        ui::MainWindow window(services, options);
        window.move(0, 0);
        window.resize(1366, 740);  // a 1366x768 screen less the title bar
        window.show();
        QElapsedTimer timer;
        timer.start();
        while (window.controller().isBusy() && timer.elapsed() < 60000) wait_ms(50);
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
        window.showMessage("List", "Your listing is posted. It shows as live once the book oracle has seen it.",
                           QString::fromStdString(txid));
        wait_ms(100);
        if (auto* note = window.messageWindow()) ok &= save(note, out + "/message-" + name + ".png");
        window.close();
        ok &= ui::shoot_trade_dialogs(out, name);
    }
    if (live) ui::stop_library_services();
    return ok ? 0 : 1;
}
