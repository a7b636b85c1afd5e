// agoran-demo-seed: seeds the demo market once (demo/seed_market.h), drawing its token icons and
// pictures, and writes the report to STATE/seeded.json.
//   agoran-demo-seed --state DIR --url BASE_URL [--app-folder DIR]
// --app-folder names the desktop program's folder: its connect request is approved for the
// user's wallet. Prints progress and the report; exit 0 only when every step went through.
#include <iostream>
#include <QGuiApplication>

#include <cstdio>
#include <string>

#include "core/log.h"
#include "demo/market_script.h"
#include "demo/seed_market.h"
#include "platform/atomic_file.h"
#include "platform/crash_dumps.h"
#include "ui/tools/sample_art.h"

int main(int argc, char** argv)
{
    if (!platform::disable_crash_dumps()) std::cerr << platform::CRASH_DUMPS_WARNING << "\n";  // it signs with the traders' keys
    demo::SeedOptions options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--state") options.state_dir = argv[i + 1];
        else if (arg == "--url") options.base_url = argv[i + 1];
        else if (arg == "--app-folder") options.app_instance = argv[i + 1];
        else options.base_url.clear();
    }
    if (options.state_dir.empty() || options.base_url.empty() || argc % 2 == 0) {
        std::fprintf(stderr, "usage: agoran-demo-seed --state DIR --url BASE_URL [--app-folder DIR]\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    for (int t = 0; t < demo::TOKEN_COUNT; ++t) options.token_icons.push_back(ui::png_bytes(ui::sample_picture(t, true)));
    for (int p = 0; p < demo::PICTURE_COUNT; ++p) options.pictures.push_back(ui::png_bytes(ui::sample_picture(p, false)));
    options.log = [](const std::string& line) { std::printf("%s\n", line.c_str()), std::fflush(stdout); };
    core::set_log_sink([](core::LogLevel, const std::string&) {});

    const demo::SeedReport report = demo::seed_market(options);
    const std::string json = demo::seed_report_json(report);
    if (!report.error.empty()) {
        std::fprintf(stderr, "agoran-demo-seed: %s\n", report.error.c_str());
        return 1;
    }
    if (!platform::write_file_atomic(demo::seed_report_path(options.state_dir), json)) {
        std::fprintf(stderr, "agoran-demo-seed: could not write %s\n", demo::seed_report_path(options.state_dir).string().c_str());
        return 1;
    }
    std::printf("%s", json.c_str());
    return 0;
}
