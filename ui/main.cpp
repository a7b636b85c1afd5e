// tavrin-agoran: the desktop program. One copy runs per data directory; a second start brings
// the running copy forward and exits 0.
#include <iostream>
#include <QApplication>
#include <QDir>

#include "net/service_config.h"
#include "platform/crash_dumps.h"
#include "platform/data_dir.h"
#include "trade/market_session.h"
#include "ui/app_art.h"
#include "ui/live_services.h"
#include "ui/live_trade_services.h"
#include "ui/main_window.h"
#include "ui/single_instance.h"
#include "ui/theme.h"
#include "ui/trade_dialogs.h"
#include "ui/ui_style.h"

int main(int argc, char** argv)
{
    if (!platform::disable_crash_dumps()) std::cerr << platform::CRASH_DUMPS_WARNING << "\n";  // a dump would hold the bound wallet's keys
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tavrin Agoran");
    QApplication::setStyle("Fusion");
    QDir::setCurrent(QCoreApplication::applicationDirPath());

    const QString name = ui::single_instance_name(QString::fromStdString(platform::data_dir().string()));
    if (ui::hand_over_to_running(name)) return 0;
    ui::SingleInstanceServer server(name);
    server.listen();

    ui::set_active_theme(ui::load_theme_setting(ui::ui_settings_path()));
    QApplication::setWindowIcon(ui::app_art().icon);

    int code = 0;
    // Outlives every worker: they are drained before it goes.
    trade::MarketSession session(net::load_services_file());
    ui::start_library_services(session, QCoreApplication::applicationDirPath().toStdString());
    {
        ui::MainWindow window(ui::make_live_services(session));
        ui::TradeDialogs dialogs(window, ui::make_live_trade_services(session));
        QObject::connect(&server, &ui::SingleInstanceServer::activationRequested, &window,
                         &ui::MainWindow::bringForward);
        window.show();
        code = QApplication::exec();
    }
    // Every worker is drained there before libcurl and the wallet shut down.
    ui::stop_library_services();
    return code;
}
